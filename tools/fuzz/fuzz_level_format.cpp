// libFuzzer entry for the level file parser. Not part of the default build;
// from the repository root:
//   clang++ -std=c++20 -fsanitize=fuzzer,address,undefined -Isrc
//           tools/fuzz/fuzz_level_format.cpp src/game/level_format.cpp -o fuzz_level_format
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "game/level_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const dw::LevelParseResult r = dw::ParseLevelFile(data, size);
    if (r.ok()) {
        // A file that parses must round-trip to the same leading bytes.
        const auto again = dw::SerializeLevelFile(r.columns, r.length, r.spawns, r.ground);
        if (again.size() > size) std::abort();
        for (std::size_t i = 0; i < again.size(); ++i)
            if (again[i] != data[i]) std::abort();
    } else if (!r.spawns.empty() || !r.ground.empty()) {
        std::abort();
    }
    return 0;
}
