#pragma once
// Small synthesis toolkit shared by the sound effects and the music:
// a seeded random source, band-limited oscillators, a modulatable filter,
// a stereo reverb, and the finishing steps (loudness, fades, file encoding).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace assetgen::audio {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// splitmix64: tiny, fast and the same on every platform.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uni() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }  // [0,1)
    double bi() { return uni() * 2.0 - 1.0; }                                   // [-1,1)
    int below(int n) { return int(uni() * n); }

private:
    std::uint64_t state_;
};

inline double midi_hz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }
inline double db_gain(double db) { return std::pow(10.0, db / 20.0); }

// Correction applied around the discontinuities of naive saw and pulse waves.
inline double poly_blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

enum class Wave { Sine, Triangle, Saw, Square, Pulse25, Noise };

// One oscillator with a phase in [0,1). `dt` is frequency / rate.
struct Osc {
    double phase = 0.0;
    double tri_state = 0.0;

    double tick(Wave w, double dt, Rng& rng) {
        if (dt > 0.49) dt = 0.49;
        double t = phase;
        double v = 0.0;
        switch (w) {
            case Wave::Sine: v = std::sin(kTwoPi * t); break;
            case Wave::Triangle: v = 4.0 * std::fabs(t - 0.5) - 1.0; break;
            case Wave::Saw: v = 2.0 * t - 1.0 - poly_blep(t, dt); break;
            case Wave::Square:
                v = (t < 0.5 ? 1.0 : -1.0) + poly_blep(t, dt) - poly_blep(std::fmod(t + 0.5, 1.0), dt);
                break;
            case Wave::Pulse25:
                v = (t < 0.25 ? 1.0 : -1.0) + poly_blep(t, dt) - poly_blep(std::fmod(t + 0.75, 1.0), dt);
                v += 0.5;  // remove the pulse's DC
                break;
            case Wave::Noise: v = rng.bi(); break;
        }
        phase += dt;
        phase -= std::floor(phase);
        return v;
    }
};

// Zero-delay-feedback state-variable filter; safe to sweep every sample.
struct Svf {
    double ic1 = 0.0, ic2 = 0.0;
    double lp = 0.0, bp = 0.0, hp = 0.0;
    double a1 = 1.0, a2 = 0.0, a3 = 0.0, k = 1.4;

    // Sets cut-off and resonance; cheap enough to call every sample.
    void set(double fc, double q) {
        fc = std::clamp(fc, 10.0, kRate * 0.45);
        const double g = std::tan(kPi * fc / kRate);
        k = 1.0 / std::max(q, 0.05);
        a1 = 1.0 / (1.0 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    void run(double x) {
        const double v3 = x - ic2;
        const double v1 = a1 * ic1 + a2 * v3;
        const double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0 * v1 - ic1;
        ic2 = 2.0 * v2 - ic2;
        lp = v2;
        bp = v1;
        hp = x - k * v1 - v2;
    }
    void tick(double x, double fc, double q) {
        set(fc, q);
        run(x);
    }
};

// One-pole DC blocker.
struct DcBlock {
    double x1 = 0.0, y1 = 0.0;
    double tick(double x) {
        const double y = x - x1 + 0.9975 * y1;
        x1 = x;
        y1 = y;
        return y;
    }
};

// Freeverb-style stereo room. `size` 0..1 sets the decay, `damp` 0..1 the darkness.
class Reverb {
public:
    Reverb(double size, double damp);
    // Adds the wet signal of (inL, inR) to (outL, outR).
    void process(const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>& outL,
                 std::vector<float>& outR, double wet);

private:
    struct Comb {
        std::vector<float> buf;
        std::size_t pos = 0;
        float store = 0.0f;
    };
    struct Allpass {
        std::vector<float> buf;
        std::size_t pos = 0;
    };
    Comb combs_[2][8];
    Allpass allpasses_[2][4];
    float feedback_, damp_;
};

// Stereo render target used by the music and by the longer effects.
struct Stereo {
    std::vector<float> l, r;
    explicit Stereo(std::size_t n = 0) : l(n, 0.0f), r(n, 0.0f) {}
    std::size_t size() const { return l.size(); }
};

// Linear fade-in and fade-out over the given number of seconds.
void fade_edges(std::vector<float>& s, double in_seconds, double out_seconds);

// Short-term loudness: mean RMS of the loudest 20 ms windows (in dBFS).
double loudness_db(const std::vector<float>& s);

// Brings a finished effect to the common loudness and keeps peaks below
// `ceiling` with a soft knee, removing any DC first.
void finish_effect(std::vector<float>& s, double target_db, double ceiling);

// Soft limiter: identity below `knee`, then a smooth curve that never exceeds `ceiling`.
inline float soft_limit(float x, float knee, float ceiling) {
    const float a = std::fabs(x);
    if (a <= knee) return x;
    const float room = ceiling - knee;
    const float y = knee + room * std::tanh((a - knee) / room);
    return x < 0 ? -y : y;
}

// 16-bit PCM WAV, mono, 44.1 kHz.
std::vector<std::uint8_t> encode_wav(const std::vector<float>& mono);

// Ogg Vorbis, stereo, 44.1 kHz, VBR quality in -0.1..1. The stream serial is
// fixed so the same PCM always gives the same bytes. `tags` become Vorbis comments.
std::vector<std::uint8_t> encode_ogg(const Stereo& pcm, float quality, int serial,
                                     const std::vector<std::pair<std::string, std::string>>& tags);
// The same for one channel.
std::vector<std::uint8_t> encode_ogg(const std::vector<float>& mono, float quality, int serial,
                                     const std::vector<std::pair<std::string, std::string>>& tags);

}  // namespace assetgen::audio
