#pragma once
// A check on WAV files before a decoder sees them. The WAV readers of SDL
// and SDL_mixer reserve as much memory as a chunk's header claims (a
// 266-byte file claiming a 4 GB data chunk reserved 4 GB), and convert any
// rate to the device's, so that a rate of a few hertz multiplies the
// samples by thousands and one of a gigahertz overflows the converter.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

// A WAV file is "RIFF", a u32 size, "WAVE" (or a bare "WAVE"), then chunks: a four-letter id,
// a u32 length and that many bytes (and a pad byte when the length is odd),
// the format in the "fmt " chunk (u16 format tag, u16 channels, u32 rate).
// True when the bytes are no RIFF file, or when each chunk lies within the
// `size` bytes given and the format, when there is one, has 1 to 8
// channels at kMinWavRate to kMaxWavRate; false otherwise.
bool WavIsSound(const std::uint8_t* bytes, std::size_t size);

inline constexpr std::uint32_t kMinWavRate = 4000, kMaxWavRate = 192000;

// What a sound effect takes once the mixer has decoded it into 16-bit
// stereo at `outRate` Hz, at most: for a WAV from its data chunks and format
// (four bits a sample at the least), for an Ogg Vorbis from its pages (every
// packet as long as the longest block). nullopt for anything else, or a
// file whose chunks or pages are broken.
std::optional<std::uint64_t> DecodedSoundBytes(const std::uint8_t* bytes, std::size_t size, std::uint32_t outRate);
// The most an effect may take decoded (a few minutes of sound; the game's
// own take well under a megabyte).
inline constexpr std::uint64_t kMaxDecodedSoundBytes = 32ull << 20;
// A sample the mixer may decode: a WAV or an Ogg Vorbis whose decoded size
// is within kMaxDecodedSoundBytes. Checked before SDL reserves anything.
bool SampleFitsInMemory(const std::uint8_t* bytes, std::size_t size, std::uint32_t outRate);

}  // namespace platform
