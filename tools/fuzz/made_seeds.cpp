// The seeds made rather than taken from the shipped data (seed_files.h).
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/demo.h"
#include "audio/dsp.h"
#include "platform/zip_archive.h"
#include "seed_files.h"

namespace fs = std::filesystem;

namespace seeds {

namespace {

void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

void PutTag(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

// Bytes that look like sound data to no decoder in particular.
Bytes Noise(std::size_t n, std::uint32_t seed) {
    Bytes out(n);
    for (auto& v : out) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<std::uint8_t>(seed >> 24);
    }
    return out;
}

// A WAV file of one format: the fmt chunk's fields, its extension (for the
// compressed formats) and the sample bytes.
Bytes Wav(std::uint16_t format, std::uint16_t channels, std::uint16_t bits, std::uint16_t blockAlign,
          const Bytes& extension, const Bytes& samples) {
    constexpr std::uint32_t kRate = 22050;
    Bytes fmt;
    Put16(fmt, format);
    Put16(fmt, channels);
    Put32(fmt, kRate);
    Put32(fmt, kRate * blockAlign);
    Put16(fmt, blockAlign);
    Put16(fmt, bits);
    if (!extension.empty()) {
        Put16(fmt, static_cast<std::uint32_t>(extension.size()));
        fmt.insert(fmt.end(), extension.begin(), extension.end());
    }
    Bytes out;
    PutTag(out, "RIFF");
    Put32(out, static_cast<std::uint32_t>(4 + 8 + fmt.size() + 8 + samples.size()));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, static_cast<std::uint32_t>(fmt.size()));
    out.insert(out.end(), fmt.begin(), fmt.end());
    PutTag(out, "data");
    Put32(out, static_cast<std::uint32_t>(samples.size()));
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

std::vector<float> Tone(double seconds, double hz) {
    std::vector<float> s(static_cast<std::size_t>(seconds * assetgen::audio::kRate));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<float>(0.5 * std::sin(assetgen::audio::kTwoPi * hz * double(i) / assetgen::audio::kRate));
    return s;
}

}  // namespace

void WriteSoundSeeds(const fs::path& dir) {
    using namespace assetgen::audio;
    // What the asset generator writes: 16-bit mono PCM, and Ogg Vorbis.
    Seed(dir, "tone.wav", encode_wav(Tone(0.05, 440.0)));
    Stereo pcm(kRate / 4);
    pcm.l = Tone(0.25, 330.0);
    pcm.r = Tone(0.25, 495.0);
    Seed(dir, "tone.ogg", encode_ogg(pcm, 0.0f, 1, {{"TITLE", "tone"}}));
    // The other formats the WAV reader takes, each with a valid header.
    const Bytes samples = Noise(1024, 7);
    WriteFile(dir / "pcm8-stereo.wav", Wav(1, 2, 8, 2, {}, samples));
    WriteFile(dir / "float32.wav", Wav(3, 1, 32, 4, {}, samples));
    WriteFile(dir / "alaw.wav", Wav(6, 1, 8, 1, {}, samples));
    WriteFile(dir / "mulaw.wav", Wav(7, 1, 8, 1, {}, samples));
    Bytes ima;
    Put16(ima, 505);  // samples per 256-byte block
    WriteFile(dir / "ima-adpcm.wav", Wav(0x11, 1, 4, 256, ima, samples));
    Bytes ms;
    Put16(ms, 500);  // samples per 256-byte block
    Put16(ms, 7);    // the seven standard coefficient pairs
    for (const auto& [a, b] : {std::pair{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}) {
        Put16(ms, static_cast<std::uint16_t>(a));
        Put16(ms, static_cast<std::uint16_t>(b));
    }
    WriteFile(dir / "ms-adpcm.wav", Wav(2, 1, 4, 256, ms, samples));
}

void WriteArchiveSeeds(const fs::path& dir) {
    std::string text;
    for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i) + " of a text that deflates well\n";
    const Bytes pattern = Noise(3000, 11);
    Bytes repeated;
    for (int i = 0; i < 6; ++i) repeated.insert(repeated.end(), pattern.begin(), pattern.begin() + 500);
    // Several entries, stored and deflated, one empty, one in a folder.
    const Bytes multi = platform::WriteZipArchive({
        {"readme.txt", FromText("a stored entry\n"), false},
        {"sprites/ship.bin", repeated, true},
        {"empty.dat", {}, false},
        {"Mixed.Case.txt", FromText(text.substr(0, 200)), true},
        {"noise.bin", pattern, true},
    });
    Seed(dir, "multi.zip", multi);
    Seed(dir, "deflated.zip", platform::WriteZipArchive({{"text.txt", FromText(text), true}}));
    Seed(dir, "stored.zip", platform::WriteZipArchive({{"noise.bin", pattern, false}}));
}

void WriteMappingSeeds(const fs::path& dir) {
    const std::string pad =
        "05000000aa550000beef000001000000,Test Pad,a:b0,b:b1,x:b2,y:b3,back:b6,guide:b8,start:b7,"
        "leftstick:b9,rightstick:b10,leftshoulder:b4,rightshoulder:b5,dpup:h0.1,dpdown:h0.4,"
        "dpleft:h0.8,dpright:h0.2,leftx:a0,lefty:a1,rightx:a3,righty:a4,lefttrigger:a2,"
        "righttrigger:a5,platform:Linux,\n";
    const std::string halves =
        "03000000123400005678000010010000,Half Axes,a:b0,b:b1,leftx:-a0,lefty:+a1~,dpup:-a7,"
        "dpdown:+a7,lefttrigger:+a2,righttrigger:-a2,misc1:b12,paddle1:b13,touchpad:b14,"
        "crc:1a2b,platform:Linux,\n";
    const std::string other =
        "# another machine's pads\n"
        "030000005e0400008e02000000007801,Other System,a:b0,b:b1,platform:Windows,\r\n"
        "xinput,XInput Pad,a:b0,b:b1,leftx:a0,lefty:a1,\r\n";
    Seed(dir, "pad.txt", FromText(pad));
    Seed(dir, "half-axes.txt", FromText(halves));
    Seed(dir, "other.txt", FromText(other));
    Seed(dir, "all.txt", FromText(other + pad + halves));
}

void WriteScoreAnswerSeeds(const fs::path& dir) {
    Seed(dir, "board.json",
         FromText(R"({"scores":[{"id":1,"name":"ACE","score":120500,"level":4,"date":"2026-12-10"},)"
                  R"({"id":"b2","name":"Bee","score":900,"level":0,"date":1765000000}]})"));
    Seed(dir, "taken.json", FromText(R"({"id":12,"score":99,"level":3,"frames":4000})"));
    Seed(dir, "refused.json", FromText(R"({"error":"the demo ends before its game is over"})"));
    Seed(dir, "outbox.dwsub", FromText(std::string("DWSUBMIT1\nAce Pilot\nDWDEMO\0\x01", 28)));
}

namespace {

// The demo's bytes without its trailer (u8 0xFF, u32 frame count).
Bytes WithoutTrailer(Bytes demo) {
    demo.resize(demo.size() - 5);
    return demo;
}

Bytes WithTrailer(Bytes body, std::uint32_t frames) {
    body.push_back(0xFF);
    Put32(body, frames);
    return body;
}

// A demo that decodes but holds the extremes of every field: a clock about
// to wrap, the largest window and settings, a full arsenal, a step of a
// minute, the widest motion, every key in one frame.
dw::Demo ExtremeDemo() {
    dw::Demo d;
    d.header.seed = 0xFFFFFFFFu;
    d.header.mouseSetting = 0xFFFFFFFFu;
    d.header.levelIdSetting = 0xFFFFFFFFu;
    d.header.startLevel = 9;
    d.header.width = d.header.height = 0xFFFF;
    d.header.startClock = 0xFFFFFF00u;
    d.header.arsenal = {true, 3, 2, 999};
    for (int i = 0; i < 120; ++i) {
        dw::DemoFrame f;
        f.stepMs = i == 60 ? 60000 : 16;
        if (i == 10) {
            f.keyBegin = static_cast<std::uint32_t>(d.keyChanges.size());
            f.keyCount = 256;
            for (int k = 0; k < 256; ++k) d.keyChanges.push_back({static_cast<std::uint8_t>(k), 1});
        }
        if (i == 20) {
            f.dx = INT32_MIN;
            f.dy = INT32_MAX;
        }
        if (i >= 30) f.buttons = 0x0F;
        f.lost = i == 40;
        d.frames.push_back(f);
    }
    return d;
}

// The smallest demo there is: one frame from the menu, the smallest window.
Bytes TinyDemo() {
    dw::Demo tiny;
    tiny.header.width = tiny.header.height = 100;
    tiny.header.mouseSetting = 0;
    tiny.frames.push_back({});
    return dw::EncodeDemo(tiny);
}

}  // namespace

void WriteDemoSeeds(const fs::path& dir, const std::vector<Bytes>& recorded) {
    Seed(dir, "extreme.dwdemo", dw::EncodeDemo(ExtremeDemo()));
    const Bytes small = TinyDemo();
    WriteFile(dir / "tiny.dwdemo", small);
    // Counts that promise more than the file holds.
    const Bytes body = WithoutTrailer(small);
    WriteFile(dir / "frames-promised.dwdemo", WithTrailer(body, 0xFFFFFFFFu));
    Bytes keys = body;
    for (std::uint8_t b : {0x01, 0x10, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}) keys.push_back(b);  // kKeys, 16 ms, 2^32-1 keys
    WriteFile(dir / "keys-promised.dwdemo", WithTrailer(keys, 2));
    Bytes step = body;
    for (std::uint8_t b : {0x00, 0xE1, 0xD4, 0x03}) step.push_back(b);  // a step of 60001 ms
    WriteFile(dir / "long-step.dwdemo", WithTrailer(step, 2));
    // Versions other than this program's, of a recorded game.
    if (recorded.empty()) return;
    for (std::uint16_t version : {0, 1, 2, 4, 0xFFFF}) {
        Bytes b = recorded.front();
        b[6] = static_cast<std::uint8_t>(version);
        b[7] = static_cast<std::uint8_t>(version >> 8);
        WriteFile(dir / ("version-" + std::to_string(version) + ".dwdemo"), b);
    }
}

void WriteReplaySeeds(const fs::path& dir, const std::vector<Bytes>& recorded) {
    // Only demos that decode are played: no cuts. Of the recorded games the
    // shortest file, whose first frames are played.
    WriteFile(dir / "extreme.dwdemo", dw::EncodeDemo(ExtremeDemo()));
    WriteFile(dir / "tiny.dwdemo", TinyDemo());
    const Bytes* shortest = nullptr;
    for (const Bytes& b : recorded)
        if (!shortest || b.size() < shortest->size()) shortest = &b;
    if (shortest) WriteFile(dir / "recorded.dwdemo", *shortest);
}

}  // namespace seeds
