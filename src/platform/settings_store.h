#pragma once
// Settings seam: a small registry of keys holding 32-bit values. The real
// store is an INI file ("settings.ini" in the user directory) with one
// section per key; tests use the in-memory store.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace platform {

class SettingsStore {
public:
    enum class Disposition { Failed, CreatedNew, OpenedExisting };
    using Values = std::map<std::string, std::uint32_t>;

    virtual ~SettingsStore() = default;
    // RegCreateKeyEx: opens the key, creating it when missing.
    virtual Disposition CreateKey(const std::string& key) = 0;
    // RegQueryValueEx of a 32-bit value; nullopt when absent or not a number.
    virtual std::optional<std::uint32_t> QueryValue(const std::string& key,
                                                    const std::string& name) = 0;
    // RegSetValueEx of a 32-bit value; false when it could not be stored.
    virtual bool SetValue(const std::string& key, const std::string& name,
                          std::uint32_t value) = 0;
};

class MemorySettingsStore final : public SettingsStore {
public:
    Disposition CreateKey(const std::string& key) override;
    std::optional<std::uint32_t> QueryValue(const std::string& key,
                                            const std::string& name) override;
    bool SetValue(const std::string& key, const std::string& name, std::uint32_t value) override;

    std::map<std::string, Values> keys;
    bool failCreate = false;
};

// INI file. Reads the file afresh on every call and rewrites it whole (via a
// temporary file and rename) on every change, so that a crash never leaves a
// half-written file. Lines that do not parse are ignored; values that are not
// plain decimal numbers within 32 bits read as absent; of duplicate names the
// last one counts.
class IniSettingsStore final : public SettingsStore {
public:
    explicit IniSettingsStore(std::string path) : path_(std::move(path)) {}
    Disposition CreateKey(const std::string& key) override;
    std::optional<std::uint32_t> QueryValue(const std::string& key,
                                            const std::string& name) override;
    bool SetValue(const std::string& key, const std::string& name, std::uint32_t value) override;

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
    bool Load(Parsed& out, bool& exists) const;
    bool Save(const Parsed& parsed) const;
    std::string path_;
};

}  // namespace platform
