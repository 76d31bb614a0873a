// The desktop's HTTP client: libcurl's easy interface, one thread a request.
#ifdef DW_HAVE_CURL
#include <curl/curl.h>

#include <atomic>
#include <list>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/http_client.h"

namespace platform {

namespace {

// How long a request may take: the score server replays a whole game before
// it answers a submission.
constexpr long kConnectSeconds = 10;
constexpr long kRequestSeconds = 120;

struct Transfer {
    std::string body;
    bool tooLarge = false;
    const std::atomic<bool>* cancel = nullptr;
};

std::size_t TakeBytes(char* data, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    if (t->body.size() + n > HttpClient::kMaxAnswerBytes) {
        t->tooLarge = true;
        return 0;  // ends the transfer
    }
    t->body.append(data, n);
    return n;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(user)->cancel->load() ? 1 : 0;
}

HttpResponse Perform(const HttpRequest& request, const std::atomic<bool>& cancel) {
    HttpResponse response;
    CURL* curl = curl_easy_init();
    if (!curl) {
        response.error = "the network library could not start";
        return response;
    }
    Transfer transfer;
    transfer.cancel = &cancel;
    char errorText[CURL_ERROR_SIZE] = {};
    curl_slist* headers = nullptr;
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kRequestSeconds);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, TakeBytes);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Duskwhirl2/" DW_VERSION);
    if (request.method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        headers = curl_slist_append(headers, ("Content-Type: " + request.contentType).c_str());
        headers = curl_slist_append(headers, "Expect:");  // no wait for "100 Continue"
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    }
    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK) {
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        response.status = static_cast<int>(status);
        response.body = std::move(transfer.body);
    } else if (transfer.tooLarge) {
        response.error = "the answer is too large";
    } else if (code == CURLE_ABORTED_BY_CALLBACK) {
        response.cancelled = true;
        response.error = "cancelled";
    } else {
        response.error = errorText[0] ? errorText : curl_easy_strerror(code);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return response;
}

class CurlHttpClient final : public HttpClient {
public:
    CurlHttpClient() {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    }
    ~CurlHttpClient() override {
        cancel_ = true;
        // An answer may send again while the threads are joined: those
        // requests are answered at once, and their threads joined too.
        for (;;) {
            std::list<Worker> workers;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                workers.swap(workers_);
            }
            if (workers.empty()) break;
            for (Worker& w : workers) w.thread.join();
        }
    }
    CurlHttpClient(const CurlHttpClient&) = delete;
    CurlHttpClient& operator=(const CurlHttpClient&) = delete;

    void Send(HttpRequest request, Done done) override {
        if (cancel_) {
            HttpResponse response;
            response.cancelled = true;
            response.error = "cancelled";
            done(std::move(response));
            return;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        // The threads of answered requests are joined as new ones start.
        for (auto it = workers_.begin(); it != workers_.end();) {
            if (it->finished->load()) {
                it->thread.join();
                it = workers_.erase(it);
            } else {
                ++it;
            }
        }
        Worker& w = workers_.emplace_back();
        w.finished = std::make_shared<std::atomic<bool>>(false);
        w.thread = std::thread([this, finished = w.finished, r = std::move(request), d = std::move(done)] {
            HttpResponse response = Perform(r, cancel_);
            if (cancel_) response.cancelled = true;
            d(std::move(response));
            finished->store(true);
        });
    }

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    std::atomic<bool> cancel_{false};
    std::mutex mutex_;
    std::list<Worker> workers_;
};

}  // namespace

std::unique_ptr<HttpClient> MakeHttpClient() { return std::make_unique<CurlHttpClient>(); }

}  // namespace platform
#endif
