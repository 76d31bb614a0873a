#pragma once
// Reading one resource from the resource library, step by step; every
// loader of textures, meshes and samples goes through here.
#include <cstdint>
#include <string>

namespace dw {

class GameContext;

enum class ReadStep {
    Ok,
    NoLibrary,    // the library file does not open
    NotFound,     // no resource of that name
    ZeroSize,     // the resource has no bytes
    NotLoaded,    // the resource could not be read (corrupt entry)
    NotLocked,    // no bytes to lock
    BuildFailed,  // the bytes were read but the asset could not be made of them
    Again,        // failed before in this session: not read again (and not logged again)
};

// Opens the library `libraryName` of the session's resource library, finds `name`, sizes, loads and locks it,
// hands the bytes to `build` (which returns false when it cannot use them)
// and frees the library on every path once it was opened. A resource that
// failed once is not read again in the session (Again).
template <typename Build>
ReadStep ReadResource(const GameContext& ctx, const char* libraryName, const char* name, Build&& build);

}  // namespace dw

#include "core/game_context.h"
#include "platform/resource_library.h"

namespace dw {

template <typename Build>
ReadStep ReadResource(const GameContext& ctx, const char* libraryName, const char* name, Build&& build) {
    platform::ResourceLibrary* lib = ctx.resourceLibrary();
    if (!lib) return ReadStep::NoLibrary;
    const std::string key = std::string(libraryName ? libraryName : "") + "/" + (name ? name : "");
    if (ctx.failedResources.count(key)) return ReadStep::Again;
    platform::LibraryModule* module = lib->LoadLibrary(libraryName);
    if (!module) {
        ctx.failedResources[key] = static_cast<int>(ReadStep::NoLibrary);
        return ReadStep::NoLibrary;
    }
    ReadStep step = ReadStep::Ok;
    const platform::ResourceHandle res = lib->FindResource(module, name);
    std::uint32_t size = 0;
    const std::uint8_t* bytes = nullptr;
    if (!res) {
        step = ReadStep::NotFound;
    } else if ((size = lib->SizeofResource(module, res)) == 0) {
        step = ReadStep::ZeroSize;
    } else if (!lib->LoadResource(module, res)) {
        step = ReadStep::NotLoaded;
    } else if (!(bytes = lib->LockResource(module, res))) {
        step = ReadStep::NotLocked;
    } else if (!build(bytes, size)) {
        step = ReadStep::BuildFailed;
    }
    lib->FreeLibrary(module);
    if (step != ReadStep::Ok) ctx.failedResources[key] = static_cast<int>(step);
    return step;
}

}  // namespace dw
