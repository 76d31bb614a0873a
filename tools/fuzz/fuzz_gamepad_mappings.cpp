// libFuzzer entry for the gamepad mapping file (gamecontrollerdb.txt in the
// user directory), read as the game reads it at a windowed start: through
// the stored-file rule, handed to SDL's game controller API, then the pads
// read once. Whatever the file holds, every mapping SDL kept reads back.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "memory_file.h"
#include "platform/steering.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::MemoryFile file("gamecontrollerdb.txt");
    static const bool once = [] {
        SDL_setenv("SDL_GAMECONTROLLERCONFIG", "", 1);
        SDL_setenv("SDL_JOYSTICK_DISABLE_UDEV", "1", 1);
        return true;
    }();
    (void)once;
    file.Hold(data, size);
    {
        const auto pads = platform::CreateSdlGamepads(file.path());
        const platform::GamepadState state = pads->Read();
        if (state.pads < 0) std::abort();
        const int mappings = SDL_GameControllerNumMappings();
        for (int i = 0; i < mappings; ++i) {
            char* mapping = SDL_GameControllerMappingForIndex(i);
            if (!mapping) std::abort();
            SDL_free(mapping);
        }
    }
    return 0;
}
