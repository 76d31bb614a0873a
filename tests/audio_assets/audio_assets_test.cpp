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

std::uint32_t le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

struct Wav {
    int channels = 0, rate = 0, bits = 0, format = 0;
    std::vector<float> samples;  // first channel
};

// Walks the RIFF chunks the way a strict loader would.
::testing::AssertionResult parse_wav(const std::vector<std::uint8_t>& b, Wav& w) {
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return ::testing::AssertionFailure() << "no RIFF/WAVE header";
    if (le32(b.data() + 4) != b.size() - 8) return ::testing::AssertionFailure() << "RIFF size does not match the file";
    bool have_fmt = false, have_data = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::uint32_t size = le32(b.data() + at + 4);
        if (at + 8 + size > b.size()) return ::testing::AssertionFailure() << "chunk runs past the end";
        const std::uint8_t* c = b.data() + at + 8;
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0) {
            w.format = le16(c);
            w.channels = le16(c + 2);
            w.rate = int(le32(c + 4));
            w.bits = le16(c + 14);
            if (le32(c + 8) != std::uint32_t(w.rate * w.channels * w.bits / 8))
                return ::testing::AssertionFailure() << "byte rate inconsistent";
            have_fmt = true;
        } else if (std::memcmp(b.data() + at, "data", 4) == 0) {
            if (!have_fmt || w.bits != 16 || w.channels < 1) return ::testing::AssertionFailure() << "data before fmt";
            for (std::uint32_t i = 0; i + 2 * w.channels <= size; i += 2 * w.channels)
                w.samples.push_back(float(std::int16_t(le16(c + i))) / 32768.0f);
            have_data = true;
        }
        at += 8 + size + (size & 1);
    }
    if (!have_fmt || !have_data) return ::testing::AssertionFailure() << "fmt or data chunk missing";
    return ::testing::AssertionSuccess();
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

TEST(AudioAssets, SamplesAreMono16BitWavAt44k) {
    for (const auto& name : kSampleNames) {
        SCOPED_TRACE(name);
        Wav w;
        ASSERT_TRUE(parse_wav(generated().at(name), w));
        EXPECT_EQ(w.format, 1);
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.rate, 44100);
        EXPECT_EQ(w.bits, 16);
        EXPECT_GT(w.samples.size(), 44100u / 50);
    }
}

// No clicks at either end, no DC, no clipping, and not silent.
TEST(AudioAssets, SamplesAreCleanAtTheEdgesAndBelowFullScale) {
    for (const auto& name : kSampleNames) {
        SCOPED_TRACE(name);
        Wav w;
        ASSERT_TRUE(parse_wav(generated().at(name), w));
        const auto& s = w.samples;
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
        Wav w;
        ASSERT_TRUE(parse_wav(generated().at(name), w)) << name;
        levels.push_back({loudest_window_db(w.samples), name});
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
    auto seconds = [](const std::string& name) {
        Wav w;
        EXPECT_TRUE(parse_wav(generated().at(name), w)) << name;
        return double(w.samples.size()) / 44100.0;
    };
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
