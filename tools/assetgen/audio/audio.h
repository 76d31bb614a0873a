#pragma once
// The sound side of assetgen: effects (mono) and the two looping themes (stereo),
// all Ogg Vorbis.
#include <cstdint>
#include <string>
#include <vector>

#include "dsp.h"

namespace assetgen::audio {

// Loudness every effect is brought to, and the peak ceiling (dBFS / linear).
constexpr double kEffectLoudnessDb = -15.0;
constexpr double kEffectCeiling = 0.891;  // -1 dBFS
// Vorbis qualities: the effects (mono) and the themes (stereo), the least
// that keeps their sound; together they are under half of gamedata.res.
constexpr float kEffectQuality = 0.2f;
constexpr float kThemeQuality = 0.1f;

// Every sample name the game asks for, in a fixed order.
const std::vector<std::string>& effect_names();

// The finished effect as mono float PCM at 44.1 kHz (loudness set, edges faded).
// Throws std::runtime_error for an unknown name.
std::vector<float> render_effect(const std::string& name);

// The effect as a mono Ogg Vorbis file ready for the archive.
std::vector<std::uint8_t> encode_effect(const std::string& name, const std::vector<float>& pcm);

struct ThemeInfo {
    std::string name;  // asset name
    int bpm;
    int bars;  // 4/4 bars in one loop
    long frames() const { return long(bars) * 4 * 60 * kRate / bpm; }
};

// 0 = "Theme0" (menu), 1 = "Theme1" (in game).
ThemeInfo theme_info(int index);

// One loop of the theme, exactly theme_info(index).frames() long; the tails of
// the last bars are folded onto the start so the loop joins without a seam.
Stereo render_theme(int index);

// The theme as an Ogg Vorbis stream ready for the archive.
std::vector<std::uint8_t> encode_theme(int index, const Stereo& pcm);

}  // namespace assetgen::audio
