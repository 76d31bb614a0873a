// libFuzzer entry for the high-score table reader. Not part of the default
// build; from the repository root:
//   clang++ -std=c++20 -fsanitize=fuzzer,address,undefined -Isrc
//           tools/fuzz/fuzz_records.cpp src/frontend/records_table.cpp -o fuzz_records
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "frontend/records_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dw::RecordTable t = dw::ParseRecordTable(data, size);
    // Every name ends within its field.
    for (const auto& name : t.names)
        if (std::memchr(name, 0, dw::RecordTable::kNameBytes) == nullptr) std::abort();
    // Writing and reading again gives the same table.
    const std::string bytes = dw::SerializeRecordTable(t);
    if (bytes.size() != dw::RecordTable::kFileSize) std::abort();
    const dw::RecordTable again =
        dw::ParseRecordTable(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    if (dw::SerializeRecordTable(again) != bytes) std::abort();
    // Insertion and the cap keep the table in order of its slots.
    dw::CapScores(t);
    for (auto s : t.scores)
        if (s > dw::RecordTable::kScoreCap) std::abort();
    const std::uint32_t score = size >= 4 ? static_cast<std::uint32_t>(data[0]) << 16 | data[1] << 8 | data[2] : 0;
    const int place = dw::InsertionPlace(t, score);
    if (place < 0 || place > dw::RecordTable::kPlaces) std::abort();
    dw::InsertScore(t, place, score);
    // The replays' names after the table: only names of the replays folder,
    // and they read back as written.
    const dw::RecordReplays replays = dw::ParseRecordReplays(data, size);
    for (const std::string& f : replays.files)
        if (!f.empty() && (!dw::IsTableReplayName(f) || f.find('/') != std::string::npos)) std::abort();
    if (replays.listed) {
        const std::string listed = bytes + dw::SerializeRecordReplays(replays);
        const dw::RecordReplays back =
            dw::ParseRecordReplays(reinterpret_cast<const std::uint8_t*>(listed.data()), listed.size());
        if (back.files != replays.files) std::abort();
    }
    return 0;
}
