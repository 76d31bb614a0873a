#pragma once
// The network seam: HTTP requests made in the background. A request is
// handed over with the function that takes its answer; Send never waits.
// The answer comes on a thread of the client's (libcurl) or on the main
// thread between frames (the browser), so whoever takes it guards what it
// shares. Destroying the client cancels what is still under way: those
// requests are answered with `cancelled` set before the destructor returns.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace platform {

struct HttpRequest {
    std::string method = "GET";  // GET or POST
    std::string url;
    std::string contentType;  // of the body (POST)
    std::string body;
};

struct HttpResponse {
    int status = 0;     // the HTTP status; 0 when no answer came (`error` says why)
    std::string body;   // at most HttpClient::kMaxAnswerBytes
    std::string error;  // why there is no answer: unreachable, timed out, too large
    bool cancelled = false;
};

class HttpClient {
public:
    // An answer longer than this is not taken (the request fails).
    static constexpr std::size_t kMaxAnswerBytes = 1 << 20;
    using Done = std::function<void(HttpResponse)>;

    virtual ~HttpClient() = default;
    // Starts a request; `done` is called once with its answer.
    virtual void Send(HttpRequest request, Done done) = 0;
    // Why this build cannot make requests (empty when it can).
    virtual std::string Unavailable() const { return {}; }
};

// The client this build has: libcurl on the desktop, the page's fetch in the
// browser, else one that answers every request with kNoNetworkInBuild.
std::unique_ptr<HttpClient> MakeHttpClient();

inline constexpr char kNoNetworkInBuild[] = "online scores are not available in this build";

// Answers every request at once with kNoNetworkInBuild.
class UnavailableHttpClient final : public HttpClient {
public:
    void Send(HttpRequest request, Done done) override;
    std::string Unavailable() const override { return kNoNetworkInBuild; }
};

// `text` with every byte but the unreserved ones of a URL (letters, digits,
// - . _ ~) written as %XX.
std::string UrlEncode(const std::string& text);

}  // namespace platform
