#pragma once
// A check on RIFF files (WAV) before a decoder sees them: the decoders of
// SDL and SDL_mixer reserve as much memory as a chunk's header claims, so a
// 266-byte file claiming a 4 GB data chunk reserves 4 GB.
#include <cstddef>
#include <cstdint>

namespace platform {

// A RIFF file is "RIFF", a u32 size, a form type ("WAVE"), then chunks: a
// four-letter id, a u32 length and that many bytes (and a pad byte when the
// length is odd). True when the bytes are no RIFF file, or when each of its
// chunks lies within the `size` bytes given; false when one claims more.
bool RiffChunksFit(const std::uint8_t* bytes, std::size_t size);

}  // namespace platform
