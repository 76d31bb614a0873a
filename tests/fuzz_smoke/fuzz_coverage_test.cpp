// Every loader of outside bytes has a fuzz target: tools/fuzz/loaders.txt
// names the loaders and their targets, and says for every file of src/ that
// takes bytes in which loaders it hands them to. This test holds the list to
// the targets built (the table the smoke test runs) and to src/ as it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kBuiltTargets = {
#define X(name) #name,
#include "fuzz_entries.inc"
#undef X
};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct LoaderList {
    std::map<std::string, std::string> targetOf;              // loader -> target
    std::map<std::string, std::vector<std::string>> handsTo;  // src file -> loaders ("-": none)
    std::vector<std::string> problems;                        // lines not understood
};

LoaderList ParseList(const std::string& text) {
    LoaderList list;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind) || kind[0] == '#') continue;
        std::vector<std::string> rest;
        for (std::string w; words >> w;) rest.push_back(w);
        if (kind == "loader" && rest.size() == 2)
            list.targetOf[rest[0]] = rest[1];
        else if (kind == "from" && rest.size() >= 2)
            list.handsTo[rest[0]] =
                rest[1] == "-" ? std::vector<std::string>{"-"} : std::vector<std::string>(rest.begin() + 1, rest.end());
        else
            list.problems.push_back(line);
    }
    return list;
}

std::string LastPart(const std::string& name) {
    const auto at = name.rfind("::");
    return at == std::string::npos ? name : name.substr(at + 2);
}

bool HasWord(const std::string& text, const std::string& word) {
    return std::regex_search(text, std::regex("\\b" + word + "\\b"));
}

// The ways bytes from outside come into the program.
const std::regex kIntake(R"(ReadStoredFile\(|OpenRegularFile\([^;]*"r|LockResource\(|ReadResource\(|\bmmap\(|)"
                         R"(SDL_RWFrom\w*\(|std::ifstream|\bfopen\(|\bzip_(fd)?open\w*\(|::read\()");

const std::regex kComment("//[^\n]*");

// The files of src/ that take bytes in, each with the first way found; all
// of src/ in `everything`.
std::map<std::string, std::string> IntakeFiles(const fs::path& source, std::string& everything) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(source / "src")) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
        std::smatch m;
        const std::string text = std::regex_replace(ReadText(entry.path()), kComment, "");
        everything += text;
        if (std::regex_search(text, m, kIntake)) files[fs::relative(entry.path(), source).generic_string()] = m.str();
    }
    return files;
}

class FuzzCoverage : public ::testing::Test {
protected:
    const fs::path source = DW_SOURCE_DIR;
    const LoaderList list = ParseList(ReadText(source / "tools/fuzz/loaders.txt"));
};

TEST_F(FuzzCoverage, EveryListedLoaderHasATargetThatCallsIt) {
    EXPECT_TRUE(list.problems.empty()) << "tools/fuzz/loaders.txt has lines it cannot read, first: "
                                       << list.problems.front();
    ASSERT_GE(list.targetOf.size(), 10u) << "tools/fuzz/loaders.txt lost its loaders";
    for (const auto& [loader, target] : list.targetOf) {
        if (std::find(kBuiltTargets.begin(), kBuiltTargets.end(), target) == kBuiltTargets.end()) {
            ADD_FAILURE() << "the loader " << loader << " has no fuzz target: " << target
                          << " is not among the targets of tools/fuzz";
            continue;
        }
        const std::string code = ReadText(source / "tools/fuzz" / (target + ".cpp"));
        EXPECT_TRUE(HasWord(code, LastPart(loader)))
            << "the loader " << loader << " has no fuzz target: " << target << " never calls " << LastPart(loader);
    }
}

TEST_F(FuzzCoverage, EveryFileThatTakesBytesInSaysWhichLoadersReadThem) {
    std::string allSource;
    const auto intake = IntakeFiles(source, allSource);
    ASSERT_FALSE(intake.empty());
    for (const auto& [file, how] : intake) {
        EXPECT_TRUE(list.handsTo.count(file))
            << file << " takes bytes in (" << how << ") but tools/fuzz/loaders.txt has no `from " << file
            << "` line naming the loaders that read them";
    }
    for (const auto& [file, loaders] : list.handsTo) {
        EXPECT_TRUE(intake.count(file)) << "tools/fuzz/loaders.txt: " << file << " takes no bytes in (any more)";
        for (const std::string& loader : loaders)
            EXPECT_TRUE(loader == "-" || list.targetOf.count(loader))
                << file << " hands bytes to " << loader << ", which is no loader of tools/fuzz/loaders.txt";
    }
    // A loader's name found nowhere in src/ is a name from before a rename.
    for (const auto& [loader, target] : list.targetOf)
        EXPECT_TRUE(HasWord(allSource, LastPart(loader)))
            << "tools/fuzz/loaders.txt: " << loader << " is nowhere in src/";
}

}  // namespace
