#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/game_context.h"
#include "core/log.h"
#include "media/asset_list.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "platform/resource_library.h"
#include "platform/wav_check.h"
#include "platform/services.h"
#include "platform/sound_library.h"
#include "platform/zip_archive.h"

namespace fs = std::filesystem;

namespace dw {
namespace {

std::vector<std::uint8_t> FakeWav() { return {'R', 'I', 'F', 'F', 1, 2, 3, 4}; }
std::vector<std::uint8_t> FakeOgg() { return {'O', 'g', 'g', 'S', 9, 9}; }

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctx.services = &services;
        logPath = fs::temp_directory_path() / ("dw_sound_" + std::to_string(::getpid()) + ".log");
        log = std::make_unique<Log>(logPath.string());
        ctx.log = log.get();
        ctx.soundCache = &cache;
        auto& s = services;
        s.resources = &resources;
        s.sound = &imx;
        resources.blocks[asset::MenuSelect] = FakeWav();
        resources.blocks[asset::Game0Explo] = FakeWav();
        resources.blocks[asset::Theme0] = FakeOgg();
        resources.blocks[asset::Theme1] = FakeOgg();
        resources.blocks[asset::MenuError] = {'j', 'u', 'n', 'k'};
    }
    void TearDown() override {
        UnloadAllSounds(&ctx);
        ShutdownSound(&ctx);
        auto& s = services;
        s.resources = nullptr;
        s.sound = nullptr;
        fs::remove(logPath);
    }
    std::string LogText() {
        std::ifstream in(logPath);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int Count(const std::string& prefix) {
        return static_cast<int>(std::count_if(imx.calls.begin(), imx.calls.end(),
                                              [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
    }

    platform::Services services;  // the seams of `ctx`
    GameContext ctx;
    SoundCache cache;
    platform::MemoryResourceLibrary resources;
    platform::RecordingSoundLibrary imx;
    fs::path logPath;
    std::unique_ptr<Log> log;
};

TEST_F(SoundTest, PlayLoadsOnceRemembersTheLastChannelAndFreeStopsIt) {
    StartSound(&ctx);
    ASSERT_EQ(ctx.soundReady, 1);
    ctx.soundVolume = 37;
    PlaySound(&ctx, asset::MenuSelect);
    PlaySound(&ctx, asset::MenuSelect);
    EXPECT_EQ(Count("IMXSampleLoad"), 1);
    EXPECT_EQ(Count("IMXSamplePlay"), 2);
    EXPECT_EQ(Count("IMXSetGlobalVolumes -1 37 -1"), 2);
    SoundCache::Entry* e = cache.Find(asset::MenuSelect);
    ASSERT_NE(e, nullptr);
    const std::int32_t lastChannel = e->channel;
    EXPECT_NE(lastChannel, 0);
    FreeSound(&ctx, asset::MenuSelect);
    EXPECT_EQ(Count("IMXChannelStop " + std::to_string(lastChannel)), 1);
    EXPECT_EQ(cache.Count(), 0u);
    FreeSound(&ctx, asset::Game0Explo);  // never loaded: nothing happens
    EXPECT_EQ(Count("IMXChannelStop"), 1);
}

TEST_F(SoundTest, KeysAreTheNamesTextWhereverItLives) {
    StartSound(&ctx);
    const std::string built = std::string("Menu") + "Select";  // same text, built at run time
    PlaySound(&ctx, asset::MenuSelect);
    PlaySound(&ctx, built.c_str());
    EXPECT_EQ(Count("IMXSampleLoad"), 1);
    EXPECT_EQ(cache.Count(), 1u);
    FreeSound(&ctx, built.c_str());
    EXPECT_EQ(Count("IMXSampleUnload"), 1);
    EXPECT_EQ(cache.Count(), 0u);
}

TEST_F(SoundTest, SilentRunsLoadButNeverPlay) {
    imx.available = false;
    StartSound(&ctx);
    EXPECT_EQ(ctx.soundReady, 0);
    EXPECT_EQ(Count("IMXStart"), 0);
    PlaySound(&ctx, asset::MenuSelect);
    EXPECT_EQ(Count("IMXSamplePlay"), 0);
    std::int32_t h = 0;
    EXPECT_EQ(LoadSample(&ctx, asset::MenuSelect, h), S_OK);  // loading still works
    EXPECT_NE(h, 0);
    EXPECT_EQ(LogText(), "Sound: no audio device (unknown reason): the game plays silent\n");
}

TEST(MixerSound, AMissingDeviceSaysWhy) {
    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string kept = old ? old : "";
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    platform::MixerSoundLibrary mixer;
    EXPECT_EQ(mixer.IMXInit(0, 44100, 0, 0xFFFFFFFFu), 0);
    EXPECT_FALSE(mixer.InitProblem().empty());
    if (old)
        ::setenv("SDL_AUDIODRIVER", kept.c_str(), 1);
    else
        ::unsetenv("SDL_AUDIODRIVER");
}

// SDL's dummy driver opens and plays into nothing: the game runs with sound
// as usual, and the log says that none is heard.
TEST(MixerSound, TheDummyDriverOpensAndSaysNothingIsHeard) {
    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string kept = old ? old : "";
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    {
        platform::MixerSoundLibrary mixer;
        EXPECT_EQ(mixer.IMXInit(0, 44100, 0, 0xFFFFFFFFu), 1);
        EXPECT_NE(mixer.InitProblem().find("dummy"), std::string::npos) << mixer.InitProblem();
        dw::Log log((std::filesystem::temp_directory_path() / "dw_dummy_sound.log").string());
        GameContext ctx;
        platform::Services services;
        services.sound = &mixer;
        ctx.services = &services;
        ctx.log = &log;
        StartSound(&ctx);
        EXPECT_EQ(ctx.soundReady, 1);
        std::ifstream in(std::filesystem::temp_directory_path() / "dw_dummy_sound.log");
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_NE(text.str().find("Sound: no audio device (SDL's \"dummy\" audio driver): the game plays silent"),
                  std::string::npos)
            << text.str();
    }
    std::filesystem::remove(std::filesystem::temp_directory_path() / "dw_dummy_sound.log");
}

// Without a sound card ALSA would write its own search to standard error
// (nine lines at every start); the game's log line is all that is said.
TEST(MixerSound, AStartWithoutACardWritesNothingOnStandardError) {
    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string kept = old ? old : "";
    ::setenv("SDL_AUDIODRIVER", "alsa", 1);
    ::testing::internal::CaptureStderr();
    {
        platform::MixerSoundLibrary mixer;
        mixer.IMXInit(0, 44100, 0, 0xFFFFFFFFu);
    }
    const std::string said = ::testing::internal::GetCapturedStderr();
    if (old)
        ::setenv("SDL_AUDIODRIVER", kept.c_str(), 1);
    else
        ::unsetenv("SDL_AUDIODRIVER");
    EXPECT_EQ(said.find("ALSA lib"), std::string::npos) << said;
}

// Bytes SDL_mixer refuses leave nothing open behind them: asked to close
// its reader, it kept this one open (the leak check of the sanitizer build
// sees it). A stream that opened closes its reader with the music.
TEST(MixerSound, RefusedAndClosedSoundsLeaveNoReaderOpen) {
    platform::MixerSoundLibrary mixer;
    ASSERT_NE(mixer.IMXInit(0, 44100, 0, 0xFFFFFFFFu), 0) << mixer.InitProblem();
    const std::uint8_t refused[] = {0x9C, 'R', 'I', 'F', 'F', '^', 0, 0, 'm', 0, 0};
    EXPECT_EQ(mixer.IMXSampleLoad(1, refused, 0, sizeof refused, 0, 0), 0);
    EXPECT_EQ(mixer.IMXStreamOpenFile(1, refused, 0, sizeof refused, 0), 0);
    platform::ZipArchive data;
    std::vector<std::uint8_t> theme;
    if (!data.OpenFile(DW_BUILD_DIR "/gamedata.res") || !data.Read(asset::Theme0, theme))
        GTEST_SKIP() << "no gamedata.res in the build";
    const std::int32_t stream =
        mixer.IMXStreamOpenFile(1, theme.data(), 0, static_cast<std::uint32_t>(theme.size()), 0);
    EXPECT_NE(stream, 0);
    mixer.IMXStreamPlay(stream, 1);
    mixer.IMXStreamClose(stream);
    EXPECT_NE(mixer.IMXStreamOpenFile(1, theme.data(), 0, static_cast<std::uint32_t>(theme.size()), 0), 0);
    mixer.IMXUninit();  // closes the stream left open
}

// A WAV of 44 header bytes and `samples` bytes of 16-bit sound, whose data
// chunk claims `claimed` bytes.
std::vector<std::uint8_t> Wav(std::uint32_t samples, std::uint32_t claimed, std::uint32_t rate = 22050,
                              std::uint16_t channels = 1) {
    std::vector<std::uint8_t> b;
    auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    tag("RIFF");
    u32(36 + samples);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);
    u16(channels);
    u32(rate);
    u32(rate * 2u * channels);
    u16(static_cast<std::uint16_t>(2 * channels));
    u16(16);
    tag("data");
    u32(claimed);
    b.resize(b.size() + samples, 0x40);
    return b;
}

// The WAV decoders reserve what a chunk claims and convert any rate: a file
// whose chunk claims more than it holds, or whose format is no sound's,
// never reaches them.
TEST(MixerSound, AWavWhoseChunksOrFormatAreNoSoundsIsRefused) {
    const auto whole = Wav(400, 400), claims4G = Wav(400, 0xF9020400u), cut = Wav(400, 401);
    EXPECT_TRUE(platform::WavIsSound(whole.data(), whole.size()));
    EXPECT_FALSE(platform::WavIsSound(claims4G.data(), claims4G.size()));
    EXPECT_FALSE(platform::WavIsSound(cut.data(), cut.size()));
    // An odd chunk's pad byte, which the last chunk may lack.
    auto odd = Wav(401, 401);
    EXPECT_TRUE(platform::WavIsSound(odd.data(), odd.size()));
    odd.insert(odd.end(), {0, 'L', 'I', 'S', 'T', 2, 0, 0, 0, 'a', 'b'});
    EXPECT_TRUE(platform::WavIsSound(odd.data(), odd.size()));
    odd[odd.size() - 6] = 3;
    EXPECT_FALSE(platform::WavIsSound(odd.data(), odd.size()));
    for (const auto& [rate, channels] :
         {std::pair{1u, 1}, {3999u, 1}, {0x56440022u, 1}, {192001u, 1}, {22050u, 0}, {22050u, 9}}) {
        const auto w = Wav(400, 400, rate, static_cast<std::uint16_t>(channels));
        EXPECT_FALSE(platform::WavIsSound(w.data(), w.size())) << rate << " Hz, " << channels << " channels";
    }
    for (const auto& [rate, channels] : {std::pair{4000u, 2}, {192000u, 8}}) {
        const auto w = Wav(400, 400, rate, static_cast<std::uint16_t>(channels));
        EXPECT_TRUE(platform::WavIsSound(w.data(), w.size())) << rate << " Hz, " << channels << " channels";
    }
    const std::uint8_t ogg[] = {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(platform::WavIsSound(ogg, sizeof ogg));

    platform::MixerSoundLibrary mixer;
    ASSERT_NE(mixer.IMXInit(0, 44100, 0, 0xFFFFFFFFu), 0) << mixer.InitProblem();
    EXPECT_NE(mixer.IMXSampleLoad(1, whole.data(), 0, static_cast<std::uint32_t>(whole.size()), 0, 0), 0);
    EXPECT_EQ(mixer.IMXSampleLoad(1, claims4G.data(), 0, static_cast<std::uint32_t>(claims4G.size()), 0, 0), 0);
    EXPECT_EQ(mixer.IMXStreamOpenFile(1, claims4G.data(), 0, static_cast<std::uint32_t>(claims4G.size()), 0), 0);
    mixer.IMXUninit();
}

// An Ogg Vorbis of `pages` pages after its identification header, each of
// 255 one-byte packets (a hostile file: every packet may decode to a whole
// block).
std::vector<std::uint8_t> Ogg(int pages) {
    std::vector<std::uint8_t> b;
    auto page = [&](const std::vector<std::uint8_t>& laces, std::size_t body) {
        const std::uint8_t head[27] = {'O', 'g', 'g', 'S', 0, 0, 0, 0, 0,
                                       0,   0,   0,   0,   0, 0, 0, 0, 0,
                                       0,   0,   0,   0,   0, 0, 0, 0, static_cast<std::uint8_t>(laces.size())};
        b.insert(b.end(), head, head + 27);
        b.insert(b.end(), laces.begin(), laces.end());
        b.insert(b.end(), body, 0);
        return b.size() - body;
    };
    const std::size_t id = page({30}, 30);
    const std::uint8_t header[] = {1, 'v', 'o', 'r', 'b', 'i', 's', 0, 0, 0, 0, 2, 0x44, 0xAC, 0, 0};
    std::copy(std::begin(header), std::end(header), b.begin() + static_cast<long>(id));
    b[id + 28] = 0xB8;  // blocks of 256 and 2048
    for (int p = 0; p < pages; ++p) page(std::vector<std::uint8_t>(255, 1), 255);
    return b;
}

// The mixer decodes a whole effect before it plays: a WAV without its RIFF
// header, or a small file that decodes to hundreds of megabytes (a slow
// rate, few bits, or many tiny Ogg packets), never reaches it.
TEST(MixerSound, ASampleLargerThanTheCapOnceDecodedIsRefusedBeforeSDLSeesIt) {
    auto bare = Wav(400, 0xF9020400u);
    bare.erase(bare.begin(), bare.begin() + 8);  // "WAVE" first: SDL reads it as a WAV
    EXPECT_FALSE(platform::WavIsSound(bare.data(), bare.size()));

    // 9 MiB of 4 kHz 8-bit mono: about 450 MB of 48 kHz 16-bit stereo.
    auto slow = Wav(9u << 20, 9u << 20, 4000);
    slow[34] = 8;  // bits a sample
    const auto decoded = platform::DecodedSoundBytes(slow.data(), slow.size(), 48000);
    ASSERT_TRUE(decoded);
    EXPECT_GT(*decoded, 400ull << 20);
    EXPECT_FALSE(platform::SampleFitsInMemory(slow.data(), slow.size(), 48000));
    const auto effect = Wav(200'000, 200'000, 22050, 2);
    EXPECT_TRUE(platform::SampleFitsInMemory(effect.data(), effect.size(), 48000));

    const auto small = Ogg(2), packed = Ogg(40);
    EXPECT_TRUE(platform::SampleFitsInMemory(small.data(), small.size(), 48000));
    EXPECT_LT(packed.size(), 24'000u);
    EXPECT_FALSE(platform::SampleFitsInMemory(packed.data(), packed.size(), 48000));
    auto cut = small;
    cut.pop_back();
    EXPECT_FALSE(platform::DecodedSoundBytes(cut.data(), cut.size(), 48000)) << "a page cut short";
    const std::uint8_t aiff[] = {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I', 'F', 'F'};
    EXPECT_FALSE(platform::SampleFitsInMemory(aiff, sizeof aiff, 48000)) << "neither WAV nor Ogg";

    platform::MixerSoundLibrary mixer;
    ASSERT_NE(mixer.IMXInit(0, 44100, 0, 0xFFFFFFFFu), 0) << mixer.InitProblem();
    EXPECT_EQ(mixer.IMXSampleLoad(1, slow.data(), 0, static_cast<std::uint32_t>(slow.size()), 0, 0), 0);
    EXPECT_EQ(mixer.IMXSampleLoad(1, bare.data(), 0, static_cast<std::uint32_t>(bare.size()), 0, 0), 0);
    EXPECT_EQ(mixer.IMXSampleLoad(1, packed.data(), 0, static_cast<std::uint32_t>(packed.size()), 0, 0), 0);
    EXPECT_NE(mixer.IMXSampleLoad(1, effect.data(), 0, static_cast<std::uint32_t>(effect.size()), 0, 0), 0);
    mixer.IMXUninit();
}

TEST_F(SoundTest, BadSampleLogsAndMissingOnesStaySilent) {
    StartSound(&ctx);
    std::int32_t h = 7;
    EXPECT_EQ(LoadSample(&ctx, asset::MenuError, h), E_FAIL);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(LoadSample(&ctx, asset::GameHealth, h), E_FAIL);  // not in the library: no line
    EXPECT_EQ(LoadSample(&ctx, asset::NoTexture, h), E_FAIL);
    EXPECT_EQ(LogText(), "FAIL: Can not load sample in IFMOD!\n");
    EXPECT_EQ(cache.Count(), 0u);
}

TEST_F(SoundTest, MusicStreamReplacesTheOpenOneAndLogsEachFailure) {
    StartSound(&ctx);
    ASSERT_EQ(OpenMusicStream(&ctx, asset::Theme0, ctx.musicStream), S_OK);
    const std::int32_t first = ctx.musicStream;
    ASSERT_GT(first, 0);
    ASSERT_EQ(OpenMusicStream(&ctx, asset::Theme1, ctx.musicStream), S_OK);
    EXPECT_EQ(Count("IMXStreamClose " + std::to_string(first)), 1);
    EXPECT_EQ(imx.openStreams, 1);
    EXPECT_EQ(OpenMusicStream(&ctx, asset::IntroTrackE, ctx.musicStream), E_FAIL);
    EXPECT_EQ(OpenMusicStream(&ctx, asset::MenuError, ctx.musicStream), E_FAIL);
    EXPECT_EQ(LogText(), "FAIL: Can not find resource in SFMOD!\nFAIL: Can not load stream in SFMOD!\n");
    ShutdownSound(&ctx);
    EXPECT_EQ(imx.openStreams, 0);
    EXPECT_EQ(resources.openCount, 0);  // the kept library is freed at shutdown
}

TEST_F(SoundTest, ABrokenStreamIsTriedAndLoggedOnce) {
    StartSound(&ctx);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(OpenMusicStream(&ctx, asset::MenuError, ctx.musicStream), E_FAIL);
    EXPECT_EQ(LogText(), "FAIL: Can not load stream in SFMOD!\n");
    EXPECT_EQ(Count("IMXStreamOpenFile"), 1);
    EXPECT_EQ(OpenMusicStream(&ctx, asset::Theme0, ctx.musicStream), S_OK);
}

TEST_F(SoundTest, NoLibraryMeansNoStream) {
    resources.failOpen = true;
    StartSound(&ctx);
    EXPECT_EQ(ctx.resourceLibraryModule, nullptr);
    EXPECT_EQ(OpenMusicStream(&ctx, asset::Theme0, ctx.musicStream), E_FAIL);
    EXPECT_EQ(LogText(), "FAIL: Can not load library in SFMOD!\n");
}

TEST_F(SoundTest, RequestSlotsAreThrottledByTheirNextAllowedTime) {
    ctx.timeNow = 1000;
    ctx.soundRequests[5].nextAllowed = 1000;  // not yet earlier than now
    RequestSound(&ctx, SoundSlot::Game0Explo);
    EXPECT_EQ(ctx.soundRequests[5].flag, 0);
    ctx.timeNow = 1001;
    RequestSound(&ctx, SoundSlot::Game0Explo);
    RequestSound(&ctx, SoundSlot::Game0Explo);
    EXPECT_EQ(ctx.soundRequests[5].flag, 1);
    RequestSound(&ctx, static_cast<SoundSlot>(8));  // out of range: ignored
    RequestSound(&ctx, static_cast<SoundSlot>(0xffffffffu));
    EXPECT_STREQ(kSoundRequestNames[7], "Game2Explo");
}

TEST_F(SoundTest, AssetListLoadsOneEntryPerPassAndOpensTheMenuMusic) {
    StartSound(&ctx);
    AssetLoader loader;
    RunAssetList(&ctx, loader);  // counting pass
    EXPECT_EQ(loader.total, 73u);
    EXPECT_EQ(Count("IMXSampleLoad"), 0);
    loader.counting = false;
    loader.cursor = 39;  // the first sound, "MenuSelect"
    RunAssetList(&ctx, loader);
    EXPECT_EQ(Count("IMXSampleLoad"), 1);
    EXPECT_NE(cache.Find(asset::MenuSelect), nullptr);
    EXPECT_GT(ctx.musicStream, 0);
    EXPECT_STREQ(kStartupAssets[72].name, "Game2Explo");
    EXPECT_STREQ(kStartupAssets[38].name, "BigBoss4");
}

}  // namespace
}  // namespace dw
