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

namespace {

// Only the file's mappings: none from the environment, no device scan.
fuzz::MemoryFile& MappingFile() {
    static fuzz::MemoryFile* file = [] {
        SDL_setenv("SDL_GAMECONTROLLERCONFIG", "", 1);
        SDL_setenv("SDL_JOYSTICK_DISABLE_UDEV", "1", 1);
        return new fuzz::MemoryFile("gamecontrollerdb.txt");
    }();
    return *file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::MemoryFile& file = MappingFile();
    file.Hold(data, size);
    const auto pads = platform::CreateSdlGamepads(file.path());
    pads->Read();
    const int mappings = SDL_GameControllerNumMappings();
    for (int i = 0; i < mappings; ++i) {
        char* mapping = SDL_GameControllerMappingForIndex(i);
        if (!mapping) std::abort();
        SDL_free(mapping);
    }
    return 0;
}
