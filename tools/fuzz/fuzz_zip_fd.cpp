// libFuzzer entry for the resource archive as the game opens it for play:
// a file (here a memfd) opened by the resource library, which hands its
// descriptor to the archive reader, and each entry found, sized, loaded and
// locked by name. Whatever the bytes, the file gives the same entries and
// the same contents as the same bytes opened from memory (the reader the
// game checks the data file with before it starts).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "memory_file.h"
#include "platform/resource_library.h"
#include "platform/zip_archive.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

constexpr std::size_t kMaxEntries = 64;
constexpr std::uint64_t kMaxEntrySize = 1u << 20;  // keeps runs small

// The archive opened from a descriptor agrees with the one from memory.
void CompareWithMemory(const std::uint8_t* data, std::size_t size, int fd) {
    platform::ZipArchive fromFile, fromMemory;
    const bool fileOpened = fromFile.OpenFd(fd);
    const bool memoryOpened = fromMemory.Open(data, size);
    Check(fileOpened == memoryOpened);
    if (!fileOpened) return;
    const auto& a = fromFile.entries();
    const auto& b = fromMemory.entries();
    Check(a.size() == b.size());
    std::vector<std::uint8_t> x, y;
    for (std::size_t i = 0; i < a.size() && i < kMaxEntries; ++i) {
        Check(a[i].name == b[i].name && a[i].size == b[i].size && a[i].crc == b[i].crc);
        if (a[i].size > kMaxEntrySize) continue;
        const bool gotX = fromFile.Extract(static_cast<int>(i), x);
        const bool gotY = fromMemory.Extract(static_cast<int>(i), y);
        Check(gotX == gotY && x == y);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::MemoryFile file("gamedata.res");
    file.Hold(data, size);
    CompareWithMemory(data, size, file.Reopen());

    platform::ZipResourceLibrary library;
    platform::LibraryModule* module = library.LoadLibrary(file.path().c_str());
    if (!module) return 0;
    platform::ZipArchive archive;
    Check(archive.Open(data, size));
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < archive.entries().size() && i < kMaxEntries; ++i) {
        const platform::ZipArchive::Entry& e = archive.entries()[i];
        const platform::ResourceHandle res = library.FindResource(module, e.name.c_str());
        Check(static_cast<bool>(res));
        if (e.size > kMaxEntrySize) continue;
        const std::uint32_t length = library.SizeofResource(module, res);
        if (!library.LoadResource(module, res)) continue;
        const std::uint8_t* locked = library.LockResource(module, res);
        Check(locked != nullptr);
        // What is locked is the entry of that name, whole.
        Check(archive.Extract(archive.Find(e.name), bytes) && bytes.size() == length);
        Check(length == 0 || std::memcmp(locked, bytes.data(), length) == 0);
    }
    library.FreeLibrary(module);
    return 0;
}
