#include "app/runner.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/game_context.h"
#include "core/log.h"
#include "core/settings.h"
#include "d3dx/d3dx_image.h"
#include "assets/asset_names.h"
#include "platform/game_data.h"
#include "platform/resource_library.h"
#include "platform/services.h"
#include "platform/settings_store.h"
#include "platform/shell.h"

namespace dw {

std::string UserDirectoryFor(const CommandLine& cl) {
    if (!cl.userDir.empty()) {
        platform::MakeDirs(cl.userDir);  // a failure is reported at start
        return cl.userDir;
    }
    return platform::DefaultUserDir();
}

platform::DataSearch FindGameData(const std::string& dataOption) {
    // What the intro shows and plays first: without these the game cannot start.
    return platform::FindDataFile(
        platform::ProcessDataSearchInputs(dataOption, {asset::IntroMap, asset::LoadMap, asset::IntroTrack}));
}

std::unique_ptr<platform::ResourceLibrary> MakeResourceLibrary(const platform::DataSearch& search) {
    if (search.file.empty()) {
        auto none = std::make_unique<platform::MemoryResourceLibrary>();
        none->failOpen = true;
        return none;
    }
    auto library = std::make_unique<platform::ZipResourceLibrary>();
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(search.file, ec);
    library->SetOverride(ec ? search.file : absolute.lexically_normal().string());
    return library;
}

void ReportMissingData(const platform::DataSearch& data, platform::Shell& shell, Log* log) {
    const std::string text =
        "No usable game data was found, so the game cannot start.\n\n" + platform::DataSearchFailureText(data);
    if (log) {
        log->WriteLine("GAME: Resource Library is absent");
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t end = std::min(text.find('\n', at), text.size());
            log->WriteLine(text.substr(at, end - at));
            at = end + 1;
        }
    }
    shell.MessageBox("Duskwhirl 2", text, true);  // also printed on stderr
}

void WarnMissingData(const platform::DataSearch& data) {
    std::fprintf(stderr, "duskwhirl: warning: no usable game data; running without pictures and sounds.\n%s",
                 platform::DataSearchFailureText(data).c_str());
}

bool SetWindowIconFromData(platform::ResourceLibrary& library, const char* libraryName, platform::Shell& shell) {
    platform::LibraryModule* module = library.LoadLibrary(libraryName);
    if (!module) return false;
    bool set = false;
    const platform::ResourceHandle res = library.FindResource(module, asset::WindowIcon);
    const std::uint32_t size = res ? library.SizeofResource(module, res) : 0;
    if (size > 0 && library.LoadResource(module, res)) {
        if (const std::uint8_t* bytes = library.LockResource(module, res)) {
            d3dx::DecodeOptions options;
            options.mipLevels = 1;
            options.maxDimension = 512;
            d3dx::Image image;
            if (d3dx::DecodeImage(bytes, size, options, image) && !image.levels.empty()) {
                shell.SetWindowIcon(image.levels[0].rgba.data(), static_cast<int>(image.width),
                                    static_cast<int>(image.height));
                set = true;
            }
        }
    }
    library.FreeLibrary(module);
    return set;
}

platform::Controls ReadBoundKeys(const std::string& userDir) {
    if (userDir.empty()) return platform::Controls::Defaults();
    platform::IniSettingsStore store(userDir + "/settings.ini");
    platform::Services services;
    services.settings = &store;
    GameContext ctx;
    ctx.services = &services;
    ReadControlSettings(ctx);
    return ctx.controls;
}

}  // namespace dw
