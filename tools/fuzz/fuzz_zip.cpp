// libFuzzer entry for the resource archive reader the game opens
// gamedata.res with: any bytes either fail to open or give entries whose
// extraction fails or yields exactly the size the directory promised.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::ZipArchive archive;
    if (!archive.Open(data, size)) return 0;
    std::vector<std::uint8_t> out;
    const auto& entries = archive.entries();
    for (std::size_t i = 0; i < entries.size() && i < 64; ++i) {
        if (entries[i].size > (1u << 20)) continue;  // keep runs small
        if (archive.Extract(static_cast<int>(i), out) && out.size() != entries[i].size) std::abort();
        if (archive.Find(entries[i].name) < 0) std::abort();
    }
    return 0;
}
