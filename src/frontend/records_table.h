#pragma once
// The eight-place high-score table and its file "records.csm": 168 bytes,
// no header; eight names of 17 bytes (at most 16 characters, zero-terminated)
// followed by eight unsigned 32-bit little-endian scores. Place 1 first.
// After them the file names the replay of each place (RecordReplays).
#include <cstddef>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace dw {

inline constexpr char kRecordsFile[] = "records.csm";
inline constexpr char kRecordsWriteFailed[] = "FAIL: I can't write the highscores table !";
inline constexpr char kRecordsNotRegular[] = "records.csm is not a regular file: the highscores table is not read";

struct RecordTable {
    static constexpr int kPlaces = 8;
    static constexpr int kNameBytes = 17;
    static constexpr std::size_t kFileSize = kPlaces * kNameBytes + kPlaces * 4;  // 168
    static constexpr std::uint32_t kScoreCap = 9999999;

    char names[kPlaces][kNameBytes];
    std::uint32_t scores[kPlaces];
};
static_assert(sizeof(RecordTable) == RecordTable::kFileSize);

// The table used when there is no usable file.
RecordTable DefaultRecordTable();

// Reads a table from file bytes: fewer than 168 bytes give the default
// table; bytes past the 168th are ignored; a name without a terminator in
// its field is cut to 16 characters.
RecordTable ParseRecordTable(const std::uint8_t* data, std::size_t size);
// The 168 bytes of a table (each name's bytes after its terminator zeroed).
std::string SerializeRecordTable(const RecordTable& table);

// The replays of the table's places, files of the folder "replays" beside
// records.csm: written after the table as "DWREPLAYS1\n" and eight lines,
// each a file name or empty. A table without them (saved by an earlier
// version) has best-1.dwdemo .. best-8.dwdemo. The table and its replays
// change in one rename of records.csm, so a kill at any moment leaves them
// in step: a replay is written (named by its content) before the table
// names it, and removed only once no table names it.
struct RecordReplays {
    std::array<std::string, RecordTable::kPlaces> files;
    bool listed = false;  // the file lists them (else the old names)
};
inline constexpr char kReplaysFolder[] = "replays";
RecordReplays ParseRecordReplays(const std::uint8_t* data, std::size_t size);
std::string SerializeRecordReplays(const RecordReplays& replays);
RecordReplays LoadRecordReplays(const std::string& path);
// A name the table's replays may have: best-*.dwdemo, letters, digits and
// '-' only.
bool IsTableReplayName(const std::string& name);
// The name of a replay by its bytes: best-<16 hex digits>.dwdemo.
std::string TableReplayName(const std::string& bytes);
// At start: removes the files of the replays folder with a table replay's
// name that the table on disk does not name (a save killed part way, a place
// that dropped out), under the table's lock, and left-over temporary files.
int RemoveUnlistedReplays(const std::string& recordsPath);

enum class RecordRead { Complete, Missing, Short, NotRegular };
// Reads the table from a file (the default table unless a full one was
// read). A FIFO, directory or device in its place is never opened.
RecordTable LoadRecordTable(const std::string& path, RecordRead* status = nullptr);

enum class RecordWrite { Written, NotOpened, Incomplete, NotRegular, ReadOnly, Locked, Unchanged };
// Writes the table without ever losing the one on disk: through a temporary
// file and a rename where the directory allows it, else in place through the
// existing file (a symbolic link stays a link). A read-only file, or one
// that is not regular, is left alone.
RecordWrite SaveRecordTable(const std::string& path, const RecordTable& table);

// Enters one score with its name into the table as it is on disk at the
// moment of saving, under the file's lock, so that an entry another copy of
// the game saved meanwhile stays. `table` becomes the table written and
// `place` the place taken (kPlaces, and Unchanged, when the score no longer
// enters). `keepReplay`, when given, is called under the lock once the
// place is known: it writes the game's replay into the replays folder and
// gives its file name (empty when it could not), which the table then names
// at that place. The replay that drops out of the table is removed.
RecordWrite SaveRecordEntry(const std::string& path, const char* name, std::uint32_t score, RecordTable& table,
                            int& place, const std::function<std::string()>& keepReplay = {});
// Why a save failed, for the player.
const char* RecordWriteText(RecordWrite w);

// Where a score enters the table: the number of places whose score is at
// least `score`; 8 when it does not enter.
int InsertionPlace(const RecordTable& table, std::uint32_t score);
// Moves places p..7 down one (the last drops out) and puts `score` with an
// empty name at p.
void InsertScore(RecordTable& table, int place, std::uint32_t score);
// Lowers every score above the cap to the cap.
void CapScores(RecordTable& table);

}  // namespace dw
