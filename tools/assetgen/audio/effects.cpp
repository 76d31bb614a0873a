// Sound effects: every sample of the game, synthesised from oscillators,
// filtered noise, envelopes and pitch sweeps.
#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>

#include "audio.h"

namespace assetgen::audio {

namespace {

using Buf = std::vector<float>;

// One synthesised layer. Frequencies and filter cut-offs sweep exponentially
// from their start to their end value over `glide` seconds.
struct Tone {
    double at = 0.0;      // start, seconds
    double len = 0.1;     // length, seconds
    double f0 = 440.0;    // start frequency
    double f1 = -1.0;     // end frequency (< 0: no sweep)
    double glide = -1.0;  // sweep time (< 0: the whole length)
    Wave wave = Wave::Sine;
    double amp = 1.0;
    double attack = 0.002;
    double decay = 0.0;     // > 0: exponential decay time constant
    double release = 0.01;  // linear fade at the end
    double vib_hz = 0.0, vib_semis = 0.0;
    double fm_ratio = 0.0, fm_index = 0.0, fm_decay = 0.0;  // sine modulator
    double lp0 = 0.0, lp1 = -1.0, q = 0.707;                // low-pass (0: off)
    double bp0 = 0.0, bp1 = -1.0, bq = 2.0;                 // band-pass (0: off)
    double hp = 0.0;                                        // fixed high-pass (0: off)
    double drive = 0.0;                                     // tanh saturation amount
    double trem_hz = 0.0, trem_depth = 0.0;
};

double sweep(double a, double b, double t, double span) {
    if (b < 0.0 || span <= 0.0) return a;
    const double x = std::clamp(t / span, 0.0, 1.0);
    return a * std::pow(b / a, x);
}

void ensure(Buf& buf, double seconds) {
    const std::size_t n = std::size_t(seconds * kRate) + 1;
    if (buf.size() < n) buf.resize(n, 0.0f);
}

void add(Buf& buf, const Tone& t, Rng& rng) {
    ensure(buf, t.at + t.len);
    const std::size_t start = std::size_t(t.at * kRate);
    const std::size_t n = std::size_t(t.len * kRate);
    const double glide = t.glide < 0.0 ? t.len : t.glide;
    Osc osc, mod;
    Svf lp, bp, hp;
    for (std::size_t i = 0; i < n; ++i) {
        const double time = double(i) / kRate;
        double f = sweep(t.f0, t.f1, time, glide);
        if (t.vib_hz > 0.0) f *= std::pow(2.0, t.vib_semis / 12.0 * std::sin(kTwoPi * t.vib_hz * time));
        double dt = f / kRate;
        if (t.fm_index > 0.0) {
            double index = t.fm_index;
            if (t.fm_decay > 0.0) index *= std::exp(-time / t.fm_decay);
            const double m = mod.tick(Wave::Sine, f * t.fm_ratio / kRate, rng);
            dt *= 1.0 + index * m * 0.5;
            if (dt < 0.0) dt = 0.0;
        }
        double v = osc.tick(t.wave, dt, rng);
        if (t.bp0 > 0.0) {
            bp.tick(v, sweep(t.bp0, t.bp1, time, glide), t.bq);
            v = bp.bp;
        }
        if (t.lp0 > 0.0) {
            lp.tick(v, sweep(t.lp0, t.lp1, time, glide), t.q);
            v = lp.lp;
        }
        if (t.hp > 0.0) {
            hp.tick(v, t.hp, 0.707);
            v = hp.hp;
        }
        if (t.drive > 0.0) v = std::tanh(v * (1.0 + t.drive)) / std::tanh(1.0 + t.drive);
        double env = 1.0;
        if (time < t.attack) env *= time / t.attack;
        if (t.decay > 0.0) env *= std::exp(-time / t.decay);
        const double left = t.len - time;
        if (left < t.release) env *= std::max(0.0, left / t.release);
        if (t.trem_hz > 0.0) env *= 1.0 - t.trem_depth * 0.5 * (1.0 - std::cos(kTwoPi * t.trem_hz * time));
        buf[start + i] += float(v * env * t.amp);
    }
}

// Mono room: extends the buffer by `tail` seconds and mixes in the wet signal.
void reverb(Buf& buf, double size, double damp, double wet, double tail) {
    buf.resize(buf.size() + std::size_t(tail * kRate), 0.0f);
    Reverb rv(size, damp);
    Buf l(buf.size(), 0.0f), r(buf.size(), 0.0f);
    rv.process(buf, buf, l, r, wet);
    for (std::size_t i = 0; i < buf.size(); ++i) buf[i] += 0.5f * (l[i] + r[i]);
}

// Feedback echo; extends the buffer so the repeats fit.
void echo(Buf& buf, double delay, double feedback, int repeats) {
    const std::size_t d = std::size_t(delay * kRate);
    const std::size_t n0 = buf.size();
    buf.resize(n0 + d * std::size_t(repeats), 0.0f);
    for (std::size_t i = d; i < buf.size(); ++i) buf[i] += float(feedback) * buf[i - d];
}

// The recipes below keep a layer to a line or two, laid out by hand.
// clang-format off

// Short metallic chime made of inharmonic partials (bell-like FM).
void chime(Buf& buf, Rng& rng, double at, double f, double len, double amp) {
    add(buf, {.at = at, .len = len, .f0 = f, .amp = amp, .attack = 0.001, .decay = len * 0.3,
              .fm_ratio = 3.5, .fm_index = 1.2, .fm_decay = len * 0.15}, rng);
    add(buf, {.at = at, .len = len * 0.7, .f0 = f * 2.0, .amp = amp * 0.35, .attack = 0.001, .decay = len * 0.15}, rng);
    add(buf, {.at = at, .len = len * 0.5, .f0 = f * 2.76, .amp = amp * 0.2, .attack = 0.001, .decay = len * 0.08}, rng);
}

// A soft brass-like note for the jingles: detuned saws through an opening filter.
void brass(Buf& buf, Rng& rng, double at, double note, double len, double amp) {
    const double f = midi_hz(note);
    for (double det : {-0.08, 0.0, 0.09}) {
        add(buf, {.at = at, .len = len, .f0 = f * std::pow(2.0, det / 12.0), .glide = 0.08, .wave = Wave::Saw,
                  .amp = amp * 0.4, .attack = 0.02, .decay = len * 0.9, .release = std::min(0.08, len * 0.3),
                  .vib_hz = 5.5, .vib_semis = 0.06, .lp0 = f * 1.5, .lp1 = f * 6.0, .q = 0.9}, rng);
    }
}

// A plucked square note for arpeggios.
void pluck(Buf& buf, Rng& rng, double at, double note, double len, double amp, Wave w = Wave::Square) {
    const double f = midi_hz(note);
    add(buf, {.at = at, .len = len, .f0 = f, .wave = w, .amp = amp, .attack = 0.002, .decay = len * 0.35,
              .lp0 = f * 10.0, .lp1 = f * 2.0, .q = 1.2}, rng);
}

// Low thump: a sine falling in pitch, the body of impacts and explosions.
void thump(Buf& buf, Rng& rng, double at, double f0, double f1, double len, double amp) {
    add(buf, {.at = at, .len = len, .f0 = f0, .f1 = f1, .glide = len * 0.6, .amp = amp, .attack = 0.001,
              .decay = len * 0.3}, rng);
}

// Crackle: sparse random clicks through a band-pass, for debris and fire.
void crackle(Buf& buf, Rng& rng, double at, double len, double density, double amp, double centre) {
    ensure(buf, at + len);
    Svf f;
    const std::size_t start = std::size_t(at * kRate), n = std::size_t(len * kRate);
    for (std::size_t i = 0; i < n; ++i) {
        const double time = double(i) / kRate;
        double x = rng.uni() < density / kRate ? rng.bi() * 4.0 : 0.0;
        f.tick(x, centre, 3.0);
        buf[start + i] += float(f.bp * amp * std::exp(-time / (len * 0.35)));
    }
}

void explosion(Buf& buf, Rng& rng, double len, double body_hz, double noise_top, double crackles) {
    thump(buf, rng, 0.0, body_hz * 2.2, body_hz * 0.5, len * 0.7, 0.9);
    add(buf, {.len = len, .wave = Wave::Noise, .amp = 0.9, .attack = 0.002, .decay = len * 0.25,
              .lp0 = noise_top, .lp1 = body_hz * 2.0, .q = 0.8}, rng);
    add(buf, {.len = len * 0.3, .wave = Wave::Noise, .amp = 0.4, .attack = 0.001, .decay = len * 0.05,
              .hp = 2500.0}, rng);
    if (crackles > 0) crackle(buf, rng, 0.02, len * 0.8, crackles, 0.5, 1800.0);
}

// A laser zap: a falling sweep with a touch of FM for bite.
void zap(Buf& buf, Rng& rng, double at, double f0, double f1, double len, Wave w, double amp, double fm) {
    add(buf, {.at = at, .len = len, .f0 = f0, .f1 = f1, .glide = len * 0.8, .wave = w, .amp = amp,
              .attack = 0.001, .decay = len * 0.45, .fm_ratio = 1.5, .fm_index = fm, .fm_decay = len * 0.3,
              .lp0 = f0 * 3.0, .lp1 = f1 * 4.0, .q = 0.9}, rng);
}

using Maker = std::function<void(Buf&, Rng&)>;

const std::vector<std::pair<std::string, Maker>>& recipes() {
    static const std::vector<std::pair<std::string, Maker>> list = {
        // --- menus --------------------------------------------------------
        {"MenuSelect", [](Buf& b, Rng& r) {
             add(b, {.len = 0.06, .f0 = 1320.0, .f1 = 1760.0, .glide = 0.02, .wave = Wave::Triangle, .amp = 0.8,
                     .attack = 0.001, .decay = 0.018}, r);
             add(b, {.len = 0.04, .f0 = 2640.0, .amp = 0.2, .attack = 0.001, .decay = 0.01}, r);
         }},
        {"MenuPress", [](Buf& b, Rng& r) {
             add(b, {.len = 0.012, .wave = Wave::Noise, .amp = 0.5, .attack = 0.0005, .decay = 0.003, .hp = 2000.0}, r);
             add(b, {.len = 0.06, .f0 = 660.0, .wave = Wave::Square, .amp = 0.45, .attack = 0.001, .decay = 0.03,
                     .lp0 = 3000.0}, r);
             add(b, {.at = 0.045, .len = 0.1, .f0 = 990.0, .wave = Wave::Square, .amp = 0.45, .attack = 0.001,
                     .decay = 0.04, .lp0 = 4000.0}, r);
         }},
        {"MenuError", [](Buf& b, Rng& r) {
             // A steady buzz, so it works as a reference for the volume knob.
             add(b, {.len = 0.16, .f0 = 196.0, .wave = Wave::Square, .amp = 0.5, .attack = 0.004, .release = 0.03,
                     .lp0 = 1800.0}, r);
             add(b, {.len = 0.16, .f0 = 207.6, .wave = Wave::Saw, .amp = 0.4, .attack = 0.004, .release = 0.03,
                     .lp0 = 1800.0}, r);
         }},
        {"MenuLoser", [](Buf& b, Rng& r) {
             const double notes[] = {67, 66, 65};
             for (int i = 0; i < 3; ++i) brass(b, r, i * 0.3, notes[i], 0.32, 0.6);
             add(b, {.at = 0.9, .len = 0.9, .f0 = midi_hz(64), .f1 = midi_hz(63.3), .glide = 0.9, .wave = Wave::Saw,
                     .amp = 0.5, .attack = 0.02, .release = 0.3, .vib_hz = 6.0, .vib_semis = 0.25, .lp0 = 900.0,
                     .lp1 = 500.0, .q = 1.5}, r);
             add(b, {.at = 0.9, .len = 0.9, .f0 = midi_hz(52), .f1 = midi_hz(51.3), .wave = Wave::Triangle, .amp = 0.5,
                     .attack = 0.02, .release = 0.3}, r);
             reverb(b, 0.5, 0.5, 0.6, 0.5);
         }},
        {"MenuWiner", [](Buf& b, Rng& r) {
             const double arp[] = {60, 64, 67, 72, 76};
             for (int i = 0; i < 5; ++i) pluck(b, r, i * 0.09, arp[i], 0.3, 0.45);
             for (double n : {72.0, 76.0, 79.0}) brass(b, r, 0.5, n, 1.3, 0.45);
             brass(b, r, 0.5, 48, 1.3, 0.5);
             for (int i = 0; i < 6; ++i) chime(b, r, 0.55 + i * 0.12, midi_hz(96 + (i % 3) * 4), 0.5, 0.12);
             reverb(b, 0.6, 0.4, 0.7, 0.8);
         }},
        {"MenuPlane", [](Buf& b, Rng& r) {
             // A craft passing overhead: engine drone with a Doppler drop and a
             // swelling rush of air, loudest halfway through.
             const double len = 4.6;
             ensure(b, len);
             Osc o1, o2, o3;
             Svf air, eng;
             for (std::size_t i = 0; i < b.size(); ++i) {
                 const double t = double(i) / kRate;
                 const double x = (t - 2.1) / 0.7;           // distance along the path
                 const double closeness = 1.0 / (1.0 + x * x);
                 const double doppler = 1.0 - 0.18 * std::tanh(x * 1.3);
                 const double f = 70.0 * doppler;
                 double engine = o1.tick(Wave::Saw, f / kRate, r) + 0.7 * o2.tick(Wave::Saw, f * 1.503 / kRate, r) +
                                 0.5 * o3.tick(Wave::Square, f * 2.01 / kRate, r);
                 eng.tick(engine, 300.0 + 1800.0 * closeness, 1.2);
                 air.tick(r.bi(), 400.0 + 2600.0 * closeness * doppler, 1.5);
                 double env = closeness * std::min(1.0, t / 0.6) * std::min(1.0, (len - t) / 0.8);
                 b[i] += float((0.55 * eng.lp + 0.9 * air.bp) * env);
             }
             reverb(b, 0.75, 0.5, 0.5, 0.6);
         }},
        // --- the player's ship ------------------------------------------------
        {"GameDamage", [](Buf& b, Rng& r) {
             thump(b, r, 0.0, 160.0, 50.0, 0.13, 1.0);
             add(b, {.len = 0.09, .wave = Wave::Noise, .amp = 0.7, .attack = 0.001, .decay = 0.025, .bp0 = 1200.0,
                     .bp1 = 500.0, .bq = 1.2}, r);
             add(b, {.len = 0.12, .f0 = 880.0, .f1 = 620.0, .wave = Wave::Square, .amp = 0.25, .attack = 0.002,
                     .decay = 0.05, .lp0 = 2500.0, .drive = 1.0}, r);
         }},
        {"Game0Laser", [](Buf& b, Rng& r) { zap(b, r, 0.0, 1800.0, 420.0, 0.12, Wave::Square, 0.6, 0.4); }},
        {"Game1Laser", [](Buf& b, Rng& r) {
             zap(b, r, 0.0, 2600.0, 560.0, 0.13, Wave::Saw, 0.55, 0.8);
             zap(b, r, 0.0, 1300.0, 280.0, 0.13, Wave::Square, 0.35, 0.3);
         }},
        {"Game2Laser", [](Buf& b, Rng& r) {
             // Three bolts at once: three detuned zaps a hair apart.
             zap(b, r, 0.000, 2100.0, 460.0, 0.15, Wave::Saw, 0.4, 0.6);
             zap(b, r, 0.008, 2650.0, 580.0, 0.15, Wave::Square, 0.3, 0.6);
             zap(b, r, 0.016, 1650.0, 360.0, 0.15, Wave::Saw, 0.35, 0.6);
         }},
        {"Game3Laser", [](Buf& b, Rng& r) {
             // Fires every 100 ms: short, with a heavy low body.
             zap(b, r, 0.0, 1100.0, 170.0, 0.095, Wave::Saw, 0.6, 1.2);
             add(b, {.len = 0.095, .f0 = 240.0, .f1 = 70.0, .glide = 0.07, .wave = Wave::Square, .amp = 0.5,
                     .attack = 0.001, .decay = 0.04, .lp0 = 1200.0, .drive = 2.0}, r);
             add(b, {.len = 0.03, .wave = Wave::Noise, .amp = 0.3, .attack = 0.0005, .decay = 0.008, .hp = 3000.0}, r);
         }},
        {"Game0Plasm", [](Buf& b, Rng& r) {
             add(b, {.len = 0.22, .f0 = 260.0, .f1 = 640.0, .glide = 0.12, .wave = Wave::Sine, .amp = 0.8,
                     .attack = 0.004, .decay = 0.09, .fm_ratio = 0.5, .fm_index = 1.5, .fm_decay = 0.1,
                     .trem_hz = 28.0, .trem_depth = 0.4}, r);
             add(b, {.len = 0.2, .f0 = 130.0, .f1 = 320.0, .glide = 0.12, .wave = Wave::Triangle, .amp = 0.4,
                     .attack = 0.004, .decay = 0.08}, r);
         }},
        {"Game1Plasm", [](Buf& b, Rng& r) {
             add(b, {.len = 0.3, .f0 = 190.0, .f1 = 560.0, .glide = 0.15, .wave = Wave::Saw, .amp = 0.6,
                     .attack = 0.004, .decay = 0.12, .fm_ratio = 0.5, .fm_index = 2.0, .fm_decay = 0.15,
                     .lp0 = 900.0, .lp1 = 3500.0, .q = 2.0, .trem_hz = 24.0, .trem_depth = 0.5}, r);
             add(b, {.len = 0.28, .f0 = 95.0, .f1 = 280.0, .glide = 0.15, .wave = Wave::Sine, .amp = 0.6,
                     .attack = 0.004, .decay = 0.12}, r);
             add(b, {.len = 0.25, .wave = Wave::Noise, .amp = 0.25, .attack = 0.01, .decay = 0.08, .bp0 = 3000.0,
                     .bp1 = 6000.0, .bq = 1.5}, r);
         }},
        {"GameRocket", [](Buf& b, Rng& r) {
             thump(b, r, 0.0, 120.0, 45.0, 0.2, 0.7);
             add(b, {.len = 0.65, .glide = 0.45, .wave = Wave::Noise, .amp = 1.0, .attack = 0.03, .decay = 0.25,
                     .bp0 = 500.0, .bp1 = 3200.0, .bq = 1.3}, r);
             add(b, {.len = 0.6, .wave = Wave::Noise, .amp = 0.5, .attack = 0.01, .decay = 0.3, .lp0 = 400.0}, r);
             crackle(b, r, 0.0, 0.5, 900.0, 0.4, 2500.0);
         }},
        // --- pickups ----------------------------------------------------------
        {"GameRubins", [](Buf& b, Rng& r) {
             chime(b, r, 0.0, midi_hz(72), 0.45, 0.6);
             chime(b, r, 0.07, midi_hz(79), 0.45, 0.5);
             reverb(b, 0.4, 0.5, 0.4, 0.3);
         }},
        {"GameTopaze", [](Buf& b, Rng& r) {
             chime(b, r, 0.0, midi_hz(76), 0.45, 0.6);
             chime(b, r, 0.07, midi_hz(83), 0.45, 0.5);
             reverb(b, 0.4, 0.5, 0.4, 0.3);
         }},
        {"GameDiamon", [](Buf& b, Rng& r) {
             chime(b, r, 0.0, midi_hz(84), 0.5, 0.6);
             chime(b, r, 0.06, midi_hz(88), 0.5, 0.5);
             chime(b, r, 0.12, midi_hz(91), 0.5, 0.45);
             reverb(b, 0.45, 0.4, 0.45, 0.35);
         }},
        {"GameIzumru", [](Buf& b, Rng& r) {
             const double notes[] = {79, 83, 86, 91, 95};
             for (int i = 0; i < 5; ++i) chime(b, r, i * 0.05, midi_hz(notes[i]), 0.6, 0.45);
             add(b, {.at = 0.2, .len = 0.5, .wave = Wave::Noise, .amp = 0.08, .attack = 0.05, .decay = 0.15,
                     .hp = 7000.0}, r);
             reverb(b, 0.55, 0.35, 0.5, 0.4);
         }},
        {"GameEnergy", [](Buf& b, Rng& r) {
             // Laser upgrade: a quick rising arpeggio.
             const double notes[] = {60, 64, 67, 72, 76, 79, 84};
             for (int i = 0; i < 7; ++i) pluck(b, r, i * 0.045, notes[i], 0.16, 0.45, Wave::Pulse25);
             add(b, {.len = 0.42, .f0 = 300.0, .f1 = 1400.0, .wave = Wave::Saw, .amp = 0.2, .attack = 0.02,
                     .release = 0.1, .lp0 = 800.0, .lp1 = 5000.0}, r);
         }},
        {"GamePlasma", [](Buf& b, Rng& r) {
             // Plasma upgrade: a wobbling FM rise.
             add(b, {.len = 0.55, .f0 = 180.0, .f1 = 900.0, .glide = 0.45, .wave = Wave::Sine, .amp = 0.7,
                     .attack = 0.01, .release = 0.12, .vib_hz = 12.0, .vib_semis = 0.6, .fm_ratio = 0.5,
                     .fm_index = 2.5}, r);
             add(b, {.len = 0.55, .f0 = 90.0, .f1 = 450.0, .glide = 0.45, .wave = Wave::Saw, .amp = 0.3,
                     .attack = 0.01, .release = 0.12, .lp0 = 600.0, .lp1 = 4000.0, .q = 3.0}, r);
         }},
        {"GameEndwep", [](Buf& b, Rng& r) {
             // Already at the top: two flat, equal blips.
             for (double at : {0.0, 0.11})
                 add(b, {.at = at, .len = 0.08, .f0 = 1046.5, .wave = Wave::Square, .amp = 0.45, .attack = 0.002,
                         .release = 0.015, .lp0 = 3500.0}, r);
         }},
        {"GameGetroc", [](Buf& b, Rng& r) {
             // Ammo: two mechanical clacks with a short metallic ring.
             for (auto [at, c] : {std::pair{0.0, 2200.0}, std::pair{0.09, 1400.0}}) {
                 add(b, {.at = at, .len = 0.05, .wave = Wave::Noise, .amp = 1.0, .attack = 0.0005, .decay = 0.006,
                         .bp0 = c, .bq = 4.0}, r);
                 add(b, {.at = at, .len = 0.12, .f0 = c * 0.61, .amp = 0.2, .attack = 0.0005, .decay = 0.03,
                         .fm_ratio = 2.7, .fm_index = 1.0}, r);
             }
             thump(b, r, 0.09, 200.0, 90.0, 0.08, 0.4);
         }},
        {"GameShield", [](Buf& b, Rng& r) {
             // Shield up: a hum that swells while its filter opens.
             for (double det : {-0.1, 0.0, 0.1}) {
                 add(b, {.len = 0.85, .f0 = 110.0 * std::pow(2.0, det / 12.0), .f1 = 220.0 * std::pow(2.0, det / 12.0),
                         .glide = 0.35, .wave = Wave::Saw, .amp = 0.35, .attack = 0.08, .release = 0.3, .lp0 = 300.0,
                         .lp1 = 2500.0, .q = 2.5, .trem_hz = 9.0, .trem_depth = 0.3}, r);
             }
             add(b, {.len = 0.85, .f0 = 440.0, .f1 = 880.0, .glide = 0.35, .amp = 0.25, .attack = 0.1,
                     .release = 0.3}, r);
         }},
        {"GameHealth", [](Buf& b, Rng& r) {
             // Recharge: a gliding rise that lands on a bright major chord.
             add(b, {.len = 0.35, .f0 = 330.0, .f1 = 1320.0, .wave = Wave::Triangle, .amp = 0.5, .attack = 0.01,
                     .release = 0.05, .vib_hz = 20.0, .vib_semis = 0.3}, r);
             for (double n : {84.0, 88.0, 91.0}) chime(b, r, 0.3, midi_hz(n), 0.6, 0.35);
             reverb(b, 0.5, 0.4, 0.45, 0.4);
         }},
        {"Game0Death", [](Buf& b, Rng& r) {
             // Death trap: a low tritone cluster sinking away.
             for (double n : {40.0, 46.0, 47.0}) {
                 add(b, {.len = 1.2, .f0 = midi_hz(n), .f1 = midi_hz(n - 5), .glide = 1.2, .wave = Wave::Saw,
                         .amp = 0.35, .attack = 0.01, .decay = 0.5, .release = 0.3, .vib_hz = 4.0, .vib_semis = 0.2,
                         .lp0 = 1600.0, .lp1 = 300.0, .q = 2.0}, r);
             }
             thump(b, r, 0.0, 90.0, 35.0, 0.4, 0.8);
             reverb(b, 0.7, 0.5, 0.6, 0.5);
         }},
        // --- game flow --------------------------------------------------------
        {"GameComple", [](Buf& b, Rng& r) {
             // Level complete: da-da-da daaa, then the resolving chord.
             const double beat = 0.16;
             const double seq[][2] = {{0, 67}, {1, 67}, {2, 67}, {3, 72}};
             for (auto& s : seq) brass(b, r, s[0] * beat, s[1], s[0] < 3 ? beat * 0.9 : 0.5, 0.55);
             for (double n : {72.0, 76.0, 79.0, 84.0}) brass(b, r, 1.15, n, 1.2, 0.4);
             brass(b, r, 1.15, 48.0, 1.2, 0.5);
             pluck(b, r, 0.0, 43, 0.5, 0.3, Wave::Saw);
             for (int i = 0; i < 8; ++i) pluck(b, r, 1.15 + i * 0.07, 72 + (i % 4) * 4 + 12 * (i / 4), 0.2, 0.15);
             reverb(b, 0.65, 0.4, 0.6, 0.9);
         }},
        {"GameGameov", [](Buf& b, Rng& r) {
             // Game over: a slow minor descent ending low.
             const double notes[] = {69, 65, 62, 57};
             for (int i = 0; i < 4; ++i) brass(b, r, i * 0.42, notes[i], i < 3 ? 0.45 : 1.2, 0.55);
             for (double n : {45.0, 52.0, 57.0})
                 add(b, {.at = 1.26, .len = 1.2, .f0 = midi_hz(n), .wave = Wave::Triangle, .amp = 0.35, .attack = 0.05,
                         .decay = 0.6, .release = 0.3}, r);
             thump(b, r, 1.26, 80.0, 40.0, 0.5, 0.6);
             reverb(b, 0.75, 0.5, 0.7, 1.0);
         }},
        // --- enemy fire (throttled to one start per 60 ms) ---------------------
        {"Game0Enemy", [](Buf& b, Rng& r) {
             add(b, {.len = 0.11, .f0 = 520.0, .f1 = 170.0, .glide = 0.06, .wave = Wave::Sine, .amp = 0.9,
                     .attack = 0.001, .decay = 0.035}, r);
             add(b, {.len = 0.05, .wave = Wave::Noise, .amp = 0.2, .attack = 0.001, .decay = 0.01, .lp0 = 1500.0}, r);
         }},
        {"Game1Enemy", [](Buf& b, Rng& r) { zap(b, r, 0.0, 1250.0, 300.0, 0.1, Wave::Square, 0.6, 1.0); }},
        {"Game2Enemy", [](Buf& b, Rng& r) {
             const double pitches[] = {1500.0, 1150.0, 1800.0};
             for (int i = 0; i < 3; ++i) zap(b, r, i * 0.03, pitches[i], pitches[i] * 0.3, 0.07, Wave::Saw, 0.45, 0.8);
         }},
        {"Game3Enemy", [](Buf& b, Rng& r) {
             add(b, {.len = 0.25, .f0 = 320.0, .f1 = 60.0, .glide = 0.18, .wave = Wave::Saw, .amp = 0.6,
                     .attack = 0.001, .decay = 0.08, .lp0 = 2000.0, .lp1 = 300.0, .drive = 2.5}, r);
             thump(b, r, 0.0, 140.0, 45.0, 0.2, 0.7);
             add(b, {.len = 0.08, .wave = Wave::Noise, .amp = 0.5, .attack = 0.001, .decay = 0.02, .bp0 = 1500.0}, r);
         }},
        {"Game4Enemy", [](Buf& b, Rng& r) {
             // Boss volley: a deep whump with a ripple of five shots.
             thump(b, r, 0.0, 110.0, 35.0, 0.35, 0.8);
             for (int i = 0; i < 5; ++i)
                 add(b, {.at = i * 0.025, .len = 0.15, .f0 = 240.0 - i * 15.0, .f1 = 60.0, .wave = Wave::Square,
                         .amp = 0.3, .attack = 0.001, .decay = 0.05, .lp0 = 1400.0, .lp1 = 250.0, .drive = 1.5}, r);
         }},
        // --- explosions (throttled) -------------------------------------------
        {"Game0Explo", [](Buf& b, Rng& r) { explosion(b, r, 0.45, 70.0, 5000.0, 0.0); }},
        {"Game1Explo", [](Buf& b, Rng& r) {
             explosion(b, r, 0.9, 55.0, 4000.0, 300.0);
             reverb(b, 0.4, 0.6, 0.3, 0.3);
         }},
        {"Game2Explo", [](Buf& b, Rng& r) {
             explosion(b, r, 1.8, 42.0, 3500.0, 500.0);
             thump(b, r, 0.0, 70.0, 22.0, 1.2, 0.9);
             add(b, {.at = 0.05, .len = 1.6, .wave = Wave::Noise, .amp = 0.6, .attack = 0.05, .decay = 0.5,
                     .lp0 = 400.0, .lp1 = 90.0, .q = 1.0}, r);
             explosion(b, r, 0.6, 60.0, 3000.0, 200.0);  // a second burst inside the first
             reverb(b, 0.7, 0.6, 0.5, 0.8);
         }},
        // --- the logo splash --------------------------------------------------
        {"IntroTrackB", [](Buf& b, Rng& r) {
             // Logo jingle: boom, a swelling minor chord, a shimmering arpeggio,
             // a brighter chord, then a long fade.
             thump(b, r, 0.0, 80.0, 30.0, 1.5, 0.9);
             add(b, {.len = 1.5, .wave = Wave::Noise, .amp = 0.3, .attack = 0.003, .decay = 0.3, .lp0 = 2000.0,
                     .lp1 = 100.0}, r);
             auto pad = [&](double at, double len, std::initializer_list<double> notes) {
                 for (double n : notes)
                     for (double det : {-0.07, 0.07})
                         add(b, {.at = at, .len = len, .f0 = midi_hz(n) * std::pow(2.0, det / 12.0), .glide = len,
                                 .wave = Wave::Saw, .amp = 0.12, .attack = 0.6, .release = 1.2, .lp0 = 400.0,
                                 .lp1 = 2500.0, .q = 1.0}, r);
             };
             pad(0.0, 2.6, {50, 57, 62, 65});
             pad(2.4, 2.8, {46, 53, 58, 62, 65});
             const double arp[] = {74, 77, 81, 86, 81, 77};
             for (int i = 0; i < 24; ++i) pluck(b, r, 0.3 + i * 0.18, arp[i % 6] + (i >= 12 ? -2 : 0), 0.3, 0.12);
             chime(b, r, 2.4, midi_hz(86), 1.6, 0.2);
             echo(b, 0.36, 0.35, 2);
             reverb(b, 0.8, 0.4, 0.7, 0.2);
             fade_edges(b, 0.0, 1.0);
         }},
        {"IntroTrackE", [](Buf& b, Rng& r) {
             // Closing sting of the splash: a soft chord and a sweep of air.
             for (double n : {62.0, 69.0, 74.0}) chime(b, r, 0.0, midi_hz(n + 12), 1.2, 0.25);
             add(b, {.len = 1.2, .wave = Wave::Noise, .amp = 0.3, .attack = 0.4, .release = 0.6, .bp0 = 800.0,
                     .bp1 = 4000.0, .bq = 2.0}, r);
             reverb(b, 0.75, 0.4, 0.7, 0.8);
         }},
    };
    return list;
}

}  // namespace

const std::vector<std::string>& effect_names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const auto& [name, maker] : recipes()) v.push_back(name);
        v.push_back("IntroTrack");  // the splash's whole track, loaded at start-up
        return v;
    }();
    return names;
}

std::vector<float> render_effect(const std::string& name) {
    // The whole track of the splash: its jingle, then its closing sting.
    if (name == "IntroTrack") {
        std::vector<float> track = render_effect("IntroTrackB");
        const std::vector<float> sting = render_effect("IntroTrackE");
        track.insert(track.end(), sting.begin(), sting.end());
        return track;
    }
    for (std::size_t i = 0; i < recipes().size(); ++i) {
        const auto& [n, maker] = recipes()[i];
        if (n != name) continue;
        Rng rng(0xD05C0000ull + i * 7919u);
        Buf buf;
        maker(buf, rng);
        finish_effect(buf, kEffectLoudnessDb, kEffectCeiling);
        return buf;
    }
    throw std::runtime_error("no sound recipe for \"" + name + "\"");
}

std::vector<std::uint8_t> encode_effect(const std::string& name, const std::vector<float>& pcm) {
    // The serial is the name's own, so that the same sound gives the same bytes.
    std::uint32_t serial = 0x44570100u;
    for (char ch : name) serial = serial * 31u + static_cast<unsigned char>(ch);
    return encode_ogg(pcm, kEffectQuality, static_cast<int>(serial & 0x7FFFFFFFu), {{"TITLE", name}});
}
// clang-format on

}  // namespace assetgen::audio
