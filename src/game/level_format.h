#pragma once
// The binary level file: a 16-byte header (columns, length, spawnCount,
// groundCount) followed by the spawn list and the ground list, 16-byte
// records of four little-endian uint32 each. Parsing is pure and bounded:
// nothing outside the given bytes is ever read.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace dw {

struct LevelRecord {
    std::uint32_t column;
    std::uint32_t row;
    std::uint32_t group;
    std::uint32_t type;

    bool operator==(const LevelRecord&) const = default;
};

// Room the game keeps per list; a file asking for more is refused.
inline constexpr std::uint32_t kMaxLevelRecords = 3000;
inline constexpr std::size_t kLevelHeaderSize = 16;
inline constexpr std::size_t kLevelRecordSize = 16;

enum class LevelParseError {
    ok,
    tooShortForHeader,      // fewer than 16 bytes
    shorterThanHeaderSays,  // the two lists do not fit in the bytes given
    tooManyRecords,         // spawnCount or groundCount above kMaxLevelRecords
};

struct LevelParseResult {
    LevelParseError error = LevelParseError::ok;
    // Header fields; filled whenever the header itself could be read.
    std::uint32_t columns = 0;
    std::uint32_t length = 0;
    std::uint32_t spawnCount = 0;
    std::uint32_t groundCount = 0;
    // Filled only when error == ok.
    std::vector<LevelRecord> spawns;
    std::vector<LevelRecord> ground;

    bool ok() const { return error == LevelParseError::ok; }
};

// Bytes past the end of the ground list are ignored.
LevelParseResult ParseLevelFile(const std::uint8_t* bytes, std::size_t size);

const char* LevelParseErrorName(LevelParseError error);

// The inverse: header and both lists as a level file.
std::vector<std::uint8_t> SerializeLevelFile(std::uint32_t columns, std::uint32_t length,
                                             const std::vector<LevelRecord>& spawns,
                                             const std::vector<LevelRecord>& ground);

}  // namespace dw
