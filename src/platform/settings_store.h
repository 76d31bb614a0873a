#pragma once
// Settings seam: a small registry of keys holding 32-bit values. The real
// store is an INI file ("settings.ini" in the user directory) with one
// section per key; tests use the in-memory store.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class SettingsStore {
public:
    enum class Disposition { Failed, CreatedNew, OpenedExisting };
    using Values = std::map<std::string, std::uint32_t>;

    virtual ~SettingsStore() = default;
    // RegCreateKeyEx: opens the key, creating it when missing.
    virtual Disposition CreateKey(const std::string& key) = 0;
    // RegQueryValueEx of a 32-bit value; nullopt when absent or not a number.
    virtual std::optional<std::uint32_t> QueryValue(const std::string& key, const std::string& name) = 0;
    // RegSetValueEx of a 32-bit value; false when it could not be stored.
    virtual bool SetValue(const std::string& key, const std::string& name, std::uint32_t value) = 0;
    // The text of a value as the file holds it (a number too); nullopt
    // when absent. The key names of the controls are texts.
    virtual std::optional<std::string> QueryText(const std::string& key, const std::string& name);
    // Stores a text value (one line, no '=' needed to be escaped); false
    // when it could not be stored or the store keeps numbers only.
    virtual bool SetText(const std::string&, const std::string&, const std::string&) { return false; }
    // Several values that belong together, stored as one change (all or none).
    virtual bool SetValues(const std::string& key, const Values& values);
    using Texts = std::map<std::string, std::string>;
    // Numbers and texts that belong together, as one change (all or none).
    virtual bool SetEntries(const std::string& key, const Values& values, const Texts& texts);
    // Read-modify-write of one value: `edit` is given the value stored now
    // (another copy of the game may have changed it) and returns the value
    // to store, or nullopt to keep it.
    using ValueEdit = std::function<std::optional<std::uint32_t>(std::optional<std::uint32_t> stored)>;
    virtual bool EditValue(const std::string& key, const std::string& name, const ValueEdit& edit);
    // Why the store cannot be used, for the log (empty when it can).
    virtual std::string Problem() const { return {}; }
};

class MemorySettingsStore final : public SettingsStore {
public:
    Disposition CreateKey(const std::string& key) override;
    std::optional<std::uint32_t> QueryValue(const std::string& key, const std::string& name) override;
    bool SetValue(const std::string& key, const std::string& name, std::uint32_t value) override;
    std::optional<std::string> QueryText(const std::string& key, const std::string& name) override;
    bool SetText(const std::string& key, const std::string& name, const std::string& text) override;

    std::map<std::string, Values> keys;
    std::map<std::string, std::map<std::string, std::string>> texts;
    bool failCreate = false;
};

// The text of an INI file as lines, edited in place: a value is set by
// changing its own line (or adding one to its section), so comments, lines
// the reader does not understand and their order survive a rewrite.
// Reading rules: a UTF-8 byte-order mark is skipped (and kept); blank lines
// and lines starting with ';' or '#' are comments; "[name]" opens a section;
// "name=value" inside a section sets a value when the value is a plain
// decimal number within 32 bits (anything else reads as absent), the last
// line of a name counting. Lines longer than 4 KiB are not read. Values
// before the first section line are "loose": a file whose section line was
// lost still has them (see AdoptLoose).
class IniDocument {
public:
    static constexpr std::size_t kMaxLine = 4096;
    using Values = SettingsStore::Values;

    explicit IniDocument(const std::string& text = {});
    bool HasSection(const std::string& key) const;
    // The values of a section (the loose ones for an empty key).
    const Values* Section(const std::string& key) const;
    // Gives the loose values a section line of `key` (when the file has no
    // section of that name): true when there were any.
    bool AdoptLoose(const std::string& key);
    // Adds an empty section at the end.
    void AddSection(const std::string& key);
    // Sets a value, adding its section when missing.
    void Set(const std::string& key, const std::string& name, std::uint32_t value);
    void SetText(const std::string& key, const std::string& name, const std::string& text);
    // The text of a value (trimmed), null when the section has no such line.
    const std::string* Text(const std::string& key, const std::string& name) const;
    std::string Text() const;
    // Every section seen, with its values ("" holds the loose values).
    const std::map<std::string, Values>& Sections() const { return values_; }

private:
    void Reparse();
    // "[name]" at line i: that section's values follow (false for a broken
    // header or an empty name: no section's values until the next header).
    bool OpenSection(const std::string& line, std::size_t i, std::string& section);
    // "name = value" at line i, into the section `key` ("": before any).
    void TakeValue(const std::string& line, std::size_t i, const std::string& key);
    bool bom_ = false;
    bool finalNewline_ = true;
    std::vector<std::string> lines_;
    // Filled by Reparse: values per section, and for each section the line
    // of its header ("" : -1) and of each value.
    std::map<std::string, Values> values_;
    std::map<std::string, std::map<std::string, std::string>> texts_;
    std::map<std::string, std::map<std::string, std::size_t>> valueLine_;
    std::map<std::string, std::size_t> lastLineOf_;  // last header or value line
    std::size_t firstLoose_ = 0;
};

// INI file ("settings.ini"). Read once, on first use, and kept in memory.
// A change is made to the file as it is on disk at that moment, under its
// lock (platform::UpdateFile), and writes only the values changed: another
// copy of the game saving in between keeps what it saved; a failed write
// leaves its reason in Problem(). The file is
// replaced through a temporary file and a rename, or in place through a link
// or in a directory that cannot be written. A file that is not regular (FIFO,
// directory, device), cannot be read or is larger than kMaxFileBytes is never
// written: every call fails and Problem() says why.
class IniSettingsStore final : public SettingsStore {
public:
    static constexpr std::size_t kMaxFileBytes = 1u << 20;

    explicit IniSettingsStore(std::string path) : path_(std::move(path)) {}
    Disposition CreateKey(const std::string& key) override;
    std::optional<std::uint32_t> QueryValue(const std::string& key, const std::string& name) override;
    bool SetValue(const std::string& key, const std::string& name, std::uint32_t value) override;
    std::optional<std::string> QueryText(const std::string& key, const std::string& name) override;
    bool SetText(const std::string& key, const std::string& name, const std::string& text) override;
    bool SetValues(const std::string& key, const Values& values) override;
    bool SetEntries(const std::string& key, const Values& values, const Texts& texts) override;
    bool EditValue(const std::string& key, const std::string& name, const ValueEdit& edit) override;
    std::string Problem() const override { return problem_; }

    const std::string& path() const { return path_; }

    // Parser, exposed for tests and the fuzzer: section -> name -> value
    // (only valid numbers kept); `sections` lists every section seen.
    struct Parsed {
        std::map<std::string, Values> values;
        std::map<std::string, bool> sections;
    };
    static Parsed Parse(const std::string& text);
    static std::string Format(const Parsed& parsed);

private:
    bool Load();
    // Sets the problem to the path followed by `why`; false.
    bool Refuse(const std::string& why);
    // Applies `change` to the file on disk and, once written, to memory. A
    // change that would make the file larger than kMaxFileBytes is not made.
    bool Update(const std::function<void(IniDocument&)>& change);
    std::string path_;
    bool loaded_ = false, usable_ = false;
    IniDocument doc_;
    std::string problem_;
};

}  // namespace platform
