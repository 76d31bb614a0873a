#include "platform/desktop.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/web_page.h"

namespace platform {

namespace {

struct LanguageCode {
    const char* code;
    std::uint16_t primary;
};

// ISO 639-1 codes and the Windows primary language numbers.
constexpr LanguageCode kLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06}, {"de", 0x07}, {"el", 0x08},
    {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C}, {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10},
    {"ja", 0x11}, {"ko", 0x12}, {"nl", 0x13}, {"nb", 0x14}, {"nn", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16},
    {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sr", 0x1A}, {"bs", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D},
    {"th", 0x1E}, {"tr", 0x1F}, {"ur", 0x20}, {"id", 0x21}, {"uk", 0x22}, {"be", 0x23}, {"sl", 0x24}, {"et", 0x25},
    {"lv", 0x26}, {"lt", 0x27}, {"fa", 0x29}, {"vi", 0x2A}, {"hy", 0x2B}, {"eu", 0x2D}, {"mk", 0x2F}, {"af", 0x36},
    {"ka", 0x37}, {"hi", 0x39}, {"ms", 0x3E}, {"kk", 0x3F},
};

}  // namespace

std::uint16_t PrimaryLanguageOfLocale(const std::string& locale) {
    // The language is the part before '_', '.', '@' or '-'.
    std::string code;
    for (char ch : locale) {
        if (ch == '_' || ch == '.' || ch == '@' || ch == '-') break;
        code += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    }
    for (const auto& l : kLanguages)
        if (code == l.code) return l.primary;
    return 0x09;
}

std::string MessagesLocale() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return value;
    }
    return {};
}

std::uint16_t SdlDesktop::UserDefaultLangID() {
    // Sub-language 1 (the language's main country) above the primary number.
    return static_cast<std::uint16_t>((1u << 10) | PrimaryLanguageOfLocale(MessagesLocale()));
}

bool SdlDesktop::OpenUrl(const std::string& url) {
    // In the browser the page opens it in a new tab.
    if (kInBrowser) return OpenOnPage(url);
    return !url.empty() && SDL_OpenURL(url.c_str()) == 0;
}

std::string FileUrl(const std::string& absolutePath) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char ch : absolutePath) {
        const bool plain = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
            std::strchr("-._~/", ch) != nullptr;
        if (plain && ch) {
            url += static_cast<char>(ch);
        } else {
            url += '%';
            url += kHex[ch >> 4];
            url += kHex[ch & 15];
        }
    }
    return url;
}

}  // namespace platform
