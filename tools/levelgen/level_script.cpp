#include "level_script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <iterator>
#include <tuple>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace levelgen {
namespace {

constexpr std::uint32_t kGroupLower = 0;
constexpr std::uint32_t kGroupUpper = 1;
constexpr std::uint32_t kGroupTurret = 2;
constexpr std::uint32_t kGroupFlying = 3;
constexpr int kMaxFlyingPerRow = 11;
constexpr std::uint32_t kPieceLayerCells = 98;  // what one ground piece shows per layer

struct KindName {
    const char* name;
    std::uint32_t group;
    std::uint32_t type;
};

constexpr std::array<KindName, 20> kKinds = {{
    {"senemy1", kGroupFlying, 1},  {"senemy2", kGroupFlying, 2},  {"senemy3", kGroupFlying, 3},
    {"senemy4", kGroupFlying, 4},  {"senemy5", kGroupFlying, 5},  {"senemy6", kGroupFlying, 6},
    {"henemy1", kGroupFlying, 7},  {"henemy2", kGroupFlying, 8},  {"elite", kGroupFlying, 9},
    {"henemy3", kGroupFlying, 10}, {"henemy4", kGroupFlying, 11}, {"henemy5", kGroupFlying, 12},
    {"henemy6", kGroupFlying, 13}, {"bigbos0", kGroupFlying, 15}, {"bigbos1", kGroupFlying, 16},
    {"bigbos2", kGroupFlying, 17}, {"bigbos3", kGroupFlying, 18}, {"bigbos4", kGroupFlying, 19},
    {"gunfour", kGroupTurret, 1},  {"guntank", kGroupTurret, 2},
}};

bool IsBossType(std::uint32_t type) { return type >= 15 && type <= 19; }

struct ShippedFacts {
    std::uint32_t length, spawns, ground, boss;
};
constexpr std::array<ShippedFacts, 10> kShipped = {{
    {900, 2705, 718, 15},
    {700, 2122, 544, 0},
    {700, 2148, 898, 16},
    {700, 1953, 704, 0},
    {700, 1922, 1848, 17},
    {700, 1244, 1652, 0},
    {700, 1513, 1368, 18},
    {700, 1539, 1295, 0},
    {700, 1571, 1163, 19},
    {700, 1555, 1309, 0},
}};
constexpr std::uint32_t kShippedColumns = 13;
constexpr std::uint32_t kLongRunCells = 104;  // level 5's long fortress wall

// ---------------------------------------------------------------------------

struct ScriptError {
    std::string message;
};

std::vector<std::string> Tokenize(const std::string& line) {
    std::string spaced;
    for (char c : line) {
        if (c == '#') break;
        if (c == ':' || c == ',') {
            spaced += ' ';
            spaced += c;
            spaced += ' ';
        } else {
            spaced += c;
        }
    }
    std::istringstream in(spaced);
    std::vector<std::string> tokens;
    for (std::string t; in >> t;) tokens.push_back(t);
    return tokens;
}

int ParseInt(const std::string& s) {
    if (s.empty() || s.size() > 6 || !std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); }))
        throw ScriptError{"expected a number, found '" + s + "'"};
    return std::stoi(s);
}

struct Range {
    int first = 0;
    int last = 0;       // inclusive
    bool open = false;  // "A.." with no end
};

Range ParseRange(const std::string& s, bool allowOpen) {
    const auto dots = s.find("..");
    if (dots == std::string::npos) {
        const int v = ParseInt(s);
        return {v, v, false};
    }
    Range r;
    r.first = ParseInt(s.substr(0, dots));
    const std::string rest = s.substr(dots + 2);
    if (rest.empty()) {
        if (!allowOpen) throw ScriptError{"range '" + s + "' needs an end"};
        r.open = true;
        r.last = r.first;
        return r;
    }
    r.last = ParseInt(rest);
    if (r.last < r.first) throw ScriptError{"range '" + s + "' runs backwards"};
    return r;
}

// Cursor over the tokens of one line.
class Tokens {
public:
    explicit Tokens(std::vector<std::string> t) : tokens_(std::move(t)) {}
    bool done() const { return pos_ >= tokens_.size(); }
    const std::string& peek() const {
        static const std::string empty;
        return done() ? empty : tokens_[pos_];
    }
    std::string next(const char* what) {
        if (done()) throw ScriptError{std::string("expected ") + what + " at the end of the line"};
        return tokens_[pos_++];
    }
    void expect(const std::string& word) {
        const std::string t = next(("'" + word + "'").c_str());
        if (t != word) throw ScriptError{"expected '" + word + "', found '" + t + "'"};
    }
    bool accept(const std::string& word) {
        if (!done() && tokens_[pos_] == word) {
            ++pos_;
            return true;
        }
        return false;
    }
    void finish() {
        if (!done()) throw ScriptError{"unexpected '" + tokens_[pos_] + "'"};
    }

private:
    std::vector<std::string> tokens_;
    std::size_t pos_ = 0;
};

std::vector<int> ParseColumns(Tokens& t) {
    std::vector<int> cols;
    const Range first = ParseRange(t.next("columns"), false);
    if (first.first != first.last || t.peek() == "step") {
        int step = 1;
        if (t.accept("step")) {
            step = ParseInt(t.next("a step"));
            if (step < 1) throw ScriptError{"step must be at least 1"};
        }
        for (int c = first.first; c <= first.last; c += step) cols.push_back(c);
        return cols;
    }
    cols.push_back(first.first);
    while (t.accept(",")) cols.push_back(ParseInt(t.next("a column")));
    return cols;
}

const KindName& ParseKind(const std::string& name) {
    for (const KindName& k : kKinds)
        if (name == k.name) return k;
    throw ScriptError{"unknown enemy kind '" + name + "'"};
}

enum class Shape { line, column, vee, dive, swarm, turret };
enum class Side { left, right, both };

struct Formation {
    int line = 0;
    Shape shape = Shape::line;
    KindName kind{};
    std::vector<int> cols;
    int col = -1;
    int count = -1;  // -1: rest
    int gap = 1;
    Side side = Side::left;
    Range rows;
    int every = 0;
    bool mirror = false;
};

struct GroundDirective {
    int line = 0;
    Range rows;
    enum class Layer { lower, upper, both } layer = Layer::lower;
    std::vector<int> cols;
    enum class Tile { one, two, checker, rim } tile = Tile::one;
    bool sized = false;  // "cells N"
    bool longRun = false;
    int cells = -1;  // -1: rest
};

struct Source {
    CompiledLevel level;
    bool haveColumns = false, haveLength = false;
    std::vector<Formation> formations;
    std::vector<GroundDirective> grounds;
    std::vector<std::pair<Range, int>> quiet;
};

const char* ShapeName(Shape s) {
    switch (s) {
        case Shape::line: return "line";
        case Shape::column: return "column";
        case Shape::vee: return "vee";
        case Shape::dive: return "dive";
        case Shape::swarm: return "swarm";
        case Shape::turret: return "turret";
    }
    return "?";
}

void ParseFormation(Tokens& t, Formation& f) {
    const std::string word = t.next("a formation");
    if (word == "line")
        f.shape = Shape::line;
    else if (word == "column" || word == "train")
        f.shape = Shape::column;
    else if (word == "vee")
        f.shape = Shape::vee;
    else if (word == "dive")
        f.shape = Shape::dive;
    else if (word == "swarm")
        f.shape = Shape::swarm;
    else if (word == "turret")
        f.shape = Shape::turret;
    else
        throw ScriptError{"unknown formation '" + word + "'"};

    if (f.shape == Shape::dive) {
        const std::string side = t.next("left, right or both");
        if (side == "left")
            f.side = Side::left;
        else if (side == "right")
            f.side = Side::right;
        else if (side == "both")
            f.side = Side::both;
        else
            throw ScriptError{"a dive comes from left, right or both, not '" + side + "'"};
    }
    f.kind = ParseKind(t.next("an enemy kind"));
    if ((f.shape == Shape::turret) != (f.kind.group == kGroupTurret))
        throw ScriptError{f.shape == Shape::turret ? "only gunfour and guntank can be turrets"
                                                   : "ground guns are placed with 'turret'"};
    if (IsBossType(f.kind.type)) throw ScriptError{"bosses are placed with 'boss'"};

    bool rest = false;
    while (!t.done()) {
        const std::string key = t.next("an option");
        if (key == "cols")
            f.cols = ParseColumns(t);
        else if (key == "col" || key == "centre" || key == "center")
            f.col = ParseInt(t.next("a column"));
        else if (key == "gap")
            f.gap = ParseInt(t.next("a gap"));
        else if (key == "count") {
            const std::string v = t.next("a count");
            if (v == "rest")
                rest = true;
            else
                f.count = ParseInt(v);
        } else
            throw ScriptError{"unknown option '" + key + "'"};
    }
    const char* name = ShapeName(f.shape);
    switch (f.shape) {
        case Shape::line:
        case Shape::turret:
            if (f.cols.empty()) throw ScriptError{std::string("a ") + name + " needs 'cols'"};
            break;
        case Shape::column:
        case Shape::vee:
            if (f.col < 0)
                throw ScriptError{std::string("a ") + name + " needs '" + (f.shape == Shape::vee ? "centre" : "col") +
                                  "'"};
            [[fallthrough]];
        case Shape::dive:
            if (f.count < 1) throw ScriptError{std::string("a ") + name + " needs a count of at least 1"};
            if (f.gap < 1) throw ScriptError{"gap must be at least 1"};
            if (f.shape == Shape::vee && f.count % 2 == 0) throw ScriptError{"a vee needs an odd count"};
            break;
        case Shape::swarm:
            if (f.cols.size() < 2) throw ScriptError{"a swarm needs 'cols' with a range"};
            if (!rest && f.count < 1) throw ScriptError{"a swarm needs 'count N' or 'count rest'"};
            break;
    }
    if (rest && f.shape != Shape::swarm) throw ScriptError{"only a swarm can take the rest"};
    if (rest) f.count = -1;
}

void ParseGround(Tokens& t, GroundDirective& g) {
    g.rows = ParseRange(t.next("rows"), true);
    const std::string layer = t.next("lower, upper or both");
    if (layer == "lower")
        g.layer = GroundDirective::Layer::lower;
    else if (layer == "upper")
        g.layer = GroundDirective::Layer::upper;
    else if (layer == "both")
        g.layer = GroundDirective::Layer::both;
    else
        throw ScriptError{"ground layer is lower, upper or both, not '" + layer + "'"};
    while (!t.done()) {
        const std::string key = t.next("an option");
        if (key == "cols")
            g.cols = ParseColumns(t);
        else if (key == "tile") {
            const std::string v = t.next("a tile");
            if (v == "1")
                g.tile = GroundDirective::Tile::one;
            else if (v == "2")
                g.tile = GroundDirective::Tile::two;
            else if (v == "checker")
                g.tile = GroundDirective::Tile::checker;
            else if (v == "rim")
                g.tile = GroundDirective::Tile::rim;
            else
                throw ScriptError{"tile is 1, 2, checker or rim, not '" + v + "'"};
        } else if (key == "long") {
            g.longRun = true;
        } else if (key == "cells") {
            g.sized = true;
            const std::string v = t.next("a cell count");
            g.cells = v == "rest" ? -1 : ParseInt(v);
            if (v != "rest" && g.cells < 1) throw ScriptError{"cells must be at least 1"};
        } else
            throw ScriptError{"unknown option '" + key + "'"};
    }
    if (g.cols.empty()) throw ScriptError{"ground needs 'cols'"};
    if (g.sized && !g.rows.open) throw ScriptError{"a ground sized by 'cells' starts with 'ROW..' and no end"};
    if (!g.sized && g.rows.open) throw ScriptError{"an open ground run 'ROW..' needs 'cells N'"};
    if (g.sized && g.layer == GroundDirective::Layer::both)
        throw ScriptError{"a ground sized by 'cells' lies in one layer"};
}

void ParseLine(Source& src, int lineNo, std::vector<std::string> tokens) {
    Tokens t(std::move(tokens));
    const std::string word = t.next("a directive");
    CompiledLevel& lv = src.level;
    auto needGeometry = [&] {
        if (!src.haveColumns || !src.haveLength)
            throw ScriptError{"'columns' and 'length' must come before the first placement"};
    };
    if (word == "level") {
        lv.levelIndex = ParseInt(t.next("a level number"));
        lv.levelLine = lineNo;
        if (lv.levelIndex > 9) throw ScriptError{"levels are numbered 0 to 9"};
    } else if (word == "columns") {
        lv.columns = static_cast<std::uint32_t>(ParseInt(t.next("a column count")));
        if (lv.columns < 1) throw ScriptError{"a level needs at least one column"};
        src.haveColumns = true;
    } else if (word == "length") {
        lv.length = static_cast<std::uint32_t>(ParseInt(t.next("a length")));
        if (lv.length < 1) throw ScriptError{"a level needs at least one row"};
        src.haveLength = true;
    } else if (word == "expect") {
        t.expect("spawns");
        lv.expectSpawns = static_cast<std::uint32_t>(ParseInt(t.next("a spawn count")));
        t.expect("ground");
        lv.expectGround = static_cast<std::uint32_t>(ParseInt(t.next("a ground count")));
        lv.hasExpect = true;
        lv.expectLine = lineNo;
    } else if (word == "boss") {
        needGeometry();
        const KindName& k = ParseKind(t.next("a boss"));
        if (!IsBossType(k.type)) throw ScriptError{"'" + std::string(k.name) + "' is not a boss"};
        if (lv.bossType != 0) throw ScriptError{"a level has at most one boss"};
        lv.bossType = k.type;
        lv.bossLine = lineNo;
    } else if (word == "quiet") {
        src.quiet.push_back({ParseRange(t.next("rows"), false), lineNo});
    } else if (word == "ground") {
        needGeometry();
        GroundDirective g;
        g.line = lineNo;
        ParseGround(t, g);
        src.grounds.push_back(g);
        return;
    } else if (word == "at") {
        needGeometry();
        Formation f;
        f.line = lineNo;
        f.rows = ParseRange(t.next("a row"), false);
        if (t.accept("every")) {
            f.every = ParseInt(t.next("a repeat distance"));
            if (f.every < 1) throw ScriptError{"every must be at least 1"};
            f.mirror = t.accept("mirror");
        }
        t.expect(":");
        ParseFormation(t, f);
        const bool range = f.rows.first != f.rows.last;
        if (f.shape == Shape::swarm) {
            if (!range || f.every) throw ScriptError{"a swarm spreads over 'at A..B' without 'every'"};
        } else if (range && !f.every) {
            throw ScriptError{"a row range needs 'every K' (or use a swarm)"};
        }
        src.formations.push_back(f);
        return;
    } else {
        throw ScriptError{"unknown directive '" + word + "'"};
    }
    t.finish();
}

// ---------------------------------------------------------------------------
// Expansion

class Builder {
public:
    Builder(Source& src, const std::string& file, std::vector<std::string>& errors)
        : src_(src), file_(file), errors_(errors) {}

    void Error(int line, const std::string& msg) { errors_.push_back(file_ + ":" + std::to_string(line) + ": " + msg); }

    bool CheckCell(int line, int col, int row) {
        const int cols = static_cast<int>(src_.level.columns);
        if (col < 0 || col >= cols) {
            Error(line, "column " + std::to_string(col) + " is outside 0.." + std::to_string(cols - 1));
            return false;
        }
        if (row < 0 || row >= static_cast<int>(src_.level.length)) {
            Error(line, "row " + std::to_string(row) + " is outside 0.." + std::to_string(src_.level.length - 1));
            return false;
        }
        return true;
    }

    void AddSpawn(int line, int col, int row, const KindName& kind) {
        if (!CheckCell(line, col, row)) return;
        spawns_.push_back(
            {{static_cast<std::uint32_t>(col), static_cast<std::uint32_t>(row), kind.group, kind.type}, line});
        if (kind.group == kGroupFlying) {
            ++flyingPerRow_[row];
            occupied_.insert({row, col});
        }
    }

    void AddGround(const GroundDirective& g, int col, int row, std::uint32_t layer, std::uint32_t tile) {
        if (!CheckCell(g.line, col, row)) return;
        ground_.push_back(
            {{static_cast<std::uint32_t>(col), static_cast<std::uint32_t>(row), layer, tile}, g.line, g.longRun});
    }

    std::size_t SpawnCount() const { return spawns_.size(); }
    std::size_t GroundCount() const { return ground_.size(); }

    void ExpandFixed(const Formation& f) {
        int copy = 0;
        const int step = f.every ? f.every : 1;
        for (int row = f.rows.first; row <= f.rows.last; row += step, ++copy) {
            const bool flip = f.mirror && copy % 2 == 1;
            auto place = [&](int col, int r) {
                if (flip) col = static_cast<int>(src_.level.columns) - 1 - col;
                AddSpawn(f.line, col, r, f.kind);
            };
            switch (f.shape) {
                case Shape::line:
                case Shape::turret:
                    for (int c : f.cols) place(c, row);
                    break;
                case Shape::column:
                    for (int i = 0; i < f.count; ++i) place(f.col, row + i * f.gap);
                    break;
                case Shape::vee:
                    place(f.col, row);
                    for (int i = 1; 2 * i <= f.count - 1; ++i) {
                        place(f.col - i, row + i * f.gap);
                        place(f.col + i, row + i * f.gap);
                    }
                    break;
                case Shape::dive: {
                    const int right = static_cast<int>(src_.level.columns) - 1;
                    for (int i = 0; i < f.count; ++i) {
                        int col = 0;
                        if (f.side == Side::left)
                            col = i % 2;
                        else if (f.side == Side::right)
                            col = right - i % 2;
                        else
                            col = (i % 2 == 0) ? (i / 2) % 2 : right - (i / 2) % 2;
                        place(col, row + i * f.gap);
                    }
                    break;
                }
                case Shape::swarm: break;
            }
        }
    }

    // A swarm spreads its enemies evenly over its rows and scatters them over
    // its columns, stepping around places other formations already hold.
    void ExpandSwarm(const Formation& f, int count) {
        const int span = f.rows.last - f.rows.first + 1;
        std::uint32_t seed = 2166136261u ^ static_cast<std::uint32_t>(f.line * 7919);
        auto random = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return seed >> 8;
        };
        for (int i = 0; i < count; ++i) {
            const int wanted = f.rows.first + static_cast<int>(static_cast<long long>(i) * span / count);
            bool placed = false;
            for (int k = 0; k < span && !placed; ++k) {
                const int row = f.rows.first + (wanted - f.rows.first + k) % span;
                if (flyingPerRow_[row] >= kMaxFlyingPerRow) continue;
                std::vector<int> free;
                for (int c : f.cols)
                    if (!occupied_.count({row, c})) free.push_back(c);
                if (free.empty()) continue;
                AddSpawn(f.line, free[random() % free.size()], row, f.kind);
                placed = true;
            }
            if (!placed) {
                Error(f.line,
                      "the swarm does not fit: " + std::to_string(count - i) +
                          " of its enemies find no free place in rows " + std::to_string(f.rows.first) + ".." +
                          std::to_string(f.rows.last));
                return;
            }
        }
    }

    void ExpandGround(const GroundDirective& g, int cells) {
        using Layer = GroundDirective::Layer;
        using Tile = GroundDirective::Tile;
        const int lo = *std::min_element(g.cols.begin(), g.cols.end());
        const int hi = *std::max_element(g.cols.begin(), g.cols.end());
        auto tileFor = [&](int col, int row) -> std::uint32_t {
            switch (g.tile) {
                case Tile::one: return 1;
                case Tile::two: return 2;
                case Tile::checker: return static_cast<std::uint32_t>((row + col) % 2 + 1);
                case Tile::rim: return (col == lo || col == hi) ? 2 : 1;
            }
            return 1;
        };
        const std::uint32_t group = g.layer == Layer::upper ? kGroupUpper : kGroupLower;
        if (g.sized) {
            const int width = static_cast<int>(g.cols.size());
            int row = g.rows.first;
            for (int left = cells; left > 0; ++row) {
                const int n = std::min(left, width);
                const int skip = (width - n) / 2;  // a short last row stays centred
                for (int i = skip; i < skip + n; ++i) AddGround(g, g.cols[i], row, group, tileFor(g.cols[i], row));
                left -= n;
            }
            return;
        }
        for (int row = g.rows.first; row <= g.rows.last; ++row) {
            for (int c : g.cols) {
                if (g.layer != Layer::upper) AddGround(g, c, row, kGroupLower, tileFor(c, row));
                if (g.layer == Layer::upper || (g.layer == Layer::both && c != hi))
                    AddGround(g, c, row, kGroupUpper, tileFor(c, row));
            }
        }
    }

    void AddBoss(int line, std::uint32_t type) {
        const int row = static_cast<int>(src_.level.length) - 1;
        spawns_.push_back({{6, static_cast<std::uint32_t>(row), kGroupFlying, type}, line});
        bossIndex_ = spawns_.size() - 1;
    }

    void Finish(CompiledLevel& out) {
        // Sort by row; within a row keep the script's order, the boss last.
        std::vector<std::size_t> order(spawns_.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const auto& ra = spawns_[a].rec;
            const auto& rb = spawns_[b].rec;
            if (ra.row != rb.row) return ra.row < rb.row;
            if ((a == bossIndex_) != (b == bossIndex_)) return b == bossIndex_;
            return spawns_[a].line < spawns_[b].line;
        });
        for (std::size_t i : order) out.spawns.push_back(spawns_[i]);
        std::stable_sort(ground_.begin(), ground_.end(), [](const PlacedRecord& a, const PlacedRecord& b) {
            if (a.rec.row != b.rec.row) return a.rec.row < b.rec.row;
            return a.line < b.line;
        });
        out.ground = ground_;
    }

private:
    Source& src_;
    const std::string& file_;
    std::vector<std::string>& errors_;
    std::vector<PlacedRecord> spawns_, ground_;
    std::map<int, int> flyingPerRow_;
    std::set<std::pair<int, int>> occupied_;
    std::size_t bossIndex_ = static_cast<std::size_t>(-1);
};

// ---------------------------------------------------------------------------
// Validation of the compiled lists

void Validate(const CompiledLevel& lv, const std::vector<std::pair<Range, int>>& quiet,
              std::vector<std::string>& errors) {
    auto error = [&](int line, const std::string& msg) {
        errors.push_back(lv.file + ":" + std::to_string(line) + ": " + msg);
    };
    // Flying enemies: at most 11 per row, never two on one spot.
    std::map<std::uint32_t, std::vector<const PlacedRecord*>> flyingByRow;
    std::map<std::pair<std::uint32_t, std::uint32_t>, const PlacedRecord*> turretAt;
    for (const PlacedRecord& p : lv.spawns) {
        if (p.rec.group == kGroupFlying) {
            auto& row = flyingByRow[p.rec.row];
            for (const PlacedRecord* other : row)
                if (other->rec.column == p.rec.column && !IsBossType(p.rec.type) && !IsBossType(other->rec.type))
                    error(p.line,
                          "two flying enemies at column " + std::to_string(p.rec.column) + " row " +
                              std::to_string(p.rec.row) + " (the other from line " + std::to_string(other->line) + ")");
            row.push_back(&p);
            if (row.size() == static_cast<std::size_t>(kMaxFlyingPerRow) + 1)
                error(p.line,
                      "row " + std::to_string(p.rec.row) + " holds more than " + std::to_string(kMaxFlyingPerRow) +
                          " flying enemies");
        } else if (p.rec.group == kGroupTurret) {
            auto [it, fresh] = turretAt.insert({{p.rec.row, p.rec.column}, &p});
            if (!fresh)
                error(p.line,
                      "two ground guns at column " + std::to_string(p.rec.column) + " row " +
                          std::to_string(p.rec.row) + " (the other from line " + std::to_string(it->second->line) +
                          ")");
        }
    }
    // Ground cells: never two in one place of one layer.
    std::set<std::uint32_t> groundRows;
    std::set<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>> cells;
    for (const PlacedRecord& p : lv.ground) {
        groundRows.insert(p.rec.row);
        if (!cells.insert({p.rec.row, p.rec.column, p.rec.group}).second)
            error(p.line,
                  std::string("two ") + (p.rec.group ? "upper" : "lower") + " ground cells at column " +
                      std::to_string(p.rec.column) + " row " + std::to_string(p.rec.row));
    }
    // A ground gun is built only with the ground piece under it, and sits on a cell.
    for (const auto& [where, p] : turretAt) {
        const auto [row, col] = where;
        if (!groundRows.count(row)) {
            error(p->line,
                  "ground gun at column " + std::to_string(col) + " row " + std::to_string(row) +
                      " has no ground on its row");
        } else if (!cells.count({row, col, kGroupUpper}) && !cells.count({row, col, kGroupLower})) {
            error(p->line,
                  "ground gun at column " + std::to_string(col) + " row " + std::to_string(row) +
                      " stands beside the ground, not on it");
        }
    }
    // Runs of consecutive ground rows become one piece each.
    {
        std::map<std::uint32_t, std::array<std::uint32_t, 2>> perRow;
        std::map<std::uint32_t, std::pair<int, bool>> rowInfo;  // first line, long allowed
        for (const PlacedRecord& p : lv.ground) {
            ++perRow[p.rec.row][p.rec.group ? 1 : 0];
            auto [it, fresh] = rowInfo.insert({p.rec.row, {p.line, p.longRun}});
            if (!fresh) it->second.second = it->second.second || p.longRun;
        }
        std::uint32_t lower = 0, upper = 0, first = 0;
        bool allowLong = false;
        int firstLine = 0;
        for (auto it = perRow.begin(); it != perRow.end(); ++it) {
            const auto& [row, n] = *it;
            if (it == perRow.begin() || std::prev(it)->first + 1 != row) {
                lower = upper = 0;
                first = row;
                firstLine = rowInfo[row].first;
                allowLong = false;
            }
            lower += n[0];
            upper += n[1];
            allowLong = allowLong || rowInfo[row].second;
            const auto next = std::next(it);
            const bool ends = next == perRow.end() || next->first != row + 1;
            if (ends && !allowLong && (lower > kPieceLayerCells || upper > kPieceLayerCells))
                error(firstLine,
                      "the ground run from row " + std::to_string(first) + " to " + std::to_string(row) + " holds " +
                          std::to_string(std::max(lower, upper)) + " cells in one layer; a piece shows " +
                          std::to_string(kPieceLayerCells) + " (say 'long' if that is meant)");
        }
    }
    for (const auto& [range, line] : quiet) {
        for (int r = range.first; r <= range.last; ++r) {
            auto it = flyingByRow.find(static_cast<std::uint32_t>(r));
            if (it == flyingByRow.end()) continue;
            for (const PlacedRecord* p : it->second)
                if (!IsBossType(p->rec.type))
                    error(line,
                          "quiet stretch " + std::to_string(range.first) + ".." + std::to_string(range.last) +
                              " is broken by line " + std::to_string(p->line) + " at row " + std::to_string(r));
        }
    }
    const int countLine = lv.expectLine ? lv.expectLine : 1;
    if (lv.spawns.size() > dw::kMaxLevelRecords)
        error(countLine,
              "spawn list holds " + std::to_string(lv.spawns.size()) + " records, more than " +
                  std::to_string(dw::kMaxLevelRecords));
    if (lv.ground.size() > dw::kMaxLevelRecords)
        error(countLine,
              "ground list holds " + std::to_string(lv.ground.size()) + " records, more than " +
                  std::to_string(dw::kMaxLevelRecords));
    if (lv.hasExpect) {
        auto mismatch = [&](const char* list, std::size_t have, std::uint32_t want) {
            if (have == want) return;
            const long long diff = static_cast<long long>(have) - want;
            error(lv.expectLine,
                  std::string(list) + " list holds " + std::to_string(have) + " records, expected " +
                      std::to_string(want) + " (" + std::to_string(diff < 0 ? -diff : diff) +
                      (diff < 0 ? " short)" : " over)"));
        };
        mismatch("spawn", lv.spawns.size(), lv.expectSpawns);
        mismatch("ground", lv.ground.size(), lv.expectGround);
    }
}

struct RunStats {
    std::uint32_t firstRow = 0, lastRow = 0;
    std::uint32_t lower = 0, upper = 0;
};

std::vector<RunStats> GroundRuns(const std::vector<dw::LevelRecord>& ground) {
    std::map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> perRow;
    for (const auto& r : ground) {
        if (r.group == kGroupLower)
            ++perRow[r.row].first;
        else if (r.group == kGroupUpper)
            ++perRow[r.row].second;
    }
    std::vector<RunStats> runs;
    for (const auto& [row, n] : perRow) {
        if (runs.empty() || runs.back().lastRow + 1 != row) runs.push_back({row, row, 0, 0});
        runs.back().lastRow = row;
        runs.back().lower += n.first;
        runs.back().upper += n.second;
    }
    return runs;
}

}  // namespace

// ---------------------------------------------------------------------------

CompiledLevel CompileLevelSource(const std::string& file, const std::string& text, std::vector<std::string>& errors) {
    Source src;
    src.level.file = file;
    const std::size_t errorsBefore = errors.size();
    std::istringstream in(text);
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        std::vector<std::string> tokens = Tokenize(line);
        if (tokens.empty()) continue;
        try {
            ParseLine(src, lineNo, std::move(tokens));
        } catch (const ScriptError& e) {
            errors.push_back(file + ":" + std::to_string(lineNo) + ": " + e.message);
        }
    }
    if (!src.haveColumns) errors.push_back(file + ":1: the level has no 'columns'");
    if (!src.haveLength) errors.push_back(file + ":1: the level has no 'length'");
    if (errors.size() != errorsBefore) return src.level;

    CompiledLevel& lv = src.level;
    Builder b(src, file, errors);
    const Formation* restSwarm = nullptr;
    const GroundDirective* restGround = nullptr;
    for (const Formation& f : src.formations) {
        if (f.shape != Shape::swarm)
            b.ExpandFixed(f);
        else if (f.count < 0) {
            if (restSwarm)
                b.Error(
                    f.line,
                    "only one swarm may take the rest (the other is on line " + std::to_string(restSwarm->line) + ")");
            restSwarm = &f;
        }
    }
    for (const GroundDirective& g : src.grounds) {
        if (!g.sized || g.cells >= 0)
            b.ExpandGround(g, g.cells);
        else {
            if (restGround)
                b.Error(g.line,
                        "only one ground may take the rest (the other is on line " + std::to_string(restGround->line) +
                            ")");
            restGround = &g;
        }
    }
    // Swarms go after the fixed formations so they can step around them.
    for (const Formation& f : src.formations)
        if (f.shape == Shape::swarm && f.count > 0) b.ExpandSwarm(f, f.count);
    const std::size_t bossRecords = lv.bossType ? 1 : 0;
    if (restSwarm) {
        if (!lv.hasExpect) {
            b.Error(restSwarm->line, "'count rest' needs an 'expect' line");
        } else {
            const long long rest =
                static_cast<long long>(lv.expectSpawns) - static_cast<long long>(b.SpawnCount() + bossRecords);
            if (rest < 1) {
                b.Error(restSwarm->line,
                        "nothing is left for this swarm: the other spawns already make " +
                            std::to_string(b.SpawnCount() + bossRecords) + " of " + std::to_string(lv.expectSpawns));
            } else {
                lv.restSpawns = static_cast<int>(rest);
                b.ExpandSwarm(*restSwarm, lv.restSpawns);
            }
        }
    }
    if (restGround) {
        if (!lv.hasExpect) {
            b.Error(restGround->line, "'cells rest' needs an 'expect' line");
        } else {
            const long long rest = static_cast<long long>(lv.expectGround) - static_cast<long long>(b.GroundCount());
            if (rest < 1) {
                b.Error(restGround->line,
                        "nothing is left for this ground: the other ground already makes " +
                            std::to_string(b.GroundCount()) + " of " + std::to_string(lv.expectGround));
            } else {
                lv.restGround = static_cast<int>(rest);
                b.ExpandGround(*restGround, lv.restGround);
            }
        }
    }
    if (lv.bossType) b.AddBoss(lv.bossLine, lv.bossType);
    b.Finish(lv);
    if (errors.size() == errorsBefore) Validate(lv, src.quiet, errors);
    return lv;
}

void CheckShippedFacts(const CompiledLevel& lv, const dw::LevelParseResult& bytes, std::vector<std::string>& errors) {
    const int line = lv.levelLine ? lv.levelLine : 1;
    auto error = [&](const std::string& msg) {
        errors.push_back(lv.file + ":" + std::to_string(line) + ": level " + std::to_string(lv.levelIndex) + ": " +
                         msg);
    };
    if (lv.levelIndex < 0 || lv.levelIndex > 9) {
        error("a shipped level must say 'level N' with N from 0 to 9");
        return;
    }
    if (!bytes.ok()) {
        error(std::string("the written file does not read back: ") + dw::LevelParseErrorName(bytes.error));
        return;
    }
    const ShippedFacts& want = kShipped[static_cast<std::size_t>(lv.levelIndex)];
    auto num = [](auto v) { return std::to_string(v); };
    if (bytes.columns != kShippedColumns) error("has " + num(bytes.columns) + " columns, must have 13");
    if (bytes.length != want.length) error("is " + num(bytes.length) + " rows long, must be " + num(want.length));
    if (bytes.spawns.size() != want.spawns)
        error("holds " + num(bytes.spawns.size()) + " spawn records, must hold " + num(want.spawns));
    if (bytes.ground.size() != want.ground)
        error("holds " + num(bytes.ground.size()) + " ground records, must hold " + num(want.ground));

    // Codes: what the game knows how to create.
    int bosses = 0;
    for (const auto& r : bytes.spawns) {
        const bool flying = r.group == kGroupFlying && ((r.type >= 1 && r.type <= 13) || IsBossType(r.type));
        const bool gun = r.group == kGroupTurret && (r.type == 1 || r.type == 2);
        if (!flying && !gun) error("spawn record with group " + num(r.group) + " type " + num(r.type));
        if (r.column >= bytes.columns) error("spawn record in column " + num(r.column));
        if (r.group == kGroupFlying && IsBossType(r.type)) ++bosses;
    }
    for (const auto& r : bytes.ground)
        if (r.group > 1 || r.type < 1 || r.type > 2 || r.column >= bytes.columns)
            error("ground record with group " + num(r.group) + " type " + num(r.type) + " column " + num(r.column));

    const dw::LevelRecord* last = bytes.spawns.empty() ? nullptr : &bytes.spawns.back();
    const std::uint32_t lastRow = want.length - 1;
    if (want.boss) {
        const dw::LevelRecord boss{6, lastRow, kGroupFlying, want.boss};
        if (bosses != 1 || !last || !(*last == boss))
            error("must end with exactly one boss record (6, " + num(lastRow) + ", 3, " + num(want.boss) + ")");
    } else if (bosses != 0) {
        error("must hold no boss");
    }
    if (lv.levelIndex == 0) {
        const dw::LevelRecord first{3, 0, kGroupFlying, 1};
        if (bytes.spawns.empty() || !(bytes.spawns.front() == first))
            error("must open with a senemy1 in column 3 on row 0");
    }
    if (lv.levelIndex == 9) {
        const dw::LevelRecord finale{6, lastRow, kGroupFlying, 9};
        const bool alone = bytes.spawns.size() < 2 || bytes.spawns[bytes.spawns.size() - 2].row != lastRow;
        if (!last || !(*last == finale) || !alone)
            error("must end with a single elite fighter at column 6 on row " + num(lastRow));
    }
    if (lv.levelIndex == 5) {
        bool found = false;
        for (const RunStats& run : GroundRuns(bytes.ground))
            found = found || run.lower == kLongRunCells || run.upper == kLongRunCells;
        if (!found) error("must hold a ground run with " + num(kLongRunCells) + " cells in one layer");
    }
    for (const auto* list : {&bytes.spawns, &bytes.ground})
        for (std::size_t i = 1; i < list->size(); ++i)
            if ((*list)[i].row < (*list)[i - 1].row) {
                error("records are not sorted by row");
                break;
            }
}

std::string RecordKindName(const dw::LevelRecord& r) {
    for (const KindName& k : kKinds)
        if (k.group == r.group && k.type == r.type) return k.name;
    return "group" + std::to_string(r.group) + "/" + std::to_string(r.type);
}

}  // namespace levelgen
