// Gamepads through SDL's GameController API.
#include <SDL.h>

#include <cstdio>
#include <algorithm>
#include <map>
#include <string>

#include "platform/stored_file.h"

#include "platform/steering.h"

namespace platform {

namespace {

float Axis(SDL_GameController* pad, SDL_GameControllerAxis axis) {
    const float v = static_cast<float>(SDL_GameControllerGetAxis(pad, axis)) / 32767.0f;
    return v < -1.0f ? -1.0f : v;
}

bool Button(SDL_GameController* pad, SDL_GameControllerButton button) {
    return SDL_GameControllerGetButton(pad, button) != 0;
}

// The stronger of two readings of one axis.
float Stronger(float a, float b) { return (a < 0 ? -a : a) >= (b < 0 ? -b : b) ? a : b; }

class SdlGamepads final : public Gamepads {
public:
    explicit SdlGamepads(const std::string& mappingFile) {
        // SDL reads SDL_GAMECONTROLLERCONFIG itself when the subsystem starts.
        up_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
        if (!up_ || mappingFile.empty()) return;
        // Read as the game's own files are (never a FIFO or a device, which
        // would hold the start), then handed to SDL from memory.
        constexpr std::size_t kMaxMappingBytes = 16u << 20;
        std::string text;
        const ReadResult read = ReadStoredFile(mappingFile, text, kMaxMappingBytes);
        if (read == ReadResult::Missing) return;
        if (read != ReadResult::Read) {
            std::fprintf(stderr, "duskwhirl: the gamepad mappings in %s are not read (%s)\n", mappingFile.c_str(),
                         read == ReadResult::NotRegular     ? "not a regular file"
                             : read == ReadResult::TooLarge ? "larger than 16 MiB"
                                                            : "cannot be read");
            return;
        }
        if (text.empty()) return;  // no mappings (SDL takes no empty block)
        SDL_RWops* rw = SDL_RWFromConstMem(text.data(), static_cast<int>(text.size()));
        if (!rw || SDL_GameControllerAddMappingsFromRW(rw, 1) < 0)
            std::fprintf(stderr, "duskwhirl: cannot read the gamepad mappings in %s (%s)\n", mappingFile.c_str(),
                         SDL_GetError());
    }
    ~SdlGamepads() override {
        for (auto& [id, pad] : pads_) SDL_GameControllerClose(pad);
        pads_.clear();
        if (up_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    GamepadState Read() override {
        GamepadState s;
        if (!up_) return s;
        SDL_GameControllerUpdate();
        for (auto it = pads_.begin(); it != pads_.end();) {
            if (SDL_GameControllerGetAttached(it->second)) {
                ++it;
                continue;
            }
            SDL_GameControllerClose(it->second);
            it = pads_.erase(it);
        }
        const int count = SDL_NumJoysticks();
        for (int i = 0; i < count; ++i) {
            if (!SDL_IsGameController(i)) continue;
            const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
            if (id < 0 || pads_.count(id)) continue;
            if (SDL_GameController* pad = SDL_GameControllerOpen(i)) pads_[id] = pad;
        }
        for (const auto& [id, pad] : pads_) {
            ++s.pads;
            s.leftX = Stronger(s.leftX, Axis(pad, SDL_CONTROLLER_AXIS_LEFTX));
            s.leftY = Stronger(s.leftY, Axis(pad, SDL_CONTROLLER_AXIS_LEFTY));
            s.leftTrigger = std::max(s.leftTrigger, Axis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
            s.rightTrigger = std::max(s.rightTrigger, Axis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
            s.up |= Button(pad, SDL_CONTROLLER_BUTTON_DPAD_UP);
            s.down |= Button(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
            s.left |= Button(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
            s.right |= Button(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
            s.a |= Button(pad, SDL_CONTROLLER_BUTTON_A);
            s.b |= Button(pad, SDL_CONTROLLER_BUTTON_B);
            s.start |= Button(pad, SDL_CONTROLLER_BUTTON_START);
            s.back |= Button(pad, SDL_CONTROLLER_BUTTON_BACK);
            for (const SDL_GameControllerButton b :
                 {SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y, SDL_CONTROLLER_BUTTON_GUIDE,
                  SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                  SDL_CONTROLLER_BUTTON_RIGHTSHOULDER})
                s.other |= Button(pad, b);
            for (int b = 0; b < kPadButtons && b < SDL_CONTROLLER_BUTTON_MAX; ++b)
                if (Button(pad, static_cast<SDL_GameControllerButton>(b))) s.buttons |= 1u << b;
            s.other |= StickResponse(Axis(pad, SDL_CONTROLLER_AXIS_RIGHTX)) != 0.0f ||
                StickResponse(Axis(pad, SDL_CONTROLLER_AXIS_RIGHTY)) != 0.0f;
        }
        return s;
    }

private:
    bool up_ = false;
    std::map<SDL_JoystickID, SDL_GameController*> pads_;
};

}  // namespace

std::unique_ptr<Gamepads> CreateSdlGamepads(const std::string& mappingFile) {
    return std::make_unique<SdlGamepads>(mappingFile);
}

}  // namespace platform
