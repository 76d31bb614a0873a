// The two looping themes: a small sequencer (sections of bars, chords as
// scale degrees, melodies written as 16-step strings) driving a handful of
// synth voices, a tempo-synced echo and a stereo room.
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "audio.h"

namespace assetgen::audio {

namespace {

// Parts a section may play.
enum : unsigned {
    Kick = 1u << 0,
    Snare = 1u << 1,
    Hats = 1u << 2,
    Bass = 1u << 3,
    Pad = 1u << 4,
    Arp = 1u << 5,
    Lead = 1u << 6,
    Ride = 1u << 7,    // busy sixteenth hats
    Riser = 1u << 8,   // noise sweep up to the next section
    Fill = 1u << 9,    // drum fill in the last bar
    Crash = 1u << 10,  // cymbal on the first beat
    Lead2 = 1u << 11,  // the lead doubled an octave up
};

struct Section {
    std::vector<int> chords;        // scale degree of each bar's chord
    std::vector<std::string> lead;  // 16 steps per bar: degree digit, '.' hold, '-' rest
    unsigned parts = 0;
    int bass_style = 0;  // 0 long, 1 eighths, 2 rolling sixteenths, 3 whole notes
};

struct Song {
    ThemeInfo info;
    int key = 62;          // MIDI note of degree 0 of the lead
    bool driving = false;  // in-game theme: harder drums, saw lead, pumping pads
    std::vector<Section> sections;
};

constexpr int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};

int degree_semis(int d) {
    const int oct = d >= 0 ? d / 7 : -((-d + 6) / 7);
    const int idx = d - oct * 7;
    return oct * 12 + kMinor[idx];
}

int step_degree(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'e') return 10 + (c - 'a');
    throw std::runtime_error(std::string("bad melody step '") + c + "'");
}

// ---------------------------------------------------------------------------
// Buses and voices

struct Mix {
    Stereo dry, pad, rev, dly;
    explicit Mix(std::size_t n) : dry(n), pad(n), rev(n), dly(n) {}

    // Adds a mono note with pan (-1..1) and send levels.
    void put(const std::vector<float>& note, std::size_t pos, double pan, double gain, double rev_send, double dly_send,
             Stereo* target = nullptr) {
        Stereo& d = target ? *target : dry;
        const double pl = std::sqrt(0.5 * (1.0 - pan)), pr = std::sqrt(0.5 * (1.0 + pan));
        const float gl = float(gain * pl), gr = float(gain * pr);
        // The echo keeps the side but not the constant-power dip of the pan.
        const float el = float(gain * dly_send * pl / std::max(pl, pr));
        const float er = float(gain * dly_send * pr / std::max(pl, pr));
        const float rs = float(gain * rev_send);
        const std::size_t n = std::min(note.size(), d.size() > pos ? d.size() - pos : 0);
        for (std::size_t i = 0; i < n; ++i) {
            const float v = note[i];
            d.l[pos + i] += v * gl;
            d.r[pos + i] += v * gr;
            rev.l[pos + i] += v * rs;
            rev.r[pos + i] += v * rs;
            dly.l[pos + i] += v * el;
            dly.r[pos + i] += v * er;
        }
    }
};

double env_adsr(double t, double len, double a, double d, double s, double r) {
    double e;
    if (t < a)
        e = t / a;
    else if (t < a + d)
        e = 1.0 - (1.0 - s) * (t - a) / d;
    else
        e = s;
    if (t > len) e *= std::max(0.0, 1.0 - (t - len) / r);
    return e;
}

std::vector<float> kick(Rng& rng, bool hard) {
    const double len = hard ? 0.42 : 0.5;
    std::vector<float> out(std::size_t(len * kRate));
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double f = 45.0 + (hard ? 140.0 : 100.0) * std::exp(-t / 0.035);
        phase += f / kRate;
        double v = std::sin(kTwoPi * phase) * std::exp(-t / (hard ? 0.16 : 0.22));
        if (hard) v = std::tanh(v * 1.6) / std::tanh(1.6);
        v += rng.bi() * 0.25 * std::exp(-t / 0.004);
        v *= std::min(1.0, (len - t) / 0.02);
        out[i] = float(v);
    }
    return out;
}

std::vector<float> snare(Rng& rng, bool hard) {
    const double len = 0.3;
    std::vector<float> out(std::size_t(len * kRate));
    Svf bp, hp;
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double n = rng.bi();
        bp.tick(n, 1900.0, 0.8);
        hp.tick(n, 5000.0, 0.7);
        phase += (185.0 + 60.0 * std::exp(-t / 0.01)) / kRate;
        double v = 0.7 * bp.bp * std::exp(-t / (hard ? 0.09 : 0.12)) + 0.35 * hp.hp * std::exp(-t / 0.05) +
            0.6 * std::sin(kTwoPi * phase) * std::exp(-t / 0.045);
        v *= std::min(1.0, (len - t) / 0.02) * std::min(1.0, t / 0.0005);
        out[i] = float(v);
    }
    return out;
}

std::vector<float> hat(Rng& rng, bool open) {
    const double len = open ? 0.25 : 0.06;
    std::vector<float> out(std::size_t(len * kRate));
    Svf hp;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        hp.tick(rng.bi(), 7500.0, 0.9);
        double v = hp.hp * std::exp(-t / (open ? 0.07 : 0.014));
        v *= std::min(1.0, (len - t) / 0.01) * std::min(1.0, t / 0.0005);
        out[i] = float(v);
    }
    return out;
}

std::vector<float> crash(Rng& rng) {
    const double len = 2.2;
    std::vector<float> out(std::size_t(len * kRate));
    Svf hp;
    double p1 = 0, p2 = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        p1 += 437.0 / kRate;
        p2 += 1123.0 / kRate;
        const double metal = std::sin(kTwoPi * p1 + 4.0 * std::sin(kTwoPi * p2));
        hp.tick(rng.bi() + 0.4 * metal, 4500.0, 0.7);
        double v = hp.hp * std::exp(-t / 0.55) * std::min(1.0, (len - t) / 0.3);
        out[i] = float(v);
    }
    return out;
}

std::vector<float> tom(Rng& rng, double f) {
    const double len = 0.3;
    std::vector<float> out(std::size_t(len * kRate));
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        phase += f * (1.0 + 0.6 * std::exp(-t / 0.03)) / kRate;
        double v = std::sin(kTwoPi * phase) * std::exp(-t / 0.12) + rng.bi() * 0.2 * std::exp(-t / 0.01);
        v *= std::min(1.0, (len - t) / 0.02);
        out[i] = float(v);
    }
    return out;
}

std::vector<float> bass_note(Rng& rng, double note, double len, bool driving) {
    const double rel = 0.03;
    std::vector<float> out(std::size_t((len + rel) * kRate));
    const double f = midi_hz(note);
    Osc a, b, sub;
    Svf lp;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        double v;
        double cut;
        if (driving) {
            v = 0.6 * a.tick(Wave::Saw, f / kRate, rng) + 0.4 * b.tick(Wave::Saw, f * 1.006 / kRate, rng) +
                0.7 * sub.tick(Wave::Sine, f * 0.5 / kRate, rng);
            cut = 180.0 + 1500.0 * std::exp(-t / 0.07);
        } else {
            v = 0.5 * a.tick(Wave::Saw, f / kRate, rng) + 0.8 * sub.tick(Wave::Triangle, f / kRate, rng);
            cut = 250.0 + 700.0 * std::exp(-t / 0.25);
        }
        if ((i & 7) == 0) lp.set(cut, driving ? 1.6 : 1.0);
        lp.run(v);
        out[i] = float(lp.lp * env_adsr(t, len, 0.003, 0.15, driving ? 0.75 : 0.85, rel));
    }
    return out;
}

// Detuned saw chord, rendered per channel with its own detune for width.
Stereo pad_chord(Rng& rng, const std::vector<double>& notes, double len, double bright, double time0,
                 double lfo_period) {
    const double att = 0.5, rel = 1.2;
    const std::size_t n = std::size_t((len + rel) * kRate);
    Stereo out(n);
    for (int ch = 0; ch < 2; ++ch) {
        std::vector<Osc> oscs(notes.size() * 3);
        for (auto& o : oscs) o.phase = rng.uni();
        Svf lp;
        std::vector<float>& dst = ch == 0 ? out.l : out.r;
        const double det[3] = {ch == 0 ? -0.11 : -0.07, 0.0, ch == 0 ? 0.08 : 0.12};
        std::vector<double> dts(oscs.size());
        for (std::size_t k = 0; k < notes.size(); ++k)
            for (int j = 0; j < 3; ++j) dts[k * 3 + j] = midi_hz(notes[k] + det[j]) / kRate;
        for (std::size_t i = 0; i < n; ++i) {
            const double t = double(i) / kRate;
            double v = 0.0;
            for (std::size_t k = 0; k < oscs.size(); ++k) v += oscs[k].tick(Wave::Saw, dts[k], rng);
            if ((i & 15) == 0) {
                // A slow sweep across the whole song keeps the pads moving.
                const double lfo = 0.5 + 0.5 * std::sin(kTwoPi * (time0 + t) / lfo_period);
                lp.set((500.0 + 1400.0 * lfo) * bright, 0.9);
            }
            lp.run(v);
            dst[i] = float(lp.lp * env_adsr(t, len, att, 0.5, 0.85, rel) / std::sqrt(double(oscs.size())));
        }
    }
    return out;
}

std::vector<float> pluck_note(Rng& rng, double note, double len, bool driving) {
    const double rel = 0.05;
    std::vector<float> out(std::size_t((len + rel) * kRate));
    const double f = midi_hz(note);
    Osc a, b;
    Svf lp;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double v = a.tick(driving ? Wave::Saw : Wave::Square, f / kRate, rng) +
            0.5 * b.tick(Wave::Square, f * 2.003 / kRate, rng);
        if ((i & 7) == 0) lp.set(f * (1.5 + 8.0 * std::exp(-t / 0.05)), 1.5);
        lp.run(v);
        out[i] = float(lp.lp * env_adsr(t, len, 0.002, 0.12, 0.3, rel));
    }
    return out;
}

std::vector<float> lead_note(Rng& rng, double note, double len, bool driving) {
    const double rel = driving ? 0.12 : 0.35;
    std::vector<float> out(std::size_t((len + rel) * kRate));
    const double f = midi_hz(note);
    Osc a, b, c, m;
    Svf lp;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        // Vibrato fades in after the attack.
        const double vib = 1.0 + 0.004 * std::min(1.0, std::max(0.0, t - 0.2) / 0.3) * std::sin(kTwoPi * 5.2 * t);
        const double ff = f * vib;
        double v;
        if (driving) {
            v = a.tick(Wave::Saw, ff * 0.9965 / kRate, rng) + b.tick(Wave::Saw, ff * 1.0035 / kRate, rng) +
                0.5 * c.tick(Wave::Square, ff * 0.5 / kRate, rng);
            if ((i & 7) == 0) lp.set(2600.0 + 4000.0 * std::exp(-t / 0.15), 1.2);
            lp.run(v);
            v = lp.lp * 0.6;
        } else {
            // Glassy electric-piano-like FM with a soft triangle body.
            const double idx = 1.0 + 3.0 * std::exp(-t / 0.12);
            const double mod = m.tick(Wave::Sine, ff * 2.0 / kRate, rng);
            a.phase += ff * idx * mod * 0.5 / kRate;
            a.phase -= std::floor(a.phase);
            v = a.tick(Wave::Sine, ff / kRate, rng) * 0.8 + 0.35 * c.tick(Wave::Triangle, ff / kRate, rng);
        }
        out[i] = float(v * env_adsr(t, len, driving ? 0.006 : 0.004, 0.3, driving ? 0.8 : 0.55, rel));
    }
    return out;
}

std::vector<float> riser(Rng& rng, double len) {
    std::vector<float> out(std::size_t(len * kRate));
    Svf bp;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double x = t / len;
        bp.tick(rng.bi(), 300.0 * std::pow(25.0, x), 2.0);
        out[i] = float(bp.bp * x * x * std::min(1.0, (len - t) / 0.01));
    }
    return out;
}

// Ping-pong echo with a darkening feedback path; the echoes also feed the room.
void ping_pong(const Stereo& in, Stereo& out, Stereo& room, std::size_t delay, double feedback, float to_room) {
    std::vector<float> bl(delay, 0.0f), br(delay, 0.0f);
    std::size_t p = 0;
    double lpl = 0.0, lpr = 0.0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const float dl = bl[p], dr = br[p];
        lpl += 0.35 * (dl - lpl);
        lpr += 0.35 * (dr - lpr);
        bl[p] = float(in.l[i] * 0.7 + in.r[i] * 0.3 + lpr * feedback);
        br[p] = float(lpl * feedback);
        out.l[i] += dl;
        out.r[i] += dr;
        room.l[i] += dl * to_room;
        room.r[i] += dr * to_room;
        if (++p == delay) p = 0;
    }
}

// ---------------------------------------------------------------------------
// The compositions

Song menu_theme() {
    Song s;
    s.info = {"Theme0", 100, 40};
    s.key = 62;                                                // D minor
    const std::vector<int> verse = {0, 5, 2, 6, 0, 5, 2, 6};   // Dm Bb F C
    const std::vector<int> bridge = {3, 5, 0, 6, 3, 5, 0, 6};  // Gm Bb Dm C
    const std::vector<std::string> melody_a = {"7.....4.5.4.2...", "5.......4...2...", "2...4...6.....5.",
                                               "3.......1...----", "7.....4.5.4.9...", "7.....5.4.......",
                                               "2.4.6.9.8.....6.", "6...........----"};
    const std::vector<std::string> melody_b = {"a.....9.7.......", "5...7...9...8...", "7.......b.......",
                                               "9.....8.6.......", "a.....c.b.a.9...", "7.......9...a...",
                                               "b...........9.7.", "8.......6......."};
    s.sections = {
        {{0, 5, 2, 6}, {}, Pad | Arp, 3},
        {verse, melody_a, Pad | Arp | Bass | Kick | Snare | Lead | Crash, 0},
        {bridge, melody_b, Pad | Arp | Bass | Kick | Snare | Hats | Lead | Fill, 0},
        {{5, 6, 0, 0},
         {"5...........----", "6...........----", "7...............", "............----"},
         Pad | Lead | Bass | Riser,
         3},
        {verse, melody_a, Pad | Arp | Bass | Kick | Snare | Hats | Lead | Lead2 | Crash | Fill, 0},
        {verse, {}, Pad | Arp | Bass | Kick | Snare | Hats, 0},
    };
    return s;
}

Song game_theme() {
    Song s;
    s.info = {"Theme1", 125, 52};
    s.key = 69;  // A minor
    s.driving = true;
    const std::vector<int> verse = {0, 5, 2, 6, 0, 5, 2, 6};  // Am F C G
    const std::vector<std::string> melody_a = {"7..4..7.6...4...", "5..2..5.4...2...", "4..2..4.6...7...",
                                               "8.......6...4...", "7..4..7.9...8...", "7..5..7.9...a...",
                                               "b.......9...7...", "8.......6......."};
    const std::vector<std::string> melody_b = {"a...9...7...5...", "7.......5.7.9...", "8...6...3...6...",
                                               "8.......7.......", "a...b...a...9...", "9.......7...9...",
                                               "b...a...8...6...", "8..............."};
    const std::vector<std::string> melody_c = {"3.5.7.5.3.5.7.5.", "4.6.8.6.4.6.8.6.", "5.7.9.7.5.7.9.7.",
                                               "6.8.a.8.6.8.a.b.", "a.......9...7...", "8.......b...a...",
                                               "9.......7...9...", "a.......b......."};
    s.sections = {
        {{0, 0, 5, 6}, {}, Kick | Bass | Arp | Hats | Riser, 1},
        {verse, melody_a, Kick | Snare | Hats | Bass | Pad | Arp | Lead | Crash, 1},
        {{3, 5, 6, 4, 3, 5, 6, 6}, melody_b, Kick | Snare | Hats | Ride | Bass | Pad | Arp | Lead | Crash | Fill, 2},
        {{5, 6, 0, 0, 5, 6, 3, 6},
         {"", "", "", "", "7...............", "8...............", "a...............", "b.........------"},
         Pad | Arp | Bass | Hats | Lead | Riser | Fill,
         3},
        {verse, melody_a, Kick | Snare | Hats | Ride | Bass | Pad | Arp | Lead | Lead2 | Crash, 1},
        {{3, 4, 5, 6, 3, 4, 5, 6}, melody_c, Kick | Snare | Hats | Ride | Bass | Pad | Arp | Lead | Crash | Fill, 2},
        {verse, {}, Kick | Snare | Hats | Bass | Pad | Arp | Crash, 1},
    };
    return s;
}

Song song(int index) {
    if (index == 0) return menu_theme();
    if (index == 1) return game_theme();
    throw std::runtime_error("no theme " + std::to_string(index));
}

// Melody notes of a section: (start step, length in steps, degree).
struct NoteEvent {
    int start, len, degree;
};

std::vector<NoteEvent> parse_melody(const std::vector<std::string>& bars) {
    std::vector<NoteEvent> notes;
    int step = 0;
    for (const auto& bar : bars) {
        const std::string s = bar.empty() ? std::string(16, '-') : bar;
        if (s.size() != 16) throw std::runtime_error("melody bar is not 16 steps: " + s);
        for (char c : s) {
            if (c == '.') {
                if (!notes.empty() && notes.back().start + notes.back().len == step) notes.back().len++;
            } else if (c != '-') {
                notes.push_back({step, 1, step_degree(c)});
            }
            ++step;
        }
    }
    return notes;
}

}  // namespace

ThemeInfo theme_info(int index) { return song(index).info; }

Stereo render_theme(int index) {
    const Song s = song(index);
    const long loop = s.info.frames();
    const long bar = loop / s.info.bars;
    const long step = bar / 16;
    if (bar * s.info.bars != loop || step * 16 != bar) throw std::runtime_error("theme bars do not fit whole samples");
    int total_bars = 0;
    for (const auto& sec : s.sections) total_bars += int(sec.chords.size());
    if (total_bars != s.info.bars) throw std::runtime_error(s.info.name + ": sections do not add up to the loop");

    const long tail = 8 * kRate;  // room for release and echo tails, folded back onto the start
    Mix mix(std::size_t(loop + tail));
    Rng rng(0x7E3E0000ull + std::uint64_t(index));
    const double step_s = double(step) / kRate;
    const bool drv = s.driving;

    // Drum hits are reused; a few variants keep them from sounding machine-identical.
    std::vector<std::vector<float>> kicks, snares, hats_c, hats_o;
    for (int i = 0; i < 4; ++i) {
        kicks.push_back(kick(rng, drv));
        snares.push_back(snare(rng, drv));
        hats_c.push_back(hat(rng, false));
        hats_o.push_back(hat(rng, true));
    }
    const std::vector<float> cymbal = crash(rng);
    std::vector<long> kick_times;

    const int bass_root = s.key - 24;
    const int pad_root = s.key - 12;
    int bar_index = 0;
    for (const auto& sec : s.sections) {
        const int nbars = int(sec.chords.size());
        const long sec_start = bar_index * bar;
        // Melody of the section.
        if (sec.parts & Lead) {
            for (const auto& ev : parse_melody(sec.lead)) {
                const double note = s.key + degree_semis(ev.degree);
                const double len = ev.len * step_s;
                const long pos = sec_start + ev.start * step;
                mix.put(lead_note(rng, note, len, drv), std::size_t(pos), -0.1, drv ? 0.32 : 0.4, 0.25, 0.3);
                if (sec.parts & Lead2)
                    mix.put(lead_note(rng, note + (drv ? -12 : 12), len, drv), std::size_t(pos), 0.3, 0.12, 0.3, 0.4);
            }
        }
        for (int b = 0; b < nbars; ++b) {
            const long bar_start = sec_start + b * bar;
            const bool last_bar = b == nbars - 1;
            const int chord = sec.chords[std::size_t(b)];
            std::vector<int> tones = {chord, chord + 2, chord + 4};
            // Chord tones of the bar, voiced close above the pad root.
            std::vector<double> voicing;
            for (int d : tones) {
                int semis = degree_semis(d);
                while (semis >= 12) semis -= 12;
                voicing.push_back(pad_root + semis);
            }
            std::sort(voicing.begin(), voicing.end());
            const double root_semis = degree_semis(chord) % 12;

            if (sec.parts & Pad) {
                std::vector<double> notes = voicing;
                notes.push_back(pad_root - 12 + root_semis);
                Stereo p = pad_chord(rng, notes, double(bar) / kRate, drv ? 1.2 : 1.0, double(bar_start) / kRate,
                                     double(loop) / kRate / 5.0);
                const float g = drv ? 0.22f : 0.19f;
                for (std::size_t i = 0; i < p.size() && bar_start + long(i) < long(mix.pad.size()); ++i) {
                    const std::size_t at = std::size_t(bar_start) + i;
                    mix.pad.l[at] += p.l[i] * g;
                    mix.pad.r[at] += p.r[i] * g;
                    mix.rev.l[at] += p.l[i] * g * 0.5f;
                    mix.rev.r[at] += p.r[i] * g * 0.5f;
                }
            }
            if (sec.parts & Bass) {
                const double root = bass_root + root_semis;
                auto note = [&](int st, int len, double n, double vel) {
                    mix.put(bass_note(rng, n, len * step_s * 0.92, drv), std::size_t(bar_start + st * step), 0.0,
                            vel * (drv ? 0.4 : 0.55), 0.0, 0.0);
                };
                switch (sec.bass_style) {
                    case 0:
                        note(0, 6, root, 1.0);
                        note(6, 2, root + 12, 0.7);
                        note(8, 6, root, 0.9);
                        note(14, 2, root + 7, 0.7);
                        break;
                    case 1:
                        for (int st = 0; st < 16; st += 2)
                            note(st, 2, root + ((st % 4) == 2 ? 12 : 0), st % 8 ? 0.8 : 1.0);
                        break;
                    case 2:
                        for (int st = 0; st < 16; ++st) {
                            const int pat[16] = {0, 0, 12, 0, 0, 12, 0, 7, 0, 0, 12, 0, 0, 12, 10, 7};
                            note(st, 1, root + pat[st], st % 4 ? 0.75 : 1.0);
                        }
                        break;
                    default: note(0, 16, root, 0.9); break;
                }
            }
            if (sec.parts & Arp) {
                const int order[8] = {0, 1, 2, 3, 2, 1, 3, 1};
                std::vector<double> up = voicing;
                up.push_back(voicing[0] + 12);
                const int every = drv ? 1 : 2;
                for (int st = 0, k = 0; st < 16; st += every, ++k) {
                    const double n = up[std::size_t(order[k % 8])] + 12;
                    const double pan = (k % 2) ? 0.45 : -0.45;
                    const double vel = (st % 4 == 0 ? 1.0 : 0.8) * (0.9 + 0.2 * rng.uni());
                    mix.put(pluck_note(rng, n, step_s * every * 0.8, drv), std::size_t(bar_start + st * step), pan,
                            vel * (drv ? 0.26 : 0.22), 0.15, drv ? 0.25 : 0.45);
                }
            }
            if (sec.parts & Kick) {
                const bool fill = (sec.parts & Fill) && last_bar;
                std::vector<int> steps = drv ? std::vector<int>{0, 4, 8, 12} : std::vector<int>{0, 10};
                if (!drv && (b % 2 == 1)) steps.push_back(7);
                if (drv && b % 4 == 3) steps.push_back(14);
                for (int st : steps) {
                    if (fill && st >= 12) continue;
                    const long at = bar_start + st * step;
                    mix.put(kicks[std::size_t(rng.below(4))], std::size_t(at), 0.0, drv ? 0.8 : 0.85, 0.0, 0.0);
                    kick_times.push_back(at);
                }
            }
            if (sec.parts & Snare) {
                const bool fill = (sec.parts & Fill) && last_bar;
                for (int st : {4, 12}) {
                    if (fill && st == 12) continue;
                    mix.put(snares[std::size_t(rng.below(4))], std::size_t(bar_start + st * step), 0.05, 0.45,
                            drv ? 0.25 : 0.45, 0.0);
                }
                if (fill) {
                    // A roll of snares and toms across the last beat leading into the next section.
                    const double toms[4] = {220.0, 180.0, 140.0, 110.0};
                    for (int st = 12; st < 16; ++st) {
                        mix.put(snares[std::size_t(st % 4)], std::size_t(bar_start + st * step), -0.2,
                                0.2 + 0.05 * (st - 12), 0.25, 0.0);
                        mix.put(tom(rng, toms[st - 12]), std::size_t(bar_start + st * step), 0.4 - 0.25 * (st - 12),
                                0.35, 0.2, 0.0);
                    }
                }
            }
            if (sec.parts & Hats) {
                for (int st = 0; st < 16; ++st) {
                    const bool offbeat = st % 4 == 2;
                    const bool eighth = st % 2 == 0;
                    const bool play = (sec.parts & Ride) ? true : (drv ? offbeat : eighth);
                    if (!play) continue;
                    const bool open = drv && offbeat;
                    const double vel = (open ? 0.16 : (eighth ? 0.12 : 0.07)) * (0.85 + 0.3 * rng.uni());
                    mix.put(open ? hats_o[std::size_t(rng.below(4))] : hats_c[std::size_t(rng.below(4))],
                            std::size_t(bar_start + st * step), 0.3, vel * (drv ? 1.4 : 1.1), 0.05, 0.0);
                }
            }
            if ((sec.parts & Crash) && b == 0)
                mix.put(cymbal, std::size_t(bar_start), -0.35, drv ? 0.22 : 0.16, 0.3, 0.0);
            if ((sec.parts & Riser) && last_bar)
                mix.put(riser(rng, double(bar) / kRate), std::size_t(bar_start), 0.0, 0.12, 0.3, 0.0);
        }
        bar_index += nbars;
    }

    // Pumping pads: duck them after every kick (also the kicks of the next pass of the loop).
    if (drv) {
        std::vector<long> ks = kick_times;
        for (long k : kick_times) ks.push_back(k + loop);
        std::sort(ks.begin(), ks.end());
        std::size_t next = 0;
        long last = -100000;
        for (std::size_t i = 0; i < mix.pad.size(); ++i) {
            while (next < ks.size() && ks[next] <= long(i)) last = ks[next++];
            const double t = double(long(i) - last) / kRate;
            const float g = float(1.0 - 0.55 * std::exp(-t / 0.09));
            mix.pad.l[i] *= g;
            mix.pad.r[i] *= g;
        }
    }

    Stereo out = std::move(mix.dry);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out.l[i] += mix.pad.l[i];
        out.r[i] += mix.pad.r[i];
    }
    mix.pad = Stereo();
    // Echo: dotted eighth.
    ping_pong(mix.dly, out, mix.rev, std::size_t(step * 3), 0.38, 0.4f);
    mix.dly = Stereo();
    Reverb room(drv ? 0.7 : 0.85, 0.45);
    room.process(mix.rev.l, mix.rev.r, out.l, out.r, drv ? 0.9 : 1.2);
    mix.rev = Stereo();

    // Fold the tail onto the start: the end of the loop now flows into its beginning.
    for (long i = 0; i < tail; ++i) {
        out.l[std::size_t(i)] += out.l[std::size_t(loop + i)];
        out.r[std::size_t(i)] += out.r[std::size_t(loop + i)];
    }
    out.l.resize(std::size_t(loop));
    out.r.resize(std::size_t(loop));

    // Master: remove DC, set the level, soften the rare peak.
    double ml = 0.0, mr = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        ml += out.l[i];
        mr += out.r[i];
    }
    ml /= double(out.size());
    mr /= double(out.size());
    double peak = 0.0, energy = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        out.l[i] -= float(ml);
        out.r[i] -= float(mr);
        peak = std::max({peak, double(std::fabs(out.l[i])), double(std::fabs(out.r[i]))});
        energy += double(out.l[i]) * out.l[i] + double(out.r[i]) * out.r[i];
    }
    const double rms = std::sqrt(energy / (2.0 * double(out.size())));
    // Aim for -16 dBFS RMS, but never push peaks far into the limiter.
    const double gain = std::min(db_gain(-16.0) / std::max(rms, 1e-9), 1.1 / std::max(peak, 1e-9));
    for (std::size_t i = 0; i < out.size(); ++i) {
        out.l[i] = soft_limit(float(out.l[i] * gain), 0.7f, 0.94f);
        out.r[i] = soft_limit(float(out.r[i] * gain), 0.7f, 0.94f);
    }
    return out;
}

std::vector<std::uint8_t> encode_theme(int index, const Stereo& pcm) {
    const ThemeInfo info = theme_info(index);
    // LOOPSTART/LOOPLENGTH let players that honour them loop sample-exactly.
    return encode_ogg(pcm, kThemeQuality, 0x44570000 + index,
                      {{"TITLE", index == 0 ? "Duskwhirl 2 - Menu" : "Duskwhirl 2 - Flight"},
                       {"LOOPSTART", "0"},
                       {"LOOPLENGTH", std::to_string(pcm.size())}});
}

}  // namespace assetgen::audio
