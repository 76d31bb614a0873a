#include "platform/settings_store.h"

#include <cerrno>
#include <cstring>
#include <sstream>

#include "platform/stored_file.h"

namespace platform {

SettingsStore::Disposition MemorySettingsStore::CreateKey(const std::string& key) {
    if (failCreate) return Disposition::Failed;
    auto [it, inserted] = keys.try_emplace(key);
    (void)it;
    return inserted ? Disposition::CreatedNew : Disposition::OpenedExisting;
}

std::optional<std::uint32_t> MemorySettingsStore::QueryValue(const std::string& key, const std::string& name) {
    auto k = keys.find(key);
    if (k == keys.end()) return std::nullopt;
    auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    return v->second;
}

bool MemorySettingsStore::SetValue(const std::string& key, const std::string& name, std::uint32_t value) {
    keys[key][name] = value;
    texts[key].erase(name);
    return true;
}

std::optional<std::string> SettingsStore::QueryText(const std::string& key, const std::string& name) {
    const auto v = QueryValue(key, name);
    if (!v) return std::nullopt;
    return std::to_string(*v);
}

std::optional<std::string> MemorySettingsStore::QueryText(const std::string& key, const std::string& name) {
    if (auto k = texts.find(key); k != texts.end())
        if (auto v = k->second.find(name); v != k->second.end()) return v->second;
    return SettingsStore::QueryText(key, name);
}

bool MemorySettingsStore::SetText(const std::string& key, const std::string& name, const std::string& text) {
    texts[key][name] = text;
    keys[key].erase(name);
    return true;
}

bool SettingsStore::SetValues(const std::string& key, const Values& values) {
    bool ok = true;
    for (const auto& [name, value] : values) ok = SetValue(key, name, value) && ok;
    return ok;
}

bool SettingsStore::SetEntries(const std::string& key, const Values& values, const Texts& texts) {
    bool ok = SetValues(key, values);
    for (const auto& [name, text] : texts) ok = SetText(key, name, text) && ok;
    return ok;
}

bool SettingsStore::EditValue(const std::string& key, const std::string& name, const ValueEdit& edit) {
    const auto value = edit(QueryValue(key, name));
    return !value || SetValue(key, name, *value);
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

constexpr char kFileHeader[] =
    "# Duskwhirl 2 settings. Values are unsigned 32-bit decimal numbers, or SDL key\n"
    "# and controller button names (KeyFire=Left Ctrl,Z).\n";

}  // namespace

// --- IniDocument ------------------------------------------------------------

namespace {
constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);

bool EndsWithCr(const std::string& line) { return !line.empty() && line.back() == '\r'; }
}  // namespace

IniDocument::IniDocument(const std::string& text) {
    std::size_t at = 0;
    if (text.compare(0, 3, kBom) == 0) {
        bom_ = true;
        at = 3;
    }
    while (at < text.size()) {
        const std::size_t nl = text.find('\n', at);
        if (nl == std::string::npos) {
            lines_.push_back(text.substr(at));
            finalNewline_ = false;
            break;
        }
        lines_.push_back(text.substr(at, nl - at));
        at = nl + 1;
    }
    Reparse();
}

void IniDocument::Reparse() {
    values_.clear();
    texts_.clear();
    valueLine_.clear();
    lastLineOf_.clear();
    firstLoose_ = kNoLine;
    enum { kLoose, kIn, kNone } state = kLoose;
    std::string section;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].size() > kMaxLine) continue;
        const std::string line = Trim(lines_[i]);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            state = OpenSection(line, i, section) ? kIn : kNone;
            continue;
        }
        if (state != kNone) TakeValue(line, i, state == kLoose ? std::string{} : section);
    }
}

bool IniDocument::OpenSection(const std::string& line, std::size_t i, std::string& section) {
    if (line.back() != ']' || line.size() < 3) return false;
    section = Trim(line.substr(1, line.size() - 2));
    if (section.empty()) return false;
    values_[section];
    lastLineOf_[section] = i;
    return true;
}

void IniDocument::TakeValue(const std::string& line, std::size_t i, const std::string& key) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) return;
    const std::string name = Trim(line.substr(0, eq));
    if (name.empty()) return;
    Values& values = values_[key];
    texts_[key][name] = Trim(line.substr(eq + 1));
    if (auto value = ParseDword(Trim(line.substr(eq + 1)))) {
        values[name] = *value;
    } else {
        values.erase(name);
    }
    valueLine_[key][name] = i;
    lastLineOf_[key] = i;
    if (key.empty() && firstLoose_ == kNoLine) firstLoose_ = i;
}

bool IniDocument::HasSection(const std::string& key) const { return !key.empty() && values_.count(key) != 0; }

const IniDocument::Values* IniDocument::Section(const std::string& key) const {
    auto it = values_.find(key);
    return it == values_.end() ? nullptr : &it->second;
}

bool IniDocument::AdoptLoose(const std::string& key) {
    if (key.empty() || HasSection(key) || firstLoose_ == kNoLine) return false;
    const bool cr = EndsWithCr(lines_[firstLoose_]);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(firstLoose_), "[" + key + "]" + (cr ? "\r" : ""));
    finalNewline_ = true;
    Reparse();
    return true;
}

void IniDocument::AddSection(const std::string& key) {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back("[" + key + "]");
    finalNewline_ = true;
    Reparse();
}

void IniDocument::Set(const std::string& key, const std::string& name, std::uint32_t value) {
    SetText(key, name, std::to_string(value));
}

const std::string* IniDocument::Text(const std::string& key, const std::string& name) const {
    auto k = texts_.find(key);
    if (k == texts_.end()) return nullptr;
    auto v = k->second.find(name);
    return v == k->second.end() ? nullptr : &v->second;
}

void IniDocument::SetText(const std::string& key, const std::string& name, const std::string& value) {
    if (!HasSection(key)) AddSection(key);
    const std::string text = name + "=" + value;
    auto line = valueLine_[key].find(name);
    if (line != valueLine_[key].end()) {
        std::string& old = lines_[line->second];
        old = text + (EndsWithCr(old) ? "\r" : "");
    } else {
        const std::size_t after = lastLineOf_[key];
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after + 1),
                      text + (EndsWithCr(lines_[after]) ? "\r" : ""));
    }
    finalNewline_ = true;
    Reparse();
}

std::string IniDocument::Text() const {
    std::string out = bom_ ? kBom : "";
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i];
        if (i + 1 < lines_.size() || finalNewline_) out += '\n';
    }
    return out;
}

// --- IniSettingsStore --------------------------------------------------------

IniSettingsStore::Parsed IniSettingsStore::Parse(const std::string& text) {
    Parsed out;
    const IniDocument doc(text);
    for (const auto& [section, values] : doc.Sections()) {
        if (section.empty()) continue;
        out.sections[section] = true;
        if (!values.empty()) out.values[section] = values;
    }
    return out;
}

std::string IniSettingsStore::Format(const Parsed& parsed) {
    std::ostringstream out;
    out << kFileHeader;
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

bool IniSettingsStore::Refuse(const std::string& why) {
    problem_ = path_ + " " + why;
    return false;
}

namespace {
std::string SizeLimit() { return std::to_string(IniSettingsStore::kMaxFileBytes >> 20) + " MiB"; }
}  // namespace

bool IniSettingsStore::Load() {
    if (loaded_) return usable_;
    loaded_ = true;
    std::string text;
    switch (ReadStoredFile(path_, text, kMaxFileBytes)) {
        case ReadResult::Read: break;
        case ReadResult::Missing:
            doc_ = IniDocument(kFileHeader);
            usable_ = true;
            return true;
        case ReadResult::NotRegular: return Refuse("is not a regular file: the settings are neither read nor written");
        case ReadResult::TooLarge:
            return Refuse("is larger than " + SizeLimit() + ": the defaults are used and the file is left as it is");
        case ReadResult::Failed: return Refuse("cannot be read: the settings are neither read nor written");
    }
    doc_ = IniDocument(text);
    usable_ = true;
    return true;
}

bool IniSettingsStore::Update(const std::function<void(IniDocument&)>& change) {
    IniDocument merged;
    bool outgrown = false;
    const StoreResult r = UpdateFile(path_, kMaxFileBytes, [&](std::string& text) {
        const bool fresh = text.empty();
        merged = IniDocument(fresh ? std::string(kFileHeader) : text);
        const std::string before = merged.Text();
        change(merged);
        std::string after = merged.Text();
        // The next start would refuse a file past the limit.
        outgrown = after.size() > kMaxFileBytes;
        if (outgrown || (!fresh && after == before)) return false;
        text = std::move(after);
        return true;
    });
    if (outgrown) {
        Refuse("would grow larger than " + SizeLimit() + ": the settings are not written");
        return false;
    }
    const int error = errno;
    switch (r) {
        case StoreResult::Written:
        case StoreResult::Unchanged:
            // Memory follows the file, with what other copies saved meanwhile.
            doc_ = merged;
            problem_.clear();
            return true;
        case StoreResult::NotRegular: return Refuse("is not a regular file: the settings are not written");
        case StoreResult::TooLarge:
            return Refuse("has grown larger than " + SizeLimit() + ": the settings are not written");
        case StoreResult::Locked: return Refuse("is kept locked by another program: the settings are not written");
        case StoreResult::ReadOnly: return Refuse("is read-only: the settings are not written");
        case StoreResult::Failed: return Refuse(std::string("could not be written: ") + std::strerror(error));
    }
    return false;
}

SettingsStore::Disposition IniSettingsStore::CreateKey(const std::string& key) {
    if (!Load()) return Disposition::Failed;
    if (doc_.HasSection(key)) return Disposition::OpenedExisting;
    // Values without their section line (a hand-edited file): they are the
    // key's, and the line is put back with the next write.
    if (doc_.AdoptLoose(key)) return Disposition::OpenedExisting;
    const bool made = Update([&](IniDocument& d) {
        if (!d.HasSection(key) && !d.AdoptLoose(key)) d.AddSection(key);
    });
    return made ? Disposition::CreatedNew : Disposition::Failed;
}

std::optional<std::uint32_t> IniSettingsStore::QueryValue(const std::string& key, const std::string& name) {
    if (!Load()) return std::nullopt;
    const Values* values = doc_.Section(key);
    if (!values) return std::nullopt;
    auto v = values->find(name);
    if (v == values->end()) return std::nullopt;
    return v->second;
}

bool IniSettingsStore::SetValue(const std::string& key, const std::string& name, std::uint32_t value) {
    return SetValues(key, Values{{name, value}});
}

bool IniSettingsStore::SetValues(const std::string& key, const Values& values) {
    if (!Load()) return false;
    // Only these values: whatever else is on disk now stays as it is there.
    return Update([&](IniDocument& d) {
        if (!d.HasSection(key)) d.AdoptLoose(key);
        for (const auto& [name, value] : values) d.Set(key, name, value);
    });
}

bool IniSettingsStore::SetEntries(const std::string& key, const Values& values, const Texts& texts) {
    if (!Load()) return false;
    for (const auto& [name, text] : texts)
        if (text.find_first_of("\r\n") != std::string::npos) return false;
    return Update([&](IniDocument& d) {
        if (!d.HasSection(key)) d.AdoptLoose(key);
        for (const auto& [name, value] : values) d.Set(key, name, value);
        for (const auto& [name, text] : texts) d.SetText(key, name, text);
    });
}

bool IniSettingsStore::EditValue(const std::string& key, const std::string& name, const ValueEdit& edit) {
    if (!Load()) return false;
    return Update([&](IniDocument& d) {
        const Values* stored = d.Section(key);
        std::optional<std::uint32_t> now;
        if (stored)
            if (auto v = stored->find(name); v != stored->end()) now = v->second;
        if (const auto value = edit(now)) {
            if (!d.HasSection(key)) d.AdoptLoose(key);
            d.Set(key, name, *value);
        }
    });
}

std::optional<std::string> IniSettingsStore::QueryText(const std::string& key, const std::string& name) {
    if (!Load()) return std::nullopt;
    const std::string* text = doc_.Text(key, name);
    if (!text) return std::nullopt;
    return *text;
}

bool IniSettingsStore::SetText(const std::string& key, const std::string& name, const std::string& text) {
    if (!Load()) return false;
    if (text.find_first_of("\r\n") != std::string::npos) return false;
    // Only this value, as for the numbers.
    return Update([&](IniDocument& d) {
        if (!d.HasSection(key)) d.AdoptLoose(key);
        d.SetText(key, name, text);
    });
}

}  // namespace platform
