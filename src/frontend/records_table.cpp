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
        for (int j = 0; j < RecordTable::kNameBytes - 1 && field[j]; ++j)
            t.names[i][j] = static_cast<char>(field[j]);
    }
    const std::uint8_t* s = data + RecordTable::kPlaces * RecordTable::kNameBytes;
    for (int i = 0; i < RecordTable::kPlaces; ++i, s += 4)
        t.scores[i] = static_cast<std::uint32_t>(s[0]) | static_cast<std::uint32_t>(s[1]) << 8 |
                      static_cast<std::uint32_t>(s[2]) << 16 |
                      static_cast<std::uint32_t>(s[3]) << 24;
    return t;
}

std::string SerializeRecordTable(const RecordTable& table) {
    std::string out(RecordTable::kFileSize, '\0');
    for (int i = 0; i < RecordTable::kPlaces; ++i) {
        for (int j = 0; j < RecordTable::kNameBytes - 1 && table.names[i][j]; ++j)
            out[static_cast<std::size_t>(i * RecordTable::kNameBytes + j)] = table.names[i][j];
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

RecordWrite SaveRecordTable(const std::string& path, const RecordTable& table) {
    switch (platform::StoreFile(path, SerializeRecordTable(table))) {
        case platform::StoreResult::Written: return RecordWrite::Written;
        case platform::StoreResult::NotRegular: return RecordWrite::NotRegular;
        case platform::StoreResult::ReadOnly: return RecordWrite::ReadOnly;
        case platform::StoreResult::Failed: break;
    }
    return platform::KindOfPath(path) == platform::PathKind::Missing ? RecordWrite::NotOpened
                                                                     : RecordWrite::Incomplete;
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
