#include "platform/http_client.h"

#include <utility>

namespace platform {

void UnavailableHttpClient::Send(HttpRequest, Done done) {
    HttpResponse r;
    r.error = kNoNetworkInBuild;
    done(std::move(r));
}

std::string UrlEncode(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        const bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' ||
            b == '.' || b == '_' || b == '~';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

#if !defined(DW_HAVE_CURL) && !defined(__EMSCRIPTEN__)
std::unique_ptr<HttpClient> MakeHttpClient() { return std::make_unique<UnavailableHttpClient>(); }
#endif

}  // namespace platform
