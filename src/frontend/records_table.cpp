#include "frontend/records_table.h"

#include <cstdio>
#include <cstring>

#include "platform/stored_file.h"

namespace dw {

RecordTable DefaultRecordTable() {
    RecordTable t{};
    for (int i = 0; i < RecordTable::kPlaces; ++i) {
        std::strncpy(t.names[i], "Vexlar Wardenry", RecordTable::kNameBytes);
        t.scores[i] = 800000u - 100000u * static_cast<std::uint32_t>(i);
    }
    return t;
}

RecordTable ParseRecordTable(const std::uint8_t* data, std::size_t size) {
    if (!data || size < RecordTable::kFileSize) return DefaultRecordTable();
    RecordTable t{};
    for (int i = 0; i < RecordTable::kPlaces; ++i) {
        const std::uint8_t* field = data + i * RecordTable::kNameBytes;
        // Up to the terminator, never past the 16th character.
        for (int j = 0; j < RecordTable::kNameBytes - 1 && field[j]; ++j) t.names[i][j] = static_cast<char>(field[j]);
    }
    const std::uint8_t* s = data + RecordTable::kPlaces * RecordTable::kNameBytes;
    for (int i = 0; i < RecordTable::kPlaces; ++i, s += 4)
        t.scores[i] = static_cast<std::uint32_t>(s[0]) | static_cast<std::uint32_t>(s[1]) << 8 |
            static_cast<std::uint32_t>(s[2]) << 16 | static_cast<std::uint32_t>(s[3]) << 24;
    return t;
}

std::string SerializeRecordTable(const RecordTable& table) {
    std::string out(RecordTable::kFileSize, '\0');
    for (int i = 0; i < RecordTable::kPlaces; ++i) {
        for (int j = 0; j < RecordTable::kNameBytes - 1 && table.names[i][j]; ++j)
            out[static_cast<std::size_t>(i) * RecordTable::kNameBytes + static_cast<std::size_t>(j)] =
                table.names[i][j];
    }
    std::size_t at = RecordTable::kPlaces * RecordTable::kNameBytes;
    for (int i = 0; i < RecordTable::kPlaces; ++i) {
        const std::uint32_t v = table.scores[i];
        for (int b = 0; b < 4; ++b) out[at++] = static_cast<char>((v >> (8 * b)) & 0xFFu);
    }
    return out;
}

RecordTable LoadRecordTable(const std::string& path, RecordRead* status) {
    if (status) *status = RecordRead::Missing;
    bool notRegular = false;
    std::FILE* f = platform::OpenRegularFile(path, "rb", &notRegular);
    if (!f) {
        if (status && notRegular) *status = RecordRead::NotRegular;
        return DefaultRecordTable();
    }
    std::uint8_t block[RecordTable::kFileSize];
    const std::size_t got = std::fread(block, 1, sizeof block, f);
    std::fclose(f);
    if (status) *status = got == sizeof block ? RecordRead::Complete : RecordRead::Short;
    return ParseRecordTable(block, got);
}

namespace {

RecordWrite FromStore(platform::StoreResult r, const std::string& path) {
    switch (r) {
        case platform::StoreResult::Written: return RecordWrite::Written;
        case platform::StoreResult::NotRegular: return RecordWrite::NotRegular;
        case platform::StoreResult::ReadOnly: return RecordWrite::ReadOnly;
        case platform::StoreResult::Locked: return RecordWrite::Locked;
        case platform::StoreResult::Unchanged: return RecordWrite::Unchanged;
        case platform::StoreResult::TooLarge:
        case platform::StoreResult::Failed: break;
    }
    return platform::KindOfPath(path) == platform::PathKind::Missing ? RecordWrite::NotOpened : RecordWrite::Incomplete;
}

}  // namespace

RecordWrite SaveRecordTable(const std::string& path, const RecordTable& table) {
    return FromStore(platform::StoreFile(path, SerializeRecordTable(table)), path);
}

RecordWrite SaveRecordEntry(const std::string& path, const char* name, std::uint32_t score, RecordTable& table,
                            int& place) {
    constexpr std::size_t kMaxBytes = 1u << 20;
    place = RecordTable::kPlaces;
    RecordTable merged{};
    const platform::StoreResult r = platform::UpdateFile(path, kMaxBytes, [&](std::string& bytes) {
        merged = ParseRecordTable(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        CapScores(merged);
        place = InsertionPlace(merged, score);
        if (place >= RecordTable::kPlaces) return false;
        InsertScore(merged, place, score);
        std::strncpy(merged.names[place], name, RecordTable::kNameBytes - 1);
        CapScores(merged);
        bytes = SerializeRecordTable(merged);
        return true;
    });
    if (r == platform::StoreResult::Written || r == platform::StoreResult::Unchanged) table = merged;
    if (r != platform::StoreResult::Written) place = RecordTable::kPlaces;
    return FromStore(r, path);
}

const char* RecordWriteText(RecordWrite w) {
    switch (w) {
        case RecordWrite::Written: return "saved";
        case RecordWrite::Unchanged: return "no longer enters the table";
        case RecordWrite::NotRegular: return "records.csm is not a regular file";
        case RecordWrite::ReadOnly: return "records.csm is read-only";
        case RecordWrite::Locked: return "records.csm is locked by another program";
        case RecordWrite::NotOpened:
        case RecordWrite::Incomplete: break;
    }
    return "the disk refused the write";
}

int InsertionPlace(const RecordTable& table, std::uint32_t score) {
    if (score <= table.scores[RecordTable::kPlaces - 1]) return RecordTable::kPlaces;
    int p = 0;
    for (int i = 0; i < RecordTable::kPlaces; ++i) p += table.scores[i] >= score;
    return p;
}

void InsertScore(RecordTable& table, int place, std::uint32_t score) {
    if (place < 0 || place >= RecordTable::kPlaces) return;
    for (int i = RecordTable::kPlaces - 1; i > place; --i) {
        std::memcpy(table.names[i], table.names[i - 1], RecordTable::kNameBytes);
        table.scores[i] = table.scores[i - 1];
    }
    std::memset(table.names[place], 0, RecordTable::kNameBytes);
    table.scores[place] = score;
}

void CapScores(RecordTable& table) {
    for (auto& s : table.scores)
        if (s > RecordTable::kScoreCap) s = RecordTable::kScoreCap;
}

}  // namespace dw
