// The layers of docs/ARCHITECTURE.md hold in the sources: every include of
// src/ goes to the including file's own folder or to a folder its layer may
// use, no include climbs out with "../", and the table has no circle.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Layers = std::map<std::string, std::set<std::string>>;

// Rows of the form "| `name` | what it holds | `a` `b` |".
Layers ParseLayerTable(const std::string& text) {
    Layers layers;
    const std::regex row(R"re(^\| `([a-z0-9_]+)` \|.*\|([^|]*)\|\s*$)re");
    const std::regex name("`([a-z0-9_]+)`");
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, row)) continue;
        std::set<std::string>& uses = layers[m[1]];
        const std::string cell = m[2];
        for (auto it = std::sregex_iterator(cell.begin(), cell.end(), name); it != std::sregex_iterator(); ++it)
            uses.insert((*it)[1]);
    }
    return layers;
}

// The first circle found, as "a -> b -> a", or "" when there is none.
std::string FindCircle(const Layers& layers) {
    std::map<std::string, int> state;  // 0 unseen, 1 on the path, 2 done
    std::vector<std::string> path;
    std::string circle;
    std::function<bool(const std::string&)> visit = [&](const std::string& n) {
        state[n] = 1;
        path.push_back(n);
        auto it = layers.find(n);
        if (it != layers.end()) {
            for (const std::string& m : it->second) {
                if (state[m] == 1) {
                    for (auto p = std::find(path.begin(), path.end(), m); p != path.end(); ++p) circle += *p + " -> ";
                    circle += m;
                    return true;
                }
                if (state[m] == 0 && visit(m)) return true;
            }
        }
        path.pop_back();
        state[n] = 2;
        return false;
    };
    for (const auto& [n, uses] : layers)
        if (state[n] == 0 && visit(n)) break;
    return circle;
}

struct Include {
    std::string file;  // relative to src/
    int line;
    std::string target;
};

std::vector<Include> IncludesOf(const fs::path& src) {
    std::vector<Include> out;
    const std::regex inc(R"re(^\s*#\s*include\s*"([^"]+)")re");
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) continue;
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp") continue;
        std::ifstream in(entry.path());
        int n = 0;
        for (std::string line; std::getline(in, line);) {
            ++n;
            std::smatch m;
            if (std::regex_search(line, m, inc))
                out.push_back({fs::relative(entry.path(), src).generic_string(), n, m[1]});
        }
    }
    return out;
}

// The edges that break the table, one line each.
std::vector<std::string> Violations(const Layers& layers, const std::vector<Include>& includes) {
    std::vector<std::string> bad;
    for (const Include& i : includes) {
        const std::string from = i.file.substr(0, i.file.find('/'));
        const std::string where = i.file + ":" + std::to_string(i.line) + " includes \"" + i.target + "\"";
        if (i.target.find("..") != std::string::npos) {
            bad.push_back(where + ": a relative include that climbs out of its folder");
            continue;
        }
        const auto slash = i.target.find('/');
        if (slash == std::string::npos) continue;  // beside the including file
        const std::string to = i.target.substr(0, slash);
        if (to == from) continue;
        auto it = layers.find(from);
        if (it == layers.end()) {
            bad.push_back(where + ": folder " + from + " is not a layer");
        } else if (!it->second.count(to)) {
            bad.push_back(where + ": " + from + " may not use " + to);
        }
    }
    return bad;
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(Layers, TheTableReadsAndChecksEdges) {
    const Layers layers = ParseLayerTable(
        "| layer | holds | may use |\n|---|---|---|\n"
        "| `low` | the bottom | |\n"
        "| `mid` | the middle, with `quoted` words | `low` |\n"
        "| `top` | the top | `low` `mid` |\n");
    ASSERT_EQ(layers.size(), 3u);
    EXPECT_TRUE(layers.at("low").empty());
    EXPECT_EQ(layers.at("mid"), (std::set<std::string>{"low"}));  // the holds column is not a use
    EXPECT_EQ(FindCircle(layers), "");

    const std::vector<Include> includes = {
        {"mid/a.cpp", 1, "mid/a.h"},          // own folder
        {"mid/a.cpp", 2, "low/b.h"},          // allowed
        {"mid/a.cpp", 3, "top/c.h"},          // upward
        {"low/b.cpp", 4, "../../tools/x.h"},  // climbs out
        {"other/d.cpp", 5, "low/b.h"},        // a folder with no row
        {"top/e.cpp", 6, "e_local.h"},        // beside the file
    };
    const std::vector<std::string> bad = Violations(layers, includes);
    ASSERT_EQ(bad.size(), 3u);
    EXPECT_NE(bad[0].find("mid may not use top"), std::string::npos);
    EXPECT_NE(bad[1].find("climbs out"), std::string::npos);
    EXPECT_NE(bad[2].find("not a layer"), std::string::npos);
}

TEST(Layers, CirclesInTheTableAreFound) {
    Layers layers = {{"a", {"b"}}, {"b", {"c"}}, {"c", {"a"}}, {"d", {}}};
    const std::string circle = FindCircle(layers);
    EXPECT_NE(circle, "");
    EXPECT_NE(circle.find("a"), std::string::npos);
    layers["c"].clear();
    EXPECT_EQ(FindCircle(layers), "");
}

TEST(Layers, TheSourcesKeepTheDocumentedLayers) {
    const fs::path root = DW_SOURCE_DIR;
    const Layers layers = ParseLayerTable(ReadFile(root / "docs" / "ARCHITECTURE.md"));
    ASSERT_GE(layers.size(), 5u) << "docs/ARCHITECTURE.md has no layer table";
    EXPECT_EQ(FindCircle(layers), "");

    // Every folder of src/ is a layer, and every layer a folder.
    std::set<std::string> folders;
    for (const auto& entry : fs::directory_iterator(root / "src"))
        if (entry.is_directory()) folders.insert(entry.path().filename().string());
    std::set<std::string> named;
    for (const auto& [n, uses] : layers) {
        named.insert(n);
        for (const std::string& u : uses) EXPECT_TRUE(layers.count(u)) << n << " uses " << u << ", which has no row";
    }
    EXPECT_EQ(folders, named);

    const std::vector<Include> includes = IncludesOf(root / "src");
    EXPECT_GT(includes.size(), 100u);
    for (const std::string& b : Violations(layers, includes)) ADD_FAILURE() << b;
}

}  // namespace
