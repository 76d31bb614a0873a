#pragma once
// The level script language: a readable source (data/levels/levelN.lvl)
// compiled into the two record lists of a level file.
//
//   level 3                         this is shipped level 3 (held to its facts)
//   columns 13                      battlefield width
//   length 700                      rows
//   expect spawns 1953 ground 704   exact record counts the level must reach
//   boss bigbos1                    the boss, column 6, last row, last record
//   quiet 180..199                  assert: no flying enemy enters here
//
//   at ROW: FORMATION               one formation at ROW
//   at A..B every K [mirror]: ...   repeated at A, A+K, ... <= B
//                                   (mirror: every second copy is flipped)
//   at A..B: swarm KIND cols C..D count N|rest
//
// formations:
//   line   KIND cols COLS                one row across the listed columns
//   column KIND col C count N [gap G]    one behind the other (train = same)
//   vee    KIND centre C count N [gap G] point first, arms trailing
//   dive   left|right|both KIND count N [gap G]   from the edge columns
//   turret gunfour|guntank cols COLS     ground guns (need ground under them)
//
// ground:
//   ground A..B LAYER cols COLS [tile T]
//   ground A.. LAYER cols C..D [tile T] cells N|rest   sized by its cell count
//   LAYER: lower, upper, both (upper cells sit between lower ones)
//   T: 1, 2, checker, rim
//   A ground piece shows at most 98 cells per layer; a run that holds more
//   must say so with the word `long`.
//
// COLS: 6 | 3,6,9 | 2..10 | 2..10 step 2
#include <cstdint>
#include <string>
#include <vector>

#include "game/level_format.h"

namespace levelgen {

struct PlacedRecord {
    dw::LevelRecord rec;
    int line = 0;          // source line that made it
    bool longRun = false;  // ground: may belong to a run longer than a piece shows
};

struct CompiledLevel {
    std::string file;
    int levelIndex = -1;  // from `level N`; -1 when the source is not a shipped level
    int levelLine = 0;
    std::uint32_t columns = 0;
    std::uint32_t length = 0;
    bool hasExpect = false;
    std::uint32_t expectSpawns = 0;
    std::uint32_t expectGround = 0;
    int expectLine = 0;
    std::uint32_t bossType = 0;  // 0: no boss
    int bossLine = 0;
    int restSpawns = -1;  // what `rest` resolved to, -1 when unused
    int restGround = -1;
    std::vector<PlacedRecord> spawns;  // sorted by row
    std::vector<PlacedRecord> ground;  // sorted by row
};

// Compiles and validates one source. Every problem is appended to `errors`
// as "file:line: message"; the level is usable only when none was added.
CompiledLevel CompileLevelSource(const std::string& file, const std::string& text, std::vector<std::string>& errors);

// The facts every shipped level must hold (counts, bosses, first and last
// records). Checked on the bytes actually written.
void CheckShippedFacts(const CompiledLevel& level, const dw::LevelParseResult& bytes, std::vector<std::string>& errors);

// Name of a spawn code for summaries ("senemy1", "gunfour", ...).
std::string RecordKindName(const dw::LevelRecord& r);

}  // namespace levelgen
