// The browser's HTTP client: Emscripten's fetch, answered on the main thread
// between frames.
#ifdef __EMSCRIPTEN__
#include <emscripten/fetch.h>

#include <cstring>
#include <cstdint>
#include <map>
#include <utility>

#include "platform/http_client.h"

namespace platform {

namespace {

class FetchHttpClient final : public HttpClient {
public:
    FetchHttpClient() = default;
    FetchHttpClient(const FetchHttpClient&) = delete;
    FetchHttpClient& operator=(const FetchHttpClient&) = delete;
    ~FetchHttpClient() override {
        // Closing a fetch under way calls its onerror: answered as cancelled.
        closing_ = true;
        while (!calls_.empty()) {
            const auto it = calls_.begin();
            emscripten_fetch_t* fetch = it->second.fetch;
            if (fetch) emscripten_fetch_close(fetch);
            Finish(it->first, nullptr);
        }
    }

    void Send(HttpRequest request, Done done) override {
        const std::uintptr_t id = ++lastId_;
        Call& call = calls_[id];
        call.owner = this;
        call.id = id;
        call.request = std::move(request);
        call.done = std::move(done);
        emscripten_fetch_attr_t attr;
        emscripten_fetch_attr_init(&attr);
        std::strncpy(attr.requestMethod, call.request.method.c_str(), sizeof attr.requestMethod - 1);
        attr.attributes = EMSCRIPTEN_FETCH_LOAD_TO_MEMORY;
        attr.userData = &call;  // a map's element stays where it is until erased
        attr.onsuccess = Answered;
        attr.onerror = Answered;
        const char* headers[] = {"Content-Type", call.request.contentType.c_str(), nullptr};
        if (call.request.method == "POST") {
            attr.requestHeaders = headers;
            attr.requestData = call.request.body.data();
            attr.requestDataSize = call.request.body.size();
        }
        emscripten_fetch_t* fetch = emscripten_fetch(&attr, call.request.url.c_str());
        // An answer may have come at once (a refused address).
        const auto it = calls_.find(id);
        if (it == calls_.end()) return;
        it->second.fetch = fetch;
        if (!fetch) Finish(id, nullptr);
    }

private:
    struct Call {
        FetchHttpClient* owner = nullptr;
        std::uintptr_t id = 0;
        HttpRequest request;
        Done done;
        emscripten_fetch_t* fetch = nullptr;
    };

    static void Answered(emscripten_fetch_t* fetch) {
        const auto* call = static_cast<const Call*>(fetch->userData);
        call->owner->Finish(call->id, fetch);
    }

    void Finish(std::uintptr_t id, emscripten_fetch_t* fetch) {
        const auto it = calls_.find(id);
        if (it == calls_.end()) return;
        Done done = std::move(it->second.done);
        calls_.erase(it);
        HttpResponse r;
        if (closing_ || !fetch) {
            r.cancelled = closing_;
            r.error = closing_ ? "cancelled" : "the request could not start";
        } else if (fetch->status == 0) {
            r.error = "the server cannot be reached";
        } else if (fetch->numBytes > kMaxAnswerBytes) {
            r.error = "the answer is too large";
        } else {
            r.status = fetch->status;
            if (fetch->data) r.body.assign(fetch->data, static_cast<std::size_t>(fetch->numBytes));
        }
        if (fetch && !closing_) emscripten_fetch_close(fetch);
        done(std::move(r));
    }

    std::map<std::uintptr_t, Call> calls_;
    std::uintptr_t lastId_ = 0;
    bool closing_ = false;
};

}  // namespace

std::unique_ptr<HttpClient> MakeHttpClient() { return std::make_unique<FetchHttpClient>(); }

}  // namespace platform
#endif
