#include "frontend/records_table.h"

#include <cstdio>
#include <cstring>
#include <dirent.h>

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

namespace {

constexpr char kReplaysMark[] = "DWREPLAYS1\n";
constexpr std::size_t kMaxReplayName = 64;
// The most a table with its replays takes; the rest of a larger file is
// not read, and a save writes the file anew without it.
constexpr std::size_t kMaxRecordsBytes = 4096;

std::string ReplaysDir(const std::string& recordsPath) {
    const std::size_t slash = recordsPath.rfind('/');
    return (slash == std::string::npos ? std::string() : recordsPath.substr(0, slash + 1)) + kReplaysFolder;
}

}  // namespace

bool IsTableReplayName(const std::string& name) {
    constexpr char kSuffix[] = ".dwdemo";
    constexpr std::size_t kSuffixLength = sizeof kSuffix - 1;
    if (name.size() > kMaxReplayName || name.size() <= 5 + kSuffixLength || name.compare(0, 5, "best-") != 0 ||
        name.compare(name.size() - kSuffixLength, kSuffixLength, kSuffix) != 0)
        return false;
    for (std::size_t i = 5; i < name.size() - kSuffixLength; ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')) return false;
    }
    return true;
}

std::string TableReplayName(const std::string& bytes) {
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (const char c : bytes) {
        h ^= static_cast<std::uint8_t>(c);
        h *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return std::string("best-") + hex + ".dwdemo";
}

RecordReplays ParseRecordReplays(const std::uint8_t* data, std::size_t size) {
    RecordReplays r;
    for (int i = 0; i < RecordTable::kPlaces; ++i) r.files[i] = "best-" + std::to_string(i + 1) + ".dwdemo";
    constexpr std::size_t kMark = sizeof kReplaysMark - 1;
    if (!data || size < RecordTable::kFileSize + kMark ||
        std::memcmp(data + RecordTable::kFileSize, kReplaysMark, kMark) != 0)
        return r;
    const std::string text(reinterpret_cast<const char*>(data) + RecordTable::kFileSize + kMark,
                           size - RecordTable::kFileSize - kMark);
    RecordReplays listed;
    listed.listed = true;
    std::size_t at = 0;
    for (int i = 0; i < RecordTable::kPlaces; ++i) {
        const std::size_t nl = text.find('\n', at);
        if (nl == std::string::npos) return r;  // cut: the old names
        std::string name = text.substr(at, nl - at);
        if (!name.empty() && !IsTableReplayName(name)) name.clear();  // never a path of another folder
        listed.files[i] = std::move(name);
        at = nl + 1;
    }
    return listed;
}

std::string SerializeRecordReplays(const RecordReplays& replays) {
    std::string out = kReplaysMark;
    for (const std::string& f : replays.files) out += (IsTableReplayName(f) ? f : std::string()) + "\n";
    return out;
}

RecordReplays LoadRecordReplays(const std::string& path) {
    std::string bytes;
    platform::ReadStoredFile(path, bytes, kMaxRecordsBytes);
    return ParseRecordReplays(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

int RemoveUnlistedReplays(const std::string& recordsPath) {
    const std::string dir = ReplaysDir(recordsPath);
    int removed = 0;
    const auto sweep = [&] {
        const RecordReplays listed = LoadRecordReplays(recordsPath);
        DIR* d = ::opendir(dir.c_str());
        if (!d) return;
        while (const dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (!IsTableReplayName(name)) continue;
            bool named = false;
            for (const std::string& f : listed.files) named |= f == name;
            std::string file = dir;
            file.append("/").append(name);
            if (!named && std::remove(file.c_str()) == 0) ++removed;
        }
        ::closedir(d);
    };
    // Under the table's lock: a save of another copy writes its replay and
    // names it in the table while holding it.
    if (platform::KindOfPath(recordsPath) == platform::PathKind::Regular)
        platform::WithFileLock(recordsPath, sweep);
    else
        sweep();
    return removed + platform::RemoveStaleTemporariesIn(dir);
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
    // A replay stays named where its place holds the same entry as on disk.
    const auto edit = [&](std::string& bytes) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        const RecordTable before = ParseRecordTable(data, bytes.size());
        RecordReplays replays = ParseRecordReplays(data, bytes.size());
        for (int p = 0; p < RecordTable::kPlaces; ++p) {
            const bool same = before.scores[p] == table.scores[p] &&
                std::strncmp(before.names[p], table.names[p], RecordTable::kNameBytes) == 0;
            if (!same) replays.files[static_cast<std::size_t>(p)].clear();
        }
        bytes = SerializeRecordTable(table) + (replays.listed ? SerializeRecordReplays(replays) : std::string());
        return true;
    };
    return FromStore(platform::UpdateFile(path, kMaxRecordsBytes, edit, platform::Oversize::ReadFirstBytes), path);
}

RecordWrite SaveRecordEntry(const std::string& path, const char* name, std::uint32_t score, RecordTable& table,
                            int& place, const std::function<std::string()>& keepReplay) {
    place = RecordTable::kPlaces;
    RecordTable merged{};
    RecordReplays before, after;
    const platform::StoreResult r = platform::UpdateFile(
        path, kMaxRecordsBytes,
        [&](std::string& bytes) {
            const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
            merged = ParseRecordTable(data, bytes.size());
            before = after = ParseRecordReplays(data, bytes.size());
            // A table of an earlier version names the replays that exist.
            for (std::string& f : after.files)
                if (!before.listed && !platform::IsRegularFile(ReplaysDir(path) + "/" + f)) f.clear();
            CapScores(merged);
            place = InsertionPlace(merged, score);
            if (place >= RecordTable::kPlaces) return false;
            InsertScore(merged, place, score);
            std::strncpy(merged.names[place], name, RecordTable::kNameBytes - 1);
            CapScores(merged);
            for (int p = RecordTable::kPlaces - 1; p > place; --p) after.files[p] = after.files[p - 1];
            after.files[place] = keepReplay ? keepReplay() : std::string();
            bytes = SerializeRecordTable(merged) + SerializeRecordReplays(after);
            return true;
        },
        platform::Oversize::ReadFirstBytes);
    if (r == platform::StoreResult::Written || r == platform::StoreResult::Unchanged) table = merged;
    if (r != platform::StoreResult::Written) place = RecordTable::kPlaces;
    // What no table names now: the replay that dropped out, or the new one
    // when the table could not be saved.
    const RecordReplays& kept = r == platform::StoreResult::Written ? after : before;
    for (const RecordReplays* list : {&before, &after}) {
        for (const std::string& f : list->files) {
            bool named = f.empty();
            for (const std::string& k : kept.files) named |= k == f;
            if (!named) std::remove((ReplaysDir(path) + "/" + f).c_str());
        }
    }
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
