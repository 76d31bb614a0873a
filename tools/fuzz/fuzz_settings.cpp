// libFuzzer entry for the settings file parser: whatever the bytes, parsing
// never fails, and what it keeps formats back to a file that parses to the
// same values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/settings_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto parsed = platform::IniSettingsStore::Parse(text);
    const auto again = platform::IniSettingsStore::Parse(platform::IniSettingsStore::Format(parsed));
    // Sections whose names survive a line of their own must keep their values.
    for (const auto& [section, values] : parsed.values) {
        if (section.find_first_of("\n\r[]") != std::string::npos) continue;
        auto it = again.values.find(section);
        for (const auto& [name, value] : values) {
            if (name.find_first_of("\n\r=;#[") != std::string::npos || name.front() == ' ') continue;
            if (it == again.values.end()) std::abort();
            auto v = it->second.find(name);
            if (v == it->second.end() || v->second != value) std::abort();
        }
    }
    return 0;
}
