// Runs every fuzz entry point over seeds and random mutations of them. Not a
// replacement for a real fuzzing session (`make fuzz`), but it keeps every
// loader of outside bytes exercised, under the sanitizers too.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#define X(name) extern "C" int name##_entry(const std::uint8_t*, std::size_t);
#include "fuzz_entries.inc"
#undef X

namespace {

using Entry = int (*)(const std::uint8_t*, std::size_t);

struct Target {
    const char* name;
    Entry entry;
};

const Target kTargets[] = {
#define X(name) {#name, name##_entry},
#include "fuzz_entries.inc"
#undef X
};

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Seeds: real files of each kind where the build has them, plus text seeds.
std::vector<std::vector<std::uint8_t>> Seeds() {
    std::vector<std::vector<std::uint8_t>> seeds;
    const std::string build = DW_BUILD_DIR;
    for (const char* f : {"/levels/GAMELEVEL0.bin", "/levels/GAMELEVEL9.bin"}) {
        auto b = ReadFile(build + f);
        if (!b.empty()) seeds.push_back(std::move(b));
    }
    const char* texts[] = {
        "[Software\\QVM\\Duskwhirl]\nMouse=1200\nLevelID=584\n",
        "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n",
        "DWDEMO",
        R"({"scores":[{"id":1,"name":"ACE","score":120500,"level":4,"date":"2026-12-10"}]})",
        "DWSUBMIT1\nACE\nDWDEMO",
    };
    for (const char* t : texts) seeds.emplace_back(t, t + std::char_traits<char>::length(t));
    seeds.emplace_back(168, 0);
    seeds.emplace_back();
    return seeds;
}

// The inputs that once found a fault in a target, kept in
// tools/fuzz/regressions/<target>/ (make fuzz runs them too).
std::vector<std::vector<std::uint8_t>> Regressions(const std::string& target) {
    std::vector<std::vector<std::uint8_t>> inputs;
    const std::filesystem::path dir = std::filesystem::path(DW_SOURCE_DIR) / "tools/fuzz/regressions" / target;
    if (!std::filesystem::is_directory(dir)) return inputs;
    for (const auto& f : std::filesystem::directory_iterator(dir)) inputs.push_back(ReadFile(f.path().string()));
    return inputs;
}

TEST(FuzzSmoke, EveryEntrySurvivesSeedsAndMutations) {
    const auto seeds = Seeds();
    std::mt19937 rng(12345);
    ASSERT_GE(std::size(kTargets), 5u);
    for (const Target& t : kTargets) {
        SCOPED_TRACE(t.name);
        for (const auto& seed : seeds) t.entry(seed.data(), seed.size());
        for (const auto& input : Regressions(t.name)) t.entry(input.data(), input.size());
        for (int round = 0; round < 4000; ++round) {
            std::vector<std::uint8_t> input = seeds[rng() % seeds.size()];
            const int edits = 1 + static_cast<int>(rng() % 8);
            for (int e = 0; e < edits; ++e) {
                switch (rng() % 4) {
                    case 0:
                        if (!input.empty()) input[rng() % input.size()] = static_cast<std::uint8_t>(rng());
                        break;
                    case 1:
                        if (!input.empty()) input.resize(rng() % input.size());
                        break;
                    case 2:
                        input.insert(input.begin() + (input.empty() ? 0 : rng() % input.size()),
                                     static_cast<std::uint8_t>(rng()));
                        break;
                    default:
                        if (input.size() >= 4) {
                            const std::size_t at = rng() % (input.size() - 3);
                            const std::uint32_t v = (rng() % 2) ? 0xFFFFFFFFu : rng() % 5000;
                            for (int k = 0; k < 4; ++k) input[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
                        }
                }
            }
            t.entry(input.data(), input.size());
        }
    }
}

}  // namespace
