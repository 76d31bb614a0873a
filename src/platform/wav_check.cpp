#include "platform/wav_check.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

unsigned U16(const std::uint8_t* p) { return p[0] | p[1] << 8; }

bool FormatIsSound(const std::uint8_t* fmt, std::uint32_t length) {
    if (length < 8) return true;  // too short to say anything: the decoder refuses it
    const unsigned channels = U16(fmt + 2);
    const std::uint32_t rate = U32(fmt + 4);
    return channels >= 1 && channels <= 8 && rate >= kMinWavRate && rate <= kMaxWavRate;
}

// Where the chunks of a WAV start: after "RIFF", its size and "WAVE", or
// after a bare "WAVE" (the RIFF header missing), which SDL reads as well.
// 0 for bytes that are no WAV.
std::size_t FirstChunk(const std::uint8_t* bytes, std::size_t size) {
    if (size >= 12 && std::memcmp(bytes, "RIFF", 4) == 0) return 12;
    if (size >= 4 && std::memcmp(bytes, "WAVE", 4) == 0) return 4;
    return 0;
}

// Calls `chunk(id, body, length)` for each chunk; false when one lies
// beyond the bytes.
template <typename Chunk>
bool EachChunk(const std::uint8_t* bytes, std::size_t size, std::size_t at, Chunk chunk) {
    while (size - at >= 8) {
        const std::uint32_t length = U32(bytes + at + 4);
        if (length > size - at - 8) return false;
        if (!chunk(bytes + at, bytes + at + 8, length)) return false;
        at += 8 + static_cast<std::size_t>(length);
        if ((length & 1) && at < size) ++at;  // the pad byte, which the last chunk may lack
    }
    return true;
}

constexpr std::uint64_t kOutFrameBytes = 4;  // 16-bit stereo

// Frames at `rate` become this many at `outRate` (rounded up).
std::uint64_t Resampled(std::uint64_t frames, std::uint32_t rate, std::uint32_t outRate) {
    return (frames * outRate + rate - 1) / rate + 1;
}

std::optional<std::uint64_t> WavDecodedBytes(const std::uint8_t* bytes, std::size_t size, std::size_t first,
                                             std::uint32_t outRate) {
    unsigned channels = 0, bits = 0;
    std::uint32_t rate = 0;
    std::uint64_t data = 0;
    const bool whole =
        EachChunk(bytes, size, first, [&](const std::uint8_t* id, const std::uint8_t* body, std::uint32_t length) {
            if (std::memcmp(id, "fmt ", 4) == 0) {
                if (!FormatIsSound(body, length) || length < 16) return false;
                channels = U16(body + 2);
                rate = U32(body + 4);
                bits = U16(body + 14);
            } else if (std::memcmp(id, "data", 4) == 0) {
                data += length;
            }
            return true;
        });
    if (!whole || channels == 0 || rate == 0) return std::nullopt;
    // Compressed formats (ADPCM) hold four bits a sample: count no fewer.
    const std::uint64_t frames = data * 8 / (std::max(bits, 4u) * channels);
    return Resampled(frames, rate, outRate) * kOutFrameBytes;
}

// An Ogg Vorbis file: its pages, the identification header on the first,
// and every packet the pages hold. Each packet decodes to at most half the
// long block per channel, whatever the pages' positions claim.
std::optional<std::uint64_t> OggDecodedBytes(const std::uint8_t* bytes, std::size_t size, std::uint32_t outRate) {
    std::size_t at = 0;
    std::uint64_t packets = 0;
    unsigned channels = 0, longBlock = 0;
    std::uint32_t rate = 0;
    while (at < size) {
        if (size - at < 27 || std::memcmp(bytes + at, "OggS", 4) != 0) return std::nullopt;
        const unsigned segments = bytes[at + 26];
        if (size - at - 27 < segments) return std::nullopt;
        std::size_t body = 0;
        for (unsigned i = 0; i < segments; ++i) {
            const unsigned lace = bytes[at + 27 + i];
            body += lace;
            packets += lace < 255;
        }
        const std::size_t start = at + 27 + segments;
        if (size - start < body) return std::nullopt;
        if (at == 0) {
            // 1 "vorbis" u32 version, u8 channels, u32 rate, three u32
            // bit rates, the block sizes' exponents.
            if (body < 29 || bytes[start] != 1 || std::memcmp(bytes + start + 1, "vorbis", 6) != 0) return std::nullopt;
            channels = bytes[start + 11];
            rate = U32(bytes + start + 12);
            longBlock = bytes[start + 28] >> 4;
            if (channels == 0 || rate < kMinWavRate || rate > kMaxWavRate || longBlock < 6 || longBlock > 13)
                return std::nullopt;
        }
        at = start + body;
    }
    if (channels == 0) return std::nullopt;
    const std::uint64_t frames = packets * (std::uint64_t{1} << (longBlock - 1));
    return Resampled(frames, rate, outRate) * kOutFrameBytes;
}

}  // namespace

bool WavIsSound(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes) return true;
    const std::size_t first = FirstChunk(bytes, size);
    if (first == 0) return true;
    return EachChunk(bytes, size, first, [](const std::uint8_t* id, const std::uint8_t* body, std::uint32_t length) {
        return std::memcmp(id, "fmt ", 4) != 0 || FormatIsSound(body, length);
    });
}

std::optional<std::uint64_t> DecodedSoundBytes(const std::uint8_t* bytes, std::size_t size, std::uint32_t outRate) {
    if (!bytes || outRate == 0) return std::nullopt;
    if (const std::size_t first = FirstChunk(bytes, size)) return WavDecodedBytes(bytes, size, first, outRate);
    if (size >= 4 && std::memcmp(bytes, "OggS", 4) == 0) return OggDecodedBytes(bytes, size, outRate);
    return std::nullopt;
}

bool SampleFitsInMemory(const std::uint8_t* bytes, std::size_t size, std::uint32_t outRate) {
    const auto decoded = DecodedSoundBytes(bytes, size, outRate);
    return decoded && *decoded <= kMaxDecodedSoundBytes;
}

}  // namespace platform
