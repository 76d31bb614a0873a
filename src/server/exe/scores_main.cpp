// duskwhirl-scores: the score server (see src/server/service.h), or with
// --verify the child that replays one demo for it.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "server/options.h"
#include "server/service.h"
#include "server/store.h"
#include "server/verifier.h"

namespace {

std::string OwnProgram(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(argv0) : self.string();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace dw::server;
    ServerOptions o;
    std::string error;
    if (!ParseServerOptions(std::vector<std::string>(argv + 1, argv + argc), o, error)) {
        std::fprintf(stderr, "duskwhirl-scores: %s\n", error.c_str());
        return 2;
    }
    if (o.help) {
        std::fputs(ServerUsage().c_str(), stdout);
        return 0;
    }
    if (o.version) {
        std::printf("duskwhirl-scores %s\n", DW_VERSION);
        return 0;
    }
    if (o.verify) return RunVerifierChild(o.dataFile, o.service.maxBody);

    std::unique_ptr<Store> store = OpenStore(o.db, error);
    if (!store) {
        std::fprintf(stderr, "duskwhirl-scores: %s\n", error.c_str());
        return 1;
    }
    Verifier::Options v;
    v.program = OwnProgram(argv[0]);
    v.dataFile = o.dataFile;
    const char* tmp = std::getenv("TMPDIR");
    v.scratch = !o.scratch.empty() ? o.scratch : tmp && *tmp ? tmp : "/tmp";
    v.maxBytes = o.service.maxBody;
    v.limits = o.limits;
    const Verifier verifier(v);
    if (!verifier.SelfTest(error)) {
        std::fprintf(stderr, "duskwhirl-scores: the replays do not run here: %s\n", error.c_str());
        return 1;
    }
    Service service(
        *store, [&verifier](const std::string& demo) { return verifier.Verify(demo); }, o.service);
    httplib::Server server;
    service.Mount(server);
    if (!o.webRoot.empty() && !server.set_mount_point("/play", o.webRoot)) {
        std::fprintf(stderr, "duskwhirl-scores: --web-root %s is not a directory\n", o.webRoot.c_str());
        return 1;
    }
    server.set_read_timeout(30);
    server.set_write_timeout(30);
    if (!server.bind_to_port(o.host, o.port)) {
        std::fprintf(stderr, "duskwhirl-scores: cannot listen on %s:%d\n", o.host.c_str(), o.port);
        return 1;
    }
    // SIGINT and SIGTERM stop the server from a thread of its own, which
    // waits for them (blocked in every other thread).
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    std::thread stopper([&server, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });
    stopper.detach();
    std::fprintf(stderr, "duskwhirl-scores: serving http://%s:%d/ with %s (schema version %d)\n", o.host.c_str(),
                 o.port, o.db.c_str(), store->SchemaVersion());
    return server.listen_after_bind() ? 0 : 1;
}
