#pragma once
// The device states a scene is drawn with, set in one place: once when the
// scene starts, again after every reset of the device (which forgets them),
// and the main light.
#include "platform/d3d_types.h"

namespace dw {

class GameContext;

enum class SceneStart {
    First,       // the scene's start: no culling yet (the intro's flat art)
    AfterReset,  // the device was reset: depth compare, flat shading, back faces culled
};

// Sets the fixed states on the context's device (none: nothing). The
// filters are linear where the device can (the context's canMipMap and
// canMipLinear, decided by the system report).
void SetSceneStates(const GameContext& context, SceneStart when);

// Gives the device the light at `index` (none: nothing).
void SetSceneLight(const GameContext& context, DWORD index, const D3DLIGHT8& light);

}  // namespace dw
