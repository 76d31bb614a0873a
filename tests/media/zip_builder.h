#pragma once
// Builds small ZIP archives in memory for the resource library tests (the
// archive writer of platform/zip_archive.h).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/zip_archive.h"

namespace testzip {

using File = platform::ZipFile;

inline std::vector<std::uint8_t> Build(const std::vector<File>& files) { return platform::WriteZipArchive(files); }

inline std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace testzip
