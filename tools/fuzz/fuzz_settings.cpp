// libFuzzer entry for the settings file: whatever the bytes, parsing never
// fails; what it keeps formats back to a file that parses to the same
// values; setting a value changes that value and nothing else; values
// without a section line, once adopted, are the section's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/settings_store.h"

namespace {

constexpr char kKey[] = "Software\\QVM\\Duskwhirl";

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

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
            Check(it != again.values.end());
            auto v = it->second.find(name);
            Check(v != it->second.end() && v->second == value);
        }
    }

    // An edit in place: the value is set, every other section is unchanged.
    const platform::IniDocument original(text);
    platform::IniDocument edited = original;
    const std::uint32_t value = size >= 2 ? data[0] | data[size - 1] << 8 : 1234;
    edited.Set(kKey, "Mouse", value);
    const platform::IniDocument reread(edited.Text());
    const auto* mine = reread.Section(kKey);
    Check(mine && mine->count("Mouse") && mine->at("Mouse") == value);
    for (const auto& [section, values] : original.Sections()) {
        if (section == kKey) continue;
        const auto* now = reread.Section(section);
        Check(now && *now == values);
    }

    // Loose values adopted by the key are the key's after a rewrite.
    platform::IniDocument adopted = original;
    if (adopted.AdoptLoose(kKey)) {
        const auto* loose = original.Section("");
        const platform::IniDocument rewritten(adopted.Text());
        const auto* now = rewritten.Section(kKey);
        Check(loose && now && *now == *loose);
    }
    return 0;
}
