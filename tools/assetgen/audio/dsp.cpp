#include "dsp.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace assetgen::audio {

namespace {
constexpr int kCombTuning[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int kAllpassTuning[4] = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;
}  // namespace

Reverb::Reverb(double size, double damp)
    : feedback_(float(0.7 + 0.28 * std::clamp(size, 0.0, 1.0))), damp_(float(0.4 * std::clamp(damp, 0.0, 1.0))) {
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < 8; ++i) combs_[c][i].buf.assign(kCombTuning[i] + c * kStereoSpread, 0.0f);
        for (int i = 0; i < 4; ++i) allpasses_[c][i].buf.assign(kAllpassTuning[i] + c * kStereoSpread, 0.0f);
    }
}

void Reverb::process(const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>& outL,
                     std::vector<float>& outR, double wet) {
    const std::size_t n = std::min({inL.size(), inR.size(), outL.size(), outR.size()});
    const float g = float(wet) * 0.12f;
    for (std::size_t i = 0; i < n; ++i) {
        const float input = (inL[i] + inR[i]) * 0.5f;
        float out[2];
        for (int c = 0; c < 2; ++c) {
            float acc = 0.0f;
            for (auto& cb : combs_[c]) {
                const float y = cb.buf[cb.pos];
                cb.store = y * (1.0f - damp_) + cb.store * damp_;
                cb.buf[cb.pos] = input + cb.store * feedback_;
                if (++cb.pos == cb.buf.size()) cb.pos = 0;
                acc += y;
            }
            for (auto& ap : allpasses_[c]) {
                const float b = ap.buf[ap.pos];
                ap.buf[ap.pos] = acc + b * 0.5f;
                acc = b - acc;
                if (++ap.pos == ap.buf.size()) ap.pos = 0;
            }
            out[c] = acc;
        }
        outL[i] += out[0] * g;
        outR[i] += out[1] * g;
    }
}

void fade_edges(std::vector<float>& s, double in_seconds, double out_seconds) {
    const std::size_t n = s.size();
    const std::size_t fi = std::min(n, std::size_t(in_seconds * kRate));
    const std::size_t fo = std::min(n, std::size_t(out_seconds * kRate));
    for (std::size_t i = 0; i < fi; ++i) s[i] *= float(double(i) / double(fi));
    for (std::size_t i = 0; i < fo; ++i) s[n - 1 - i] *= float(double(i) / double(fo));
}

double loudness_db(const std::vector<float>& s) {
    // Weighted like the ear: deep bass counts less than the mid range.
    std::vector<double> w(s.size());
    Svf hp;
    for (std::size_t i = 0; i < s.size(); ++i) {
        hp.tick(s[i], 100.0, 0.6);
        w[i] = hp.hp;
    }
    const std::size_t win = kRate / 50;  // 20 ms
    std::vector<double> rms;
    for (std::size_t start = 0; start < s.size(); start += win) {
        const std::size_t end = std::min(s.size(), start + win);
        double acc = 0.0;
        for (std::size_t i = start; i < end; ++i) acc += w[i] * w[i];
        rms.push_back(acc / double(end - start));
    }
    if (rms.empty()) return -200.0;
    std::sort(rms.begin(), rms.end(), std::greater<>());
    // The loudest 100 ms set the level, so a short zap, the bang of an
    // explosion and the peak of a jingle come out equally present.
    const std::size_t take = std::min<std::size_t>(5, rms.size());
    double acc = 0.0;
    for (std::size_t i = 0; i < take; ++i) acc += rms[i];
    const double mean = acc / double(take);
    return mean > 0 ? 10.0 * std::log10(mean) : -200.0;
}

void finish_effect(std::vector<float>& s, double target_db, double ceiling) {
    if (s.empty()) return;
    double mean = 0.0;
    for (float v : s) mean += v;
    mean /= double(s.size());
    for (float& v : s) v -= float(mean);
    fade_edges(s, 0.002, 0.008);
    // Two passes: limiting lowers the level of peaky sounds a little.
    for (int pass = 0; pass < 2; ++pass) {
        const double now = loudness_db(s);
        if (now < -150.0) return;
        const float gain = float(db_gain(target_db - now));
        for (float& v : s) v = soft_limit(v * gain, float(ceiling * 0.8), float(ceiling));
    }
}

std::vector<std::uint8_t> encode_wav(const std::vector<float>& mono) {
    const std::uint32_t data_bytes = std::uint32_t(mono.size() * 2);
    std::vector<std::uint8_t> out(44 + std::size_t(data_bytes));
    std::size_t at = 0;
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at++] = std::uint8_t(v >> (8 * i));
    };
    auto put16 = [&](std::uint16_t v) {
        out[at++] = std::uint8_t(v);
        out[at++] = std::uint8_t(v >> 8);
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) out[at++] = std::uint8_t(t[i]);
    };
    tag("RIFF");
    put32(36 + data_bytes);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(kRate);
    put32(kRate * 2);
    put16(2);
    put16(16);
    tag("data");
    put32(data_bytes);
    for (float v : mono) {
        const long q = std::lround(std::clamp(double(v), -1.0, 1.0) * 32767.0);
        put16(std::uint16_t(std::int16_t(q)));
    }
    return out;
}

namespace {

// One or two channels of `frames` samples each.
std::vector<std::uint8_t> encode_vorbis(const float* const* channels, int count, std::size_t frames, float quality,
                                        int serial, const std::vector<std::pair<std::string, std::string>>& tags) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, count, kRate, quality) != 0) {
        vorbis_info_clear(&vi);
        throw std::runtime_error("vorbis encoder refused its settings");
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    for (const auto& [k, v] : tags) vorbis_comment_add_tag(&vc, k.c_str(), v.c_str());

    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    std::vector<std::uint8_t> out;
    ogg_page og;
    ogg_packet op;
    auto put_page = [&] {
        out.insert(out.end(), og.header, og.header + og.header_len);
        out.insert(out.end(), og.body, og.body + og.body_len);
    };

    ogg_packet h0, h1, h2;
    vorbis_analysis_headerout(&vd, &vc, &h0, &h1, &h2);
    ogg_stream_packetin(&os, &h0);
    ogg_stream_packetin(&os, &h1);
    ogg_stream_packetin(&os, &h2);
    while (ogg_stream_flush(&os, &og) != 0) put_page();

    auto drain = [&] {
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og) != 0) put_page();
            }
        }
    };

    const std::size_t chunk = 4096;
    for (std::size_t pos = 0; pos < frames; pos += chunk) {
        const std::size_t n = std::min(chunk, frames - pos);
        float** buf = vorbis_analysis_buffer(&vd, int(n));
        for (int c = 0; c < count; ++c) std::memcpy(buf[c], channels[c] + pos, n * sizeof(float));
        vorbis_analysis_wrote(&vd, int(n));
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ogg_stream_flush(&os, &og) != 0) put_page();

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

}  // namespace

std::vector<std::uint8_t> encode_ogg(const Stereo& pcm, float quality, int serial,
                                     const std::vector<std::pair<std::string, std::string>>& tags) {
    const float* channels[2] = {pcm.l.data(), pcm.r.data()};
    return encode_vorbis(channels, 2, pcm.size(), quality, serial, tags);
}

std::vector<std::uint8_t> encode_ogg(const std::vector<float>& mono, float quality, int serial,
                                     const std::vector<std::pair<std::string, std::string>>& tags) {
    const float* channels[1] = {mono.data()};
    return encode_vorbis(channels, 1, mono.size(), quality, serial, tags);
}

}  // namespace assetgen::audio
