#include "platform/riff_check.h"

#include <cstring>

namespace platform {

bool RiffChunksFit(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0) return true;
    std::size_t at = 12;
    while (size - at >= 8) {
        const std::uint8_t* h = bytes + at + 4;
        const std::uint64_t length = h[0] | h[1] << 8 | h[2] << 16 | static_cast<std::uint64_t>(h[3]) << 24;
        if (length > size - at - 8) return false;
        at += 8 + static_cast<std::size_t>(length);
        if ((length & 1) && at < size) ++at;  // the pad byte, which the last chunk may lack
    }
    return true;
}

}  // namespace platform
