#include "app/system_report.h"

#include <cstdio>
#include <string>

#include "core/game_context.h"
#include "core/log.h"

namespace dw {

namespace {
template <typename... Args>
std::string Format(const char* fmt, Args... args) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}
}  // namespace

void WriteSystemReport(GameContext& ctx, const platform::SystemFacts& f, const D3DCAPS8& caps) {
    auto line = [&](const std::string& s) {
        if (ctx.log) ctx.log->WriteLine(s);
    };
    line("***------------ SYSTEM CONFIGURATION ------------***");
    line("CPU ARCHITECURE:");
    if (f.x86Compatible) line(" Architecure:\t\t\tIntel Compatible;");
    line(Format(" Processor Type:\t\t%s;", f.processorName.c_str()));
    line(Format(" Number of CPU:\t\t\t%d;", static_cast<int>(f.processorCount)));
    line(Format(" Active CPU mask:\t\t%d;", static_cast<int>(f.activeProcessorMask)));
    line("CPU FEATURES:");
    if (f.fpuEmulated) line(" FPU emulated:\t\t\tPresent;");
    if (f.mmx) line(" MMX instruction:\t\tPresent;");
    if (f.sse) line(" XMMI instruction:\t\tPresent;");
    line("BASE CONFIG:");
    line(Format(" Current CPU Speed:\t\t%d Mhs;", static_cast<int>(f.cpuMhz)));
    line(Format(" Total PhMemory:\t\t%d Mb;", static_cast<int>(f.totalMemoryBytes >> 20)));
    line(Format(" Free  PhMemory:\t\t%d Mb;", static_cast<int>(f.freeMemoryBytes >> 20)));
    line("OS VERSION:");
    if (!f.platformName.empty()) line(Format(" Platform Type:\t\t\t%s;", f.platformName.c_str()));
    line(Format(" OS version:\t\t\t%d.%d;", static_cast<int>(f.osMajor), static_cast<int>(f.osMinor)));
    // There is no DirectX here; the renderer is named on the video card line.
    line(" DirectX Version:\t\tNone;");
    line("VIDEO ADAPTER:");
    line(Format(" Video Card:\t\t\t%s;", f.videoCard.c_str()));
    line("***----------------------------------------------***");
    line("");

    line(caps.DeviceType == D3DDEVTYPE_HAL ? "CAPS: DeviceType............D3DDEVTYPE_HAL"
                                           : "CAPS: DeviceType............D3DDEVTYPE_REF");
    line(caps.Caps2 == 0 ? "CAPS: Render2D..............Can did render 2D"
                         : "CAPS: Render2D..............Can not render 2D");
    if (caps.TextureCaps != 0) {
        line("CAPS: MipMap................Supported");
        ctx.canMipMap = 1;
    } else {
        line("CAPS: MipMap................Unsupported");
        ctx.canMipMap = 0;
    }
    if (caps.TextureFilterCaps != 0) {
        line("CAPS: MipMap Linear.........Supported");
        ctx.canMipLinear = 1;
    } else {
        line("CAPS: MipMap Linear.........Unsupported");
        ctx.canMipLinear = 0;
    }
    line(caps.RasterCaps != 0 ? "CAPS: Edge AntiAliasing.....Supported" : "CAPS: Edge AntiAliasing.....Unsupported");
    if (caps.VertexShaderVersion == 0) {
        line("CAPS: VertexShader version..0.0");
    } else {
        line((caps.VertexShaderVersion & 0xFFFF) == 0 ? "CAPS: VertexShader version..1.0"
                                                      : "CAPS: VertexShader version..1.1");
        line(Format("CAPS: Max VSD constants.....%d", static_cast<int>(caps.MaxVertexShaderConst)));
    }
    line("");
}

}  // namespace dw
