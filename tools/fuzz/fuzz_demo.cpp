// libFuzzer entry for the demo file reader. Not part of the default build;
// from the repository root:
//   clang++ -std=c++20 -g -fsanitize=fuzzer,address,undefined -Isrc tools/fuzz/fuzz_demo.cpp
//           src/app/demo.cpp src/platform/input_scripted.cpp -o fuzz_demo
// Seeds: bench/*.dwdemo.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/demo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dw::Demo demo;
    std::string error;
    if (!dw::DecodeDemo(data, size, demo, error)) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    // Whatever was accepted indexes only its own key changes ...
    for (const dw::DemoFrame& f : demo.frames) {
        if (f.keyBegin + f.keyCount > demo.keyChanges.size()) std::abort();
        if (f.stepMs == 0) std::abort();
    }
    // ... and writes back to the very same bytes; an older version is
    // written as the current one, which reads back to the same demo.
    const std::vector<std::uint8_t> again = dw::EncodeDemo(demo);
    const bool current = size >= 8 && (data[6] | data[7] << 8) == dw::kDemoVersion;
    if (current) {
        if (again.size() != size || !std::equal(again.begin(), again.end(), data)) std::abort();
    } else {
        dw::Demo reread;
        if (!dw::DecodeDemo(again.data(), again.size(), reread, error)) std::abort();
        if (dw::EncodeDemo(reread) != again) std::abort();
    }
    return 0;
}
