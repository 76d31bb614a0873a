#pragma once
// Screenshots: an RGBA picture written as a PNG file.
#include <cstdint>
#include <ctime>
#include <string>

namespace platform {

// rgba: width * height * 4 bytes, R G B A, top row first. Writes an RGB
// PNG (the alpha of a presented frame means nothing). False when the
// arguments are unusable or the file cannot be written; no partial file
// is left behind.
bool WritePng(const std::string& path, const std::uint8_t* rgba, std::uint32_t width, std::uint32_t height);

// The local time now (for a screenshot's name), through the C library's
// thread-safe call of each system.
std::tm LocalTimeNow();

}  // namespace platform
