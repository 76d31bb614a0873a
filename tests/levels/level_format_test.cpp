// The level file parser: good files, and every way a file can lie about itself.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "game/level_format.h"

namespace dw {
namespace {

std::vector<std::uint8_t> Header(std::uint32_t columns, std::uint32_t length, std::uint32_t spawns,
                                 std::uint32_t ground) {
    std::vector<std::uint8_t> out(16);
    const std::uint32_t fields[4] = {columns, length, spawns, ground};
    for (int f = 0; f < 4; ++f)
        for (int b = 0; b < 4; ++b) out[f * 4 + b] = static_cast<std::uint8_t>(fields[f] >> (8 * b));
    return out;
}

TEST(LevelFormat, RoundTripKeepsHeaderListsAndOrder) {
    const std::vector<LevelRecord> spawns = {{3, 0, 3, 1}, {12, 5, 2, 2}, {6, 899, 3, 15}};
    const std::vector<LevelRecord> ground = {{0, 5, 0, 1}, {11, 5, 1, 2}};
    const auto bytes = SerializeLevelFile(13, 900, spawns, ground);
    ASSERT_EQ(bytes.size(), 16u + 16u * 5u);
    // Little-endian on disk whatever the host: column 12 of the second record.
    EXPECT_EQ(bytes[16 + 16], 12);
    EXPECT_EQ(bytes[16 + 16 + 1], 0);

    const auto r = ParseLevelFile(bytes.data(), bytes.size());
    ASSERT_TRUE(r.ok()) << LevelParseErrorName(r.error);
    EXPECT_EQ(r.columns, 13u);
    EXPECT_EQ(r.length, 900u);
    EXPECT_EQ(r.spawns, spawns);
    EXPECT_EQ(r.ground, ground);
}

TEST(LevelFormat, EmptyListsAndTrailingBytesAreAccepted) {
    auto bytes = Header(13, 0, 0, 0);
    auto r = ParseLevelFile(bytes.data(), bytes.size());
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.spawns.empty());
    EXPECT_TRUE(r.ground.empty());

    // One spawn record, no ground, and padding after the lists.
    bytes = SerializeLevelFile(13, 10, {{1, 2, 3, 4}}, {});
    bytes.resize(bytes.size() + 7, 0xEE);
    r = ParseLevelFile(bytes.data(), bytes.size());
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.spawns.size(), 1u);
    EXPECT_EQ(r.spawns[0], (LevelRecord{1, 2, 3, 4}));
    EXPECT_TRUE(r.ground.empty());
}

TEST(LevelFormat, TooShortForHeader) {
    const auto full = Header(13, 700, 0, 0);
    EXPECT_EQ(ParseLevelFile(nullptr, 0).error, LevelParseError::tooShortForHeader);
    EXPECT_EQ(ParseLevelFile(full.data(), 0).error, LevelParseError::tooShortForHeader);
    EXPECT_EQ(ParseLevelFile(full.data(), 15).error, LevelParseError::tooShortForHeader);
    EXPECT_TRUE(ParseLevelFile(full.data(), 16).ok());
}

TEST(LevelFormat, ShorterThanHeaderSaysReadsNothing) {
    // Two records promised (one per list), one and a half present.
    auto bytes = SerializeLevelFile(13, 700, {{1, 1, 3, 1}}, {{2, 1, 0, 1}});
    for (std::size_t cut : {std::size_t{16}, std::size_t{31}, std::size_t{32}, bytes.size() - 1}) {
        const auto r = ParseLevelFile(bytes.data(), cut);
        EXPECT_EQ(r.error, LevelParseError::shorterThanHeaderSays) << "cut at " << cut;
        EXPECT_TRUE(r.spawns.empty());
        EXPECT_TRUE(r.ground.empty());
        EXPECT_EQ(r.columns, 13u);  // the header itself was readable
    }
    EXPECT_TRUE(ParseLevelFile(bytes.data(), bytes.size()).ok());
}

TEST(LevelFormat, CountsAboveTheRoomAreRefused) {
    // 3000 records is the most either list may hold; 3001 is refused even
    // when the bytes are all there.
    std::vector<LevelRecord> many(kMaxLevelRecords, LevelRecord{0, 0, 3, 1});
    auto bytes = SerializeLevelFile(13, 700, many, many);
    EXPECT_TRUE(ParseLevelFile(bytes.data(), bytes.size()).ok());

    many.push_back({0, 0, 3, 1});
    bytes = SerializeLevelFile(13, 700, many, {});
    EXPECT_EQ(ParseLevelFile(bytes.data(), bytes.size()).error, LevelParseError::tooManyRecords);
    bytes = SerializeLevelFile(13, 700, {}, many);
    EXPECT_EQ(ParseLevelFile(bytes.data(), bytes.size()).error, LevelParseError::tooManyRecords);
}

TEST(LevelFormat, HugeCountsThatWrapIn32BitsAreRefused) {
    // 16 x 0x10000000 wraps to 0 in 32-bit arithmetic, and 16 x 0x10000001 to 16:
    // a size check done in 32 bits would let these read far past the buffer.
    std::vector<std::uint8_t> bytes = Header(13, 700, 0x10000001u, 0);
    bytes.resize(64, 0);
    EXPECT_EQ(ParseLevelFile(bytes.data(), bytes.size()).error, LevelParseError::tooManyRecords);
    bytes = Header(13, 700, 0x10000000u, 0x10000000u);
    bytes.resize(64, 0);
    EXPECT_EQ(ParseLevelFile(bytes.data(), bytes.size()).error, LevelParseError::tooManyRecords);
    bytes = Header(13, 700, 1, 0xFFFFFFFFu);
    bytes.resize(64, 0);
    const auto r = ParseLevelFile(bytes.data(), bytes.size());
    EXPECT_EQ(r.error, LevelParseError::tooManyRecords);
    EXPECT_TRUE(r.spawns.empty());
}

TEST(LevelFormat, EveryPrefixOfAGoodFileIsSafe) {
    const auto bytes = SerializeLevelFile(13, 700, {{1, 0, 3, 1}, {2, 1, 3, 2}}, {{0, 1, 0, 1}});
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
        // Copy into an exact-size buffer so a read past the end would be caught
        // by the sanitizers.
        std::vector<std::uint8_t> exact(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        const auto r = ParseLevelFile(exact.data(), exact.size());
        EXPECT_EQ(r.ok(), n == bytes.size()) << n;
    }
}

}  // namespace
}  // namespace dw
