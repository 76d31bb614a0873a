#include <stdlib.h>

#include <filesystem>

#include "platform/scratch_dir.h"

namespace platform {

std::string TemporaryFolder() {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    return ec ? std::string("/tmp") : base.string();
}

std::string MakeNewFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::path(TemporaryFolder()) / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) return {};
    return pattern;
}

}  // namespace platform
