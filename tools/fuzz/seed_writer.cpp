// Writes the seed corpus of every fuzz target from the shipped data:
//   fuzz_seed_writer OUT_DIR DATA_BUILD_DIR [DEMO...]
// DATA_BUILD_DIR holds levels/GAMELEVEL<n>.bin and gamedata.res (a build that
// generated them). Each seed also gets a few truncations, the inputs a cut
// download or a full disk leave behind.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/settings.h"
#include "frontend/records_table.h"
#include "platform/settings_store.h"
#include "platform/zip_archive.h"
#include "seed_files.h"

namespace fs = std::filesystem;

namespace seeds {

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void Seed(const fs::path& dir, const std::string& name, const Bytes& bytes) {
    WriteFile(dir / name, bytes.data(), bytes.size());
    for (std::size_t cut : {bytes.size() / 2, bytes.size() / 4, std::size_t{16}}) {
        if (cut == 0 || cut >= bytes.size()) continue;
        WriteFile(dir / (name + ".cut" + std::to_string(cut)), bytes.data(), cut);
    }
}

}  // namespace seeds

using namespace seeds;

namespace {

constexpr std::size_t kMaxImageSeed = 64 * 1024;
constexpr std::size_t kMaxArchiveSeed = 1024 * 1024;
constexpr std::size_t kMaxSoundSeed = 32 * 1024;

struct Entry {
    std::string name;
    Bytes bytes;
};

std::vector<Entry> ArchiveEntries(const fs::path& path) {
    std::vector<Entry> out;
    platform::ZipArchive archive;
    if (!archive.OpenFile(path.string())) return out;
    for (std::size_t i = 0; i < archive.entries().size(); ++i) {
        Entry e{archive.entries()[i].name, {}};
        if (archive.Extract(static_cast<int>(i), e.bytes)) out.push_back(std::move(e));
    }
    return out;
}

bool StartsWith(const Bytes& b, const char* magic, std::size_t n) {
    return b.size() >= n &&
        std::equal(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n), reinterpret_cast<const std::uint8_t*>(magic));
}

// A small archive of a few entries, one stored and one deflated, so that the
// archive fuzzer has a quick seed beside the 11 MB of gamedata.res.
Bytes SmallArchive(const std::vector<Entry>& entries) {
    std::vector<platform::ZipFile> files;
    for (const Entry& e : entries) {
        if (e.bytes.size() > 4096 || files.size() == 3) continue;
        files.push_back({e.name, e.bytes, files.size() % 2 == 1});
    }
    return platform::WriteZipArchive(files);
}

// Short effects whole; of the long ones (the music) the start, which holds
// the headers and the first pages or samples.
void SoundSeed(const fs::path& dir, const Entry& e) {
    const std::string name = fs::path(e.name).filename().string();
    if (e.bytes.size() <= kMaxSoundSeed)
        Seed(dir, name, e.bytes);
    else
        WriteFile(dir / (name + ".head"), e.bytes.data(), kMaxSoundSeed);
}

void ArchiveSeeds(const fs::path& zips, const Bytes& archive) {
    if (archive.empty()) return;
    // libFuzzer keeps only the first max_len bytes (1 MiB) of a seed, and the
    // directory of a ZIP is at its end: a bigger archive would be a seed
    // without a directory. Its cuts and its tail stay useful.
    if (archive.size() <= kMaxArchiveSeed)
        Seed(zips, "gamedata.res", archive);
    else
        for (std::size_t cut : {std::size_t{4096}, std::size_t{65536}})
            WriteFile(zips / ("gamedata.res.cut" + std::to_string(cut)), archive.data(), cut);
    // The directory is at the end: its last 64 KiB alone are a seed too.
    const std::size_t tail = std::min<std::size_t>(archive.size(), 65536);
    WriteFile(zips / "gamedata.res.tail", archive.data() + archive.size() - tail, tail);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT_DIR DATA_BUILD_DIR [DEMO...]\n", argv[0]);
        return 2;
    }
    const fs::path out = argv[1], data = argv[2];
    auto dir = [&](const char* target) {
        const fs::path d = out / target;
        fs::remove_all(d);
        fs::create_directories(d);
        return d;
    };

    const fs::path levels = dir("fuzz_level_format");
    for (int n = 0; n < 10; ++n) {
        const std::string name = "GAMELEVEL" + std::to_string(n) + ".bin";
        const Bytes b = ReadFile(data / "levels" / name);
        if (!b.empty()) Seed(levels, name, b);
    }

    const std::string table = dw::SerializeRecordTable(dw::DefaultRecordTable());
    Seed(dir("fuzz_records"), "records.csm", FromText(table));

    platform::IniSettingsStore::Parsed parsed;
    parsed.sections[dw::kSettingsKey] = true;
    auto& values = parsed.values[dw::kSettingsKey];
    values["MusicVolume"] = 28;
    values["SoundVolume"] = 50;
    values["Mouse"] = 1000;
    values["LevelID"] = 0;
    const std::string ini = platform::IniSettingsStore::Format(parsed);
    const fs::path settings = dir("fuzz_settings");
    Seed(settings, "settings.ini", FromText(ini));
    Seed(settings, "settings-bom.ini", FromText("\xEF\xBB\xBF" + ini));
    Seed(settings, "settings-no-section.ini", FromText("MusicVolume=70\r\nMouse=1200\r\n"));

    const fs::path demos = dir("fuzz_demo");
    std::vector<Bytes> recorded;
    for (int i = 3; i < argc; ++i) {
        Bytes b = ReadFile(argv[i]);
        if (b.empty()) continue;
        Seed(demos, fs::path(argv[i]).filename().string(), b);
        recorded.push_back(std::move(b));
    }
    WriteDemoSeeds(demos, recorded);
    WriteReplaySeeds(dir("fuzz_demo_replay"), recorded);
    // The score server's target: the same demos, and the verifier's line.
    const fs::path scores = dir("fuzz_score_server");
    for (std::size_t i = 0; i < recorded.size(); ++i) Seed(scores, "demo-" + std::to_string(i), recorded[i]);
    Seed(
        scores, "outcome.json",
        FromText(
            R"({"frames":900,"gamesBegun":1,"startLevel":0,"over":true,"score":4200,"levelReached":0,"overFrame":900})"));
    WriteMappingSeeds(dir("fuzz_gamepad_mappings"));
    WriteScoreAnswerSeeds(dir("fuzz_score_answers"));

    const fs::path archivePath = data / "gamedata.res";
    const std::vector<Entry> entries = ArchiveEntries(archivePath);
    const fs::path images = dir("fuzz_image"), meshes = dir("fuzz_xfile"), sounds = dir("fuzz_sound");
    WriteSoundSeeds(sounds);
    for (const Entry& e : entries) {
        if (StartsWith(e.bytes, "\x89PNG", 4) || StartsWith(e.bytes, "\xFF\xD8\xFF", 3)) {
            // Big textures decode slowly: of those only the start (the
            // headers and first rows) is a seed, so each run stays quick.
            if (e.bytes.size() <= kMaxImageSeed)
                Seed(images, e.name, e.bytes);
            else
                WriteFile(images / (e.name + ".head"), e.bytes.data(), 4096);
        } else if (StartsWith(e.bytes, "xof ", 4))
            Seed(meshes, e.name + ".x", e.bytes);
        else if (StartsWith(e.bytes, "RIFF", 4) || StartsWith(e.bytes, "OggS", 4))
            SoundSeed(sounds, e);
    }

    // The archive read from memory and opened from a file: the same seeds.
    const Bytes archive = ReadFile(archivePath);
    for (const char* target : {"fuzz_zip", "fuzz_zip_fd"}) {
        const fs::path zips = dir(target);
        ArchiveSeeds(zips, archive);
        WriteArchiveSeeds(zips);
        const Bytes small = SmallArchive(entries);
        if (!small.empty()) Seed(zips, "small.zip", small);
    }

    std::printf("fuzz seeds: %zu archive entries, written to %s\n", entries.size(), out.c_str());
    return entries.empty() ? 1 : 0;
}
