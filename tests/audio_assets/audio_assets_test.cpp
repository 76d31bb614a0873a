// The sounds and music that assetgen puts into gamedata.res: what the game
// asks for is there, loads in the mixer, and is clean to play.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "asset_sink.h"
#include "audio/audio.h"

namespace {

using assetgen::Blob;
namespace audio = assetgen::audio;

// Every sample name the game plays or loads.
const std::vector<std::string> kSampleNames = {
    "MenuSelect", "MenuPress",  "MenuError",  "MenuLoser",  "MenuWiner",   "MenuPlane",  "GameDamage", "Game0Laser",
    "Game1Laser", "Game2Laser", "Game3Laser", "Game0Plasm", "Game1Plasm",  "GameRocket", "GameDiamon", "GameRubins",
    "GameTopaze", "GameIzumru", "GameEnergy", "GamePlasma", "GameEndwep",  "GameGetroc", "Game0Death", "GameShield",
    "Game0Enemy", "Game1Enemy", "Game2Enemy", "Game3Enemy", "Game4Enemy",  "GameComple", "GameGameov", "Game0Explo",
    "Game1Explo", "Game2Explo", "GameHealth", "IntroTrack", "IntroTrackB", "IntroTrackE"};

// The module's whole output, made once for all tests.
const std::map<std::string, std::vector<std::uint8_t>>& generated() {
    static const auto blobs = [] {
        assetgen::Output out;
        assetgen::generate_audio(out);
        std::map<std::string, std::vector<std::uint8_t>> m;
        for (auto& b : out.blobs) {
            EXPECT_TRUE(m.emplace(b.name, b.bytes).second) << b.name << " generated twice";
        }
        EXPECT_TRUE(out.textures.empty());
        return m;
    }();
    return blobs;
}

struct MemFile {
    const std::vector<std::uint8_t>* bytes;
    std::size_t pos = 0;
};

std::size_t mem_read(void* ptr, std::size_t size, std::size_t n, void* src) {
    auto* f = static_cast<MemFile*>(src);
    const std::size_t want = size * n;
    const std::size_t got = std::min(want, f->bytes->size() - f->pos);
    std::memcpy(ptr, f->bytes->data() + f->pos, got);
    f->pos += got;
    return size ? got / size : 0;
}
int mem_seek(void* src, ogg_int64_t off, int whence) {
    auto* f = static_cast<MemFile*>(src);
    const ogg_int64_t base = whence == SEEK_SET ? 0
        : whence == SEEK_CUR                    ? ogg_int64_t(f->pos)
                                                : ogg_int64_t(f->bytes->size());
    const ogg_int64_t p = base + off;
    if (p < 0 || p > ogg_int64_t(f->bytes->size())) return -1;
    f->pos = std::size_t(p);
    return 0;
}
long mem_tell(void* src) { return long(static_cast<MemFile*>(src)->pos); }

struct Decoded {
    int channels = 0;
    long rate = 0;
    std::vector<float> l, r;
    std::map<std::string, std::string> tags;
};

Decoded decode(const std::vector<std::uint8_t>& bytes) {
    Decoded d;
    MemFile file{&bytes};
    OggVorbis_File vf;
    const ov_callbacks cb{mem_read, mem_seek, nullptr, mem_tell};
    if (ov_open_callbacks(&file, &vf, nullptr, 0, cb) != 0) {
        ADD_FAILURE() << "not an Ogg Vorbis stream";
        return d;
    }
    const vorbis_info* vi = ov_info(&vf, -1);
    d.channels = vi->channels;
    d.rate = vi->rate;
    if (const vorbis_comment* vc = ov_comment(&vf, -1)) {
        for (int i = 0; i < vc->comments; ++i) {
            const std::string c(vc->user_comments[i], std::size_t(vc->comment_lengths[i]));
            const auto eq = c.find('=');
            if (eq != std::string::npos) d.tags[c.substr(0, eq)] = c.substr(eq + 1);
        }
    }
    float** pcm = nullptr;
    int section = 0;
    for (;;) {
        const long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n <= 0) {
            EXPECT_EQ(n, 0) << "decode error";
            break;
        }
        d.l.insert(d.l.end(), pcm[0], pcm[0] + n);
        d.r.insert(d.r.end(), pcm[d.channels > 1 ? 1 : 0], pcm[d.channels > 1 ? 1 : 0] + n);
    }
    ov_clear(&vf);
    return d;
}

// An effect as rendered, before the encoder (made once).
const std::vector<float>& rendered(const std::string& name) {
    static std::map<std::string, std::vector<float>> cache;
    auto it = cache.find(name);
    if (it == cache.end()) it = cache.emplace(name, audio::render_effect(name)).first;
    return it->second;
}

// An effect as the game's mixer gets it: the archive's bytes decoded (made once).
const Decoded& effect(const std::string& name) {
    static std::map<std::string, Decoded> cache;
    auto it = cache.find(name);
    if (it == cache.end()) it = cache.emplace(name, decode(generated().at(name))).first;
    return it->second;
}

// RMS (dBFS) of the loudest 50 ms window: how loud a short sound is heard.
double loudest_window_db(const std::vector<float>& s) {
    const std::size_t win = audio::kRate / 20;
    double best = 0.0;
    for (std::size_t start = 0; start < s.size(); start += win / 4) {
        const std::size_t end = std::min(s.size(), start + win);
        double e = 0.0;
        for (std::size_t i = start; i < end; ++i) e += double(s[i]) * s[i];
        best = std::max(best, e / double(win));
    }
    return 10.0 * std::log10(std::max(best, 1e-20));
}

// --- samples ------------------------------------------------------------------

TEST(AudioAssets, ProducesEverySampleAndBothThemesExactlyOnce) {
    const auto& g = generated();
    std::set<std::string> expected(kSampleNames.begin(), kSampleNames.end());
    expected.insert("Theme0");
    expected.insert("Theme1");
    std::set<std::string> got;
    for (const auto& [name, bytes] : g) {
        got.insert(name);
        EXPECT_FALSE(bytes.empty()) << name;
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(kSampleNames.size(), 38u);
    EXPECT_EQ(audio::effect_names().size(), 38u);
}

// Effects are mono Ogg Vorbis at 44.1 kHz (a twelfth of the WAV's bytes), of
// exactly the length rendered.
TEST(AudioAssets, SamplesAreMonoVorbisAt44k) {
    std::size_t bytes = 0;
    for (const auto& name : kSampleNames) {
        SCOPED_TRACE(name);
        const auto& b = generated().at(name);
        ASSERT_GE(b.size(), 4u);
        EXPECT_EQ(std::memcmp(b.data(), "OggS", 4), 0);
        const Decoded& d = effect(name);
        EXPECT_EQ(d.channels, 1);
        EXPECT_EQ(d.rate, 44100);
        EXPECT_GT(d.l.size(), 44100u / 50);
        EXPECT_EQ(d.l.size(), rendered(name).size());
        bytes += b.size();
    }
    // 4.2 MB as 16-bit WAV.
    EXPECT_LT(bytes, 700u * 1024) << "the effects take " << bytes << " bytes";
}

// The encoder keeps each effect's sound: its loudness, and its course over
// time (the loudness of every 50 ms) within a decibel or two where it sounds.
TEST(AudioAssets, SamplesSoundAsRenderedAfterEncoding) {
    for (const auto& name : kSampleNames) {
        SCOPED_TRACE(name);
        const std::vector<float>& pcm = rendered(name);
        const std::vector<float>& got = effect(name).l;
        ASSERT_EQ(got.size(), pcm.size());
        EXPECT_NEAR(loudest_window_db(got), loudest_window_db(pcm), 0.5);
        // The codec's ringing before a sharp attack stays a whisper at the
        // ends (-26 dBFS), which the design keeps silent.
        EXPECT_LT(std::fabs(got.front()), 0.05);
        EXPECT_LT(std::fabs(got.back()), 0.05);
        const std::size_t win = audio::kRate / 20;
        const double top = loudest_window_db(pcm);
        for (std::size_t at = 0; at + win <= pcm.size(); at += win) {
            double e0 = 0.0, e1 = 0.0;
            for (std::size_t i = at; i < at + win; ++i) {
                e0 += double(pcm[i]) * pcm[i];
                e1 += double(got[i]) * got[i];
            }
            const double db0 = 10.0 * std::log10(std::max(e0 / double(win), 1e-20));
            const double db1 = 10.0 * std::log10(std::max(e1 / double(win), 1e-20));
            if (db0 > top - 30.0) {
                EXPECT_NEAR(db1, db0, 2.0) << "at " << double(at) / 44100.0 << " s";
            }
        }
    }
}

// The start-up's track is the splash's whole track (its jingle, then its
// sting), not a second copy of the jingle.
TEST(AudioAssets, TheIntroTrackIsTheJingleThenTheSting) {
    const auto whole = audio::render_effect("IntroTrack");
    const auto jingle = audio::render_effect("IntroTrackB");
    const auto sting = audio::render_effect("IntroTrackE");
    ASSERT_EQ(whole.size(), jingle.size() + sting.size());
    EXPECT_TRUE(std::equal(jingle.begin(), jingle.end(), whole.begin()));
    EXPECT_TRUE(std::equal(sting.begin(), sting.end(), whole.begin() + std::ptrdiff_t(jingle.size())));
    EXPECT_NE(generated().at("IntroTrack"), generated().at("IntroTrackB"));
}

// As designed (rendered): no clicks at either end, no DC, no clipping, and
// not silent. The encoder's share is the test above.
TEST(AudioAssets, SamplesAreCleanAtTheEdgesAndBelowFullScale) {
    for (const auto& name : kSampleNames) {
        SCOPED_TRACE(name);
        const auto& s = rendered(name);
        ASSERT_FALSE(s.empty());
        double peak = 0.0, sum = 0.0;
        for (float v : s) {
            peak = std::max(peak, double(std::fabs(v)));
            sum += v;
        }
        EXPECT_LT(peak, 0.95) << "peaks must stay below -0.5 dBFS";
        EXPECT_GT(peak, 0.1) << "practically silent";
        EXPECT_LT(std::fabs(sum / double(s.size())), 0.005) << "DC offset";
        EXPECT_LT(std::fabs(s.front()), 0.01);
        EXPECT_LT(std::fabs(s.back()), 0.01);
        // The first and last few samples ramp, so no step is heard.
        double first = 0.0, last = 0.0;
        for (std::size_t i = 0; i < 8; ++i) {
            first = std::max(first, double(std::fabs(s[i])));
            last = std::max(last, double(std::fabs(s[s.size() - 1 - i])));
        }
        EXPECT_LT(first, 0.1 * peak + 0.005);
        EXPECT_LT(last, 0.1 * peak + 0.005);
    }
}

TEST(AudioAssets, SamplesShareOneLoudness) {
    std::vector<std::pair<double, std::string>> levels;
    for (const auto& name : kSampleNames) {
        levels.push_back({loudest_window_db(rendered(name)), name});
    }
    std::sort(levels.begin(), levels.end());
    const double median = levels[levels.size() / 2].first;
    for (const auto& [db, name] : levels) {
        EXPECT_NEAR(db, median, 6.0) << name << " stands out from the others";
    }
    EXPECT_GT(median, -24.0);
    EXPECT_LT(median, -8.0);
}

// Lengths follow how the game uses each sound: rapid-fire sounds end before
// the next shot, menu blips are short, the splash jingle covers the splash.
TEST(AudioAssets, SampleLengthsFitTheirUse) {
    auto seconds = [](const std::string& name) { return double(effect(name).l.size()) / 44100.0; };
    EXPECT_LE(seconds("Game3Laser"), 0.11);  // fires every 100 ms
    EXPECT_LE(seconds("Game1Laser"), 0.16);  // every 150 ms
    EXPECT_LE(seconds("Game2Laser"), 0.21);  // every 200 ms
    EXPECT_LE(seconds("Game0Laser"), 0.26);  // every 250 ms
    EXPECT_LE(seconds("Game0Plasm"), 0.36);  // every 350 ms
    EXPECT_LE(seconds("Game1Plasm"), 0.36);
    EXPECT_LT(seconds("MenuSelect"), 0.1);
    EXPECT_LT(seconds("MenuError"), 0.2);
    EXPECT_LT(seconds("GameDamage"), 0.16);
    for (const char* n : {"Game0Enemy", "Game1Enemy", "Game2Enemy", "Game3Enemy", "Game4Enemy"})
        EXPECT_LT(seconds(n), 0.5) << n;
    EXPECT_GE(seconds("IntroTrackB"), 5.0);
    EXPECT_LE(seconds("IntroTrackB"), 7.0);
    EXPECT_GE(seconds("MenuPlane"), 3.0);
    EXPECT_LE(seconds("MenuPlane"), 6.0);
    EXPECT_GE(seconds("GameComple"), 1.5);
    EXPECT_GE(seconds("GameGameov"), 1.5);
    EXPECT_LE(seconds("GameGameov"), 4.0);
}

TEST(AudioAssets, EffectsAreTheSameOnEveryRun) {
    for (const char* n : {"Game2Explo", "MenuPlane", "GameRocket"}) {
        EXPECT_EQ(audio::render_effect(n), audio::render_effect(n)) << n;
    }
    EXPECT_THROW(audio::render_effect("NoSuchSound"), std::runtime_error);
}

// --- music streams --------------------------------------------------------------

double rms(const std::vector<float>& s, std::size_t from, std::size_t n) {
    double e = 0.0;
    for (std::size_t i = from; i < from + n; ++i) e += double(s[i]) * s[i];
    return std::sqrt(e / double(n));
}

class ThemeStream : public ::testing::TestWithParam<int> {
protected:
    static const Decoded& decoded(int index) {
        static std::map<int, Decoded> cache;
        auto it = cache.find(index);
        if (it == cache.end()) it = cache.emplace(index, decode(generated().at(audio::theme_info(index).name))).first;
        return it->second;
    }
};

// A loop of whole bars, at least 90 s, sample-exact after decoding, with the
// loop length stated for players that honour it.
TEST_P(ThemeStream, IsAStereoLoopOfWholeBarsAndAtLeast90Seconds) {
    const auto info = audio::theme_info(GetParam());
    const Decoded& d = decoded(GetParam());
    EXPECT_EQ(d.channels, 2);
    EXPECT_EQ(d.rate, 44100);
    ASSERT_EQ(long(d.l.size()), info.frames());
    EXPECT_GE(double(d.l.size()) / 44100.0, 90.0);
    const double bar_frames = 4.0 * 60.0 * 44100.0 / info.bpm;
    EXPECT_DOUBLE_EQ(std::fmod(double(d.l.size()), bar_frames), 0.0);
    EXPECT_EQ(d.tags.count("LOOPSTART") ? d.tags.at("LOOPSTART") : "", "0");
    EXPECT_EQ(d.tags.count("LOOPLENGTH") ? d.tags.at("LOOPLENGTH") : "", std::to_string(d.l.size()));
    EXPECT_LE(generated().at(info.name).size(), 4u * 1024 * 1024) << "stream too large";
}

TEST_P(ThemeStream, StaysBelowFullScaleWithoutDc) {
    const Decoded& d = decoded(GetParam());
    ASSERT_FALSE(d.l.empty());
    for (const auto* ch : {&d.l, &d.r}) {
        double peak = 0.0, sum = 0.0;
        for (float v : *ch) {
            peak = std::max(peak, double(std::fabs(v)));
            sum += v;
        }
        EXPECT_LT(peak, 0.99);
        EXPECT_GT(peak, 0.3);
        EXPECT_LT(std::fabs(sum / double(ch->size())), 0.003);
    }
}

// The end runs into the start: no step at the seam, and the start carries the
// ringing-out of the end rather than beginning from silence.
TEST_P(ThemeStream, LoopsWithoutASeam) {
    const Decoded& d = decoded(GetParam());
    ASSERT_GT(d.l.size(), 44100u);
    const std::size_t n = d.l.size();
    for (const auto* ch : {&d.l, &d.r}) {
        const auto& s = *ch;
        double local_step = 0.0;
        for (std::size_t i = 1; i < 2205; ++i) {
            local_step = std::max(local_step, double(std::fabs(s[i] - s[i - 1])));
            local_step = std::max(local_step, double(std::fabs(s[n - i] - s[n - i - 1])));
        }
        EXPECT_LE(std::fabs(s[0] - s[n - 1]), local_step + 1e-4);
        const double head = rms(s, 0, 441), end = rms(s, n - 441, 441);
        EXPECT_GT(head, end * 0.5) << "the loop starts from near silence after a sounding end";
    }
}

// Composed, not a drone: loudness moves between sections.
TEST_P(ThemeStream, VariesAcrossTheLoop) {
    const auto info = audio::theme_info(GetParam());
    const Decoded& d = decoded(GetParam());
    const std::size_t bar = std::size_t(info.frames() / info.bars);
    ASSERT_EQ(d.l.size(), bar * std::size_t(info.bars));
    double lo = 1e9, hi = 0.0;
    for (int b = 0; b < info.bars; ++b) {
        const double v = rms(d.l, std::size_t(b) * bar, bar);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_GT(20.0 * std::log10(hi / lo), 3.0);
}

INSTANTIATE_TEST_SUITE_P(Themes, ThemeStream, ::testing::Values(0, 1));

TEST(AudioAssets, OggEncodingIsDeterministic) {
    audio::Stereo pcm(44100);
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        pcm.l[i] = float(0.3 * std::sin(i * 0.05));
        pcm.r[i] = float(0.3 * std::sin(i * 0.031));
    }
    const auto a = audio::encode_ogg(pcm, 0.35f, 7, {{"TITLE", "x"}});
    const auto b = audio::encode_ogg(pcm, 0.35f, 7, {{"TITLE", "x"}});
    EXPECT_EQ(a, b);
    const Decoded d = decode(a);
    EXPECT_EQ(d.l.size(), pcm.size());
}

// --- the game's mixer ---------------------------------------------------------------

// Everything loads through SDL2_mixer from memory the way the game loads it.
TEST(AudioAssets, MixerLoadsEverySampleAndBothStreams) {
    if (SDL_Init(SDL_INIT_AUDIO) != 0) GTEST_SKIP() << "no SDL audio: " << SDL_GetError();
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        SDL_Quit();
        GTEST_SKIP() << "no audio device: " << Mix_GetError();
    }
    Mix_Init(MIX_INIT_OGG);
    for (const auto& name : kSampleNames) {
        const auto& b = generated().at(name);
        Mix_Chunk* c = Mix_LoadWAV_RW(SDL_RWFromConstMem(b.data(), int(b.size())), 1);
        EXPECT_NE(c, nullptr) << name << ": " << Mix_GetError();
        if (c) Mix_FreeChunk(c);
    }
    for (const char* name : {"Theme0", "Theme1"}) {
        const auto& b = generated().at(name);
        Mix_Music* m = Mix_LoadMUS_RW(SDL_RWFromConstMem(b.data(), int(b.size())), 1);
        EXPECT_NE(m, nullptr) << name << ": " << Mix_GetError();
        if (m) {
            EXPECT_EQ(Mix_GetMusicType(m), MUS_OGG) << name;
            Mix_FreeMusic(m);
        }
    }
    Mix_CloseAudio();
    Mix_Quit();
    SDL_Quit();
}

}  // namespace
