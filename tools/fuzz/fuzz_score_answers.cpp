// libFuzzer entry for what the game reads from the score server (its JSON
// answers) and from its own outbox (a name and a demo in one file).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/score_server.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto list = platform::ParseScoreList(text)) {
        if (list->size() > platform::kMaxBoard) std::abort();
        for (const platform::OnlineScore& s : *list)
            if (s.name.size() > 256 || s.date.size() > 256) std::abort();
    }
    platform::ParseSubmitAnswer(text);
    if (platform::ParseRefusal(text).size() > 256) std::abort();
    // An outbox entry read back is the one written.
    std::string name, demo;
    if (platform::DecodeOutboxEntry(text, name, demo)) {
        std::string again, demoAgain;
        if (!platform::DecodeOutboxEntry(platform::EncodeOutboxEntry(name, demo), again, demoAgain)) std::abort();
        if (again != name || demoAgain != demo) std::abort();
    }
    return 0;
}
