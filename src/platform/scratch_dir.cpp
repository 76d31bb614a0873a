#include "platform/scratch_dir.h"

#include <stdlib.h>

#include <filesystem>

namespace platform {

std::string MakeScratchDirectory(const std::string& prefix) {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) return {};
    return pattern;
}

void RemoveScratchDirectory(const std::string& dir) {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

}  // namespace platform
