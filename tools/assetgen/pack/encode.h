#pragma once
// Image encoders and the archive writer used by the packer.
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// PNG with alpha (8-bit RGBA); no time stamp, so equal pixels give equal bytes.
std::vector<std::uint8_t> encode_png(const std::uint8_t* rgba, int w, int h);
// Baseline JPEG of the RGB channels (alpha ignored).
std::vector<std::uint8_t> encode_jpeg(const std::uint8_t* rgba, int w, int h, int quality = 92);
// Decodes a PNG back to straight RGBA8 (used by the self-check).
bool decode_png(const std::vector<std::uint8_t>& png, int& w, int& h, std::vector<std::uint8_t>& rgba);

struct ZipEntry {
    std::string name;
    std::vector<std::uint8_t> data;
};

// A plain ZIP written by libzip (platform::WriteZipArchive: no directories,
// fixed 1980-01-01 time stamps). Entries whose content is already compressed
// (PNG, JPEG, Ogg) are stored; the rest are deflated when that saves space.
std::vector<std::uint8_t> build_zip(const std::vector<ZipEntry>& entries);

}  // namespace assetgen
