#include "game/level_format.h"

namespace dw {
namespace {

std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void WriteU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 24));
}

void ReadRecords(const std::uint8_t* p, std::uint32_t count, std::vector<LevelRecord>& out) {
    out.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i, p += kLevelRecordSize)
        out.push_back({ReadU32(p), ReadU32(p + 4), ReadU32(p + 8), ReadU32(p + 12)});
}

}  // namespace

LevelParseResult ParseLevelFile(const std::uint8_t* bytes, std::size_t size) {
    LevelParseResult result;
    if (bytes == nullptr || size < kLevelHeaderSize) {
        result.error = LevelParseError::tooShortForHeader;
        return result;
    }
    result.columns = ReadU32(bytes);
    result.length = ReadU32(bytes + 4);
    result.spawnCount = ReadU32(bytes + 8);
    result.groundCount = ReadU32(bytes + 12);
    if (result.spawnCount > kMaxLevelRecords || result.groundCount > kMaxLevelRecords) {
        result.error = LevelParseError::tooManyRecords;
        return result;
    }
    // Both counts are at most 3000 here, so this cannot overflow even in 32 bits;
    // it is done in 64 bits anyway so the check never depends on that order.
    const std::uint64_t needed =
        kLevelHeaderSize + kLevelRecordSize * (static_cast<std::uint64_t>(result.spawnCount) + result.groundCount);
    if (static_cast<std::uint64_t>(size) < needed) {
        result.error = LevelParseError::shorterThanHeaderSays;
        return result;
    }
    const std::uint8_t* p = bytes + kLevelHeaderSize;
    ReadRecords(p, result.spawnCount, result.spawns);
    ReadRecords(p + kLevelRecordSize * result.spawnCount, result.groundCount, result.ground);
    return result;
}

const char* LevelParseErrorName(LevelParseError error) {
    switch (error) {
        case LevelParseError::ok: return "ok";
        case LevelParseError::tooShortForHeader: return "too short for the header";
        case LevelParseError::shorterThanHeaderSays: return "shorter than its header says";
        case LevelParseError::tooManyRecords: return "more records than a level may hold";
    }
    return "unknown";
}

std::vector<std::uint8_t> SerializeLevelFile(std::uint32_t columns, std::uint32_t length,
                                             const std::vector<LevelRecord>& spawns,
                                             const std::vector<LevelRecord>& ground) {
    std::vector<std::uint8_t> out;
    out.reserve(kLevelHeaderSize + kLevelRecordSize * (spawns.size() + ground.size()));
    WriteU32(out, columns);
    WriteU32(out, length);
    WriteU32(out, static_cast<std::uint32_t>(spawns.size()));
    WriteU32(out, static_cast<std::uint32_t>(ground.size()));
    for (const auto* list : {&spawns, &ground})
        for (const LevelRecord& r : *list) {
            WriteU32(out, r.column);
            WriteU32(out, r.row);
            WriteU32(out, r.group);
            WriteU32(out, r.type);
        }
    return out;
}

}  // namespace dw
