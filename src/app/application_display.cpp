// What the display page asks of the application: full screen, the picture's
// shape, vertical sync.
#include "app/application.h"
#include "core/game_context.h"
#include "platform/shell.h"

namespace dw {

HRESULT Application::ApplyDisplayChange() {
    GameContext& c = *context;
    if (!c.displayChangeRequest) {
        c.display.fullscreen = shell->IsFullscreen() ? 1 : 0;
        return S_OK;
    }
    c.displayChangeRequest = 0;
    if (c.display.vsync != vsync_) {
        vsync_ = c.display.vsync;
        shell->SetVsync(vsync_ != 0);
    }
    const bool stretch = c.display.stretch != 0;
    const bool toggle = (c.display.fullscreen != 0) != shell->IsFullscreen();
    if (stretch == creation.stretch && !toggle) return S_OK;
    creation.stretch = stretch;
    const HRESULT hr = toggle ? ToggleFullscreen() : Resize3DEnvironment();
    c.display.fullscreen = shell->IsFullscreen() ? 1 : 0;
    return hr;
}

}  // namespace dw
