#include "platform/wav_check.h"

#include <cstring>

namespace platform {

namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool FormatIsSound(const std::uint8_t* fmt, std::uint32_t length) {
    if (length < 8) return true;  // too short to say anything: the decoder refuses it
    const unsigned channels = fmt[2] | fmt[3] << 8;
    const std::uint32_t rate = U32(fmt + 4);
    return channels >= 1 && channels <= 8 && rate >= kMinWavRate && rate <= kMaxWavRate;
}

}  // namespace

bool WavIsSound(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0) return true;
    std::size_t at = 12;
    while (size - at >= 8) {
        const std::uint32_t length = U32(bytes + at + 4);
        if (length > size - at - 8) return false;
        if (std::memcmp(bytes + at, "fmt ", 4) == 0 && !FormatIsSound(bytes + at + 8, length)) return false;
        at += 8 + static_cast<std::size_t>(length);
        if ((length & 1) && at < size) ++at;  // the pad byte, which the last chunk may lack
    }
    return true;
}

}  // namespace platform
