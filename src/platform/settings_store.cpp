#include "platform/settings_store.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace platform {

SettingsStore::Disposition MemorySettingsStore::CreateKey(const std::string& key) {
    if (failCreate) return Disposition::Failed;
    auto [it, inserted] = keys.try_emplace(key);
    (void)it;
    return inserted ? Disposition::CreatedNew : Disposition::OpenedExisting;
}

std::optional<std::uint32_t> MemorySettingsStore::QueryValue(const std::string& key,
                                                             const std::string& name) {
    auto k = keys.find(key);
    if (k == keys.end()) return std::nullopt;
    auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    return v->second;
}

bool MemorySettingsStore::SetValue(const std::string& key, const std::string& name,
                                   std::uint32_t value) {
    keys[key][name] = value;
    return true;
}

namespace {

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

std::optional<std::uint32_t> ParseDword(const std::string& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

}  // namespace

IniSettingsStore::Parsed IniSettingsStore::Parse(const std::string& text) {
    Parsed out;
    std::string section;
    bool inSection = false;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                inSection = false;
                continue;
            }
            section = Trim(line.substr(1, line.size() - 2));
            inSection = !section.empty();
            if (inSection) out.sections[section] = true;
            continue;
        }
        if (!inSection) continue;
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string name = Trim(line.substr(0, eq));
        if (name.empty()) continue;
        auto value = ParseDword(Trim(line.substr(eq + 1)));
        if (value) {
            out.values[section][name] = *value;
        } else {
            out.values[section].erase(name);
        }
    }
    return out;
}

std::string IniSettingsStore::Format(const Parsed& parsed) {
    std::ostringstream out;
    out << "# Duskwhirl 2 settings. Values are unsigned 32-bit decimal numbers.\n";
    for (const auto& [section, present] : parsed.sections) {
        (void)present;
        out << "[" << section << "]\n";
        auto v = parsed.values.find(section);
        if (v != parsed.values.end()) {
            for (const auto& [name, value] : v->second) out << name << "=" << value << "\n";
        }
        out << "\n";
    }
    return out.str();
}

bool IniSettingsStore::Load(Parsed& out, bool& exists) const {
    std::ifstream in(path_, std::ios::binary);
    exists = static_cast<bool>(in);
    out = Parsed{};
    if (!in) return true;  // a missing file is an empty store
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return false;
    // Binary junk is fine: the parser ignores what it does not understand.
    out = Parse(text.str());
    return true;
}

bool IniSettingsStore::Save(const Parsed& parsed) const {
    const std::string tmp = path_ + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << Format(parsed);
        out.flush();
        if (!out) {
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path_.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

SettingsStore::Disposition IniSettingsStore::CreateKey(const std::string& key) {
    Parsed parsed;
    bool exists = false;
    if (!Load(parsed, exists)) return Disposition::Failed;
    if (parsed.sections.count(key)) return Disposition::OpenedExisting;
    parsed.sections[key] = true;
    return Save(parsed) ? Disposition::CreatedNew : Disposition::Failed;
}

std::optional<std::uint32_t> IniSettingsStore::QueryValue(const std::string& key,
                                                          const std::string& name) {
    Parsed parsed;
    bool exists = false;
    if (!Load(parsed, exists)) return std::nullopt;
    auto s = parsed.values.find(key);
    if (s == parsed.values.end()) return std::nullopt;
    auto v = s->second.find(name);
    if (v == s->second.end()) return std::nullopt;
    return v->second;
}

bool IniSettingsStore::SetValue(const std::string& key, const std::string& name,
                                std::uint32_t value) {
    Parsed parsed;
    bool exists = false;
    if (!Load(parsed, exists)) return false;
    parsed.sections[key] = true;
    parsed.values[key][name] = value;
    return Save(parsed);
}

}  // namespace platform
