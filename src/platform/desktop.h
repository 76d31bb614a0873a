#pragma once
// Desktop seam: the user's language and opening a page in the desktop's
// web browser. The real one asks SDL to open the address and reads the
// language from the locale variables; the recording one keeps the
// addresses it was asked to open.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class Desktop {
public:
    virtual ~Desktop() = default;
    // Windows language identifier of the user (primary language in the low
    // ten bits, sub-language above).
    virtual std::uint16_t UserDefaultLangID() = 0;
    // Asks the browser to open `url`. False when that could not be asked.
    virtual bool OpenUrl(const std::string& url) = 0;
};

class SdlDesktop final : public Desktop {
public:
    std::uint16_t UserDefaultLangID() override;
    bool OpenUrl(const std::string& url) override;
};

// The user's language, but no browser: headless runs and replays, which
// must never reach the desktop, keep the addresses they were asked to open.
class QuietDesktop final : public Desktop {
public:
    std::uint16_t UserDefaultLangID() override { return real_.UserDefaultLangID(); }
    bool OpenUrl(const std::string& url) override {
        opened.push_back(url);
        return false;
    }
    std::vector<std::string> opened;

private:
    SdlDesktop real_;
};

class RecordingDesktop final : public Desktop {
public:
    std::uint16_t UserDefaultLangID() override { return langId; }
    bool OpenUrl(const std::string& url) override {
        opened.push_back(url);
        return result;
    }
    std::uint16_t langId = 0x0409;  // English (United States)
    bool result = true;
    std::vector<std::string> opened;
};

// Windows primary language number of a POSIX locale name such as
// "de_DE.UTF-8" or "pt_BR"; 9 (English) for "C", "POSIX", empty or unknown.
std::uint16_t PrimaryLanguageOfLocale(const std::string& locale);
// The locale that counts for messages: LC_ALL, else LC_MESSAGES, else LANG.
std::string MessagesLocale();

// A file:// address for an absolute path (characters outside the
// unreserved set percent-encoded).
std::string FileUrl(const std::string& absolutePath);

}  // namespace platform
