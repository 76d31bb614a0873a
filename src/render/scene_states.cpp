#include "render/scene_states.h"

#include "core/game_context.h"
#include "gfx/device.h"

namespace dw {

void SetSceneStates(const GameContext& c, SceneStart when) {
    gfx::Device* device = c.device;
    if (!device) return;
    const bool reset = when == SceneStart::AfterReset;
    if (reset) {
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    }
    device->SetRenderState(D3DRS_CULLMODE, reset ? D3DCULL_CCW : D3DCULL_NONE);
    device->SetRenderState(D3DRS_CLIPPING, 0);
    device->SetRenderState(D3DRS_LIGHTING, 1);
    // After a reset the ambient light is set again only where the filters are.
    if (!reset || c.canMipMap) device->SetRenderState(D3DRS_AMBIENT, 0);
    if (c.canMipMap) {
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        if (c.canMipLinear) device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    }
}

void SetSceneLight(const GameContext& c, DWORD index, const D3DLIGHT8& light) {
    if (c.device) c.device->SetLight(index, &light);
}

}  // namespace dw
