// libFuzzer entry for demo playback: a demo that decodes, however odd its
// values (a clock about to wrap, the largest window, a minute's step, the
// widest mouse motion, every key at once), plays back headless, as
// --replay plays it, on the shipped data when the build has it. The replay
// ends when the demo does, or after kMaxFrames, never earlier.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "app/demo.h"
#include "common/demo_session.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

constexpr std::size_t kMaxFrames = 900;  // keeps each run under a second

// A user directory of this process's own, for the log and the stored files.
const std::string& UserDir() {
    static const std::string dir = [] {
        const auto d = std::filesystem::temp_directory_path() / ("dw-fuzz-replay-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dw::Demo demo;
    std::string error;
    if (!dw::DecodeDemo(data, size, demo, error)) return 0;
    if (demo.frames.size() > kMaxFrames) demo.frames.resize(kMaxFrames);

    dw::SessionOptions options;
    options.replay = &demo;
    options.headless.userDir = UserDir();
    options.headless.quietSound = true;
#if defined(DW_FUZZ_GAME_DATA)
    options.headless.dataFile = DW_FUZZ_GAME_DATA;
#elif defined(DW_BUILD_DIR)
    options.headless.dataFile = DW_BUILD_DIR "/gamedata.res";
#endif
    dw::DemoSession session(options);
    Check(session.Start(error));
    std::size_t played = 0;
    while (session.Step()) ++played;
    Check(played <= demo.frames.size());
    Check(session.replayDone() || session.game().closed());
    return 0;
}
