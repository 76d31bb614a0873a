#include "platform/resource_library.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/stored_file.h"

namespace platform {

namespace {

struct ZipModule final : LibraryModule {
    ZipArchive archive;
    // Extracted entries, kept until the library is freed.
    std::map<int, std::vector<std::uint8_t>> loaded;
};

ZipModule* AsZip(LibraryModule* m) { return static_cast<ZipModule*>(m); }

bool IsFile(const std::string& path) { return IsRegularFile(path); }

}  // namespace

ZipResourceLibrary::~ZipResourceLibrary() = default;

std::string ZipResourceLibrary::Resolve(const char* fileName) const {
    if (!override_.empty()) return IsFile(override_) ? override_ : std::string{};
    if (!fileName || !*fileName) return {};
    const std::string name = fileName;
    if (name.front() == '/') return IsFile(name) ? name : std::string{};
    for (const auto& dir : searchDirs_) {
        std::string path = dir;
        if (!path.empty()) path += '/';
        path += name;
        if (IsFile(path)) return path;
    }
    return IsFile(name) ? name : std::string{};
}

LibraryModule* ZipResourceLibrary::LoadLibrary(const char* fileName) {
    const std::string path = Resolve(fileName);
    if (path.empty()) return nullptr;
    // Never a blocking open: whatever replaced the file since Resolve() (a
    // FIFO, a device) is refused by the check after opening.
    const int fd = OpenRegularReadFd(path);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
        ::close(fd);
        return nullptr;
    }
    auto module = std::make_unique<ZipModule>();
    if (!module->archive.OpenFd(fd)) return nullptr;  // the archive closes fd
    return module.release();
}

ResourceHandle ZipResourceLibrary::FindResource(LibraryModule* module, const char* name) {
    if (!module || !name) return {};
    return ResourceHandle{AsZip(module)->archive.Find(name)};
}

std::uint32_t ZipResourceLibrary::SizeofResource(LibraryModule* module, ResourceHandle res) {
    if (!module || !res) return 0;
    const auto& entries = AsZip(module)->archive.entries();
    if (static_cast<std::size_t>(res.index) >= entries.size()) return 0;
    const std::uint64_t size = entries[static_cast<std::size_t>(res.index)].size;
    return size > 0xFFFFFFFFull ? 0 : static_cast<std::uint32_t>(size);
}

bool ZipResourceLibrary::LoadResource(LibraryModule* module, ResourceHandle res) {
    if (!module || !res) return false;
    ZipModule* m = AsZip(module);
    if (m->loaded.count(res.index)) return true;
    std::vector<std::uint8_t> bytes;
    if (!m->archive.Extract(res.index, bytes)) return false;
    m->loaded.emplace(res.index, std::move(bytes));
    return true;
}

const std::uint8_t* ZipResourceLibrary::LockResource(LibraryModule* module, ResourceHandle res) {
    if (!module || !res) return nullptr;
    ZipModule* m = AsZip(module);
    auto it = m->loaded.find(res.index);
    if (it == m->loaded.end()) return nullptr;
    // An empty entry still gets a pointer: it was loaded.
    static const std::uint8_t kEmpty = 0;
    return it->second.empty() ? &kEmpty : it->second.data();
}

void ZipResourceLibrary::FreeLibrary(LibraryModule* module) { delete AsZip(module); }

// ---------------------------------------------------------------------------

namespace {
struct MemoryModule final : LibraryModule {
    std::vector<const std::vector<std::uint8_t>*> byIndex;
    std::map<std::string, int> index;
};
}  // namespace

LibraryModule* MemoryResourceLibrary::LoadLibrary(const char*) {
    ++loadCalls;
    if (failOpen) return nullptr;
    auto* m = new MemoryModule;
    for (const auto& [name, bytes] : blocks) {
        m->index.emplace(name, static_cast<int>(m->byIndex.size()));
        m->byIndex.push_back(&bytes);
    }
    ++openCount;
    return m;
}

ResourceHandle MemoryResourceLibrary::FindResource(LibraryModule* module, const char* name) {
    if (!module || !name) return {};
    auto* m = static_cast<MemoryModule*>(module);
    auto it = m->index.find(name);
    return it == m->index.end() ? ResourceHandle{} : ResourceHandle{it->second};
}

std::uint32_t MemoryResourceLibrary::SizeofResource(LibraryModule* module, ResourceHandle res) {
    if (!module || !res) return 0;
    return static_cast<std::uint32_t>(
        static_cast<MemoryModule*>(module)->byIndex[static_cast<std::size_t>(res.index)]->size());
}

bool MemoryResourceLibrary::LoadResource(LibraryModule* module, ResourceHandle res) { return module && res; }

const std::uint8_t* MemoryResourceLibrary::LockResource(LibraryModule* module, ResourceHandle res) {
    if (!module || !res) return nullptr;
    return static_cast<MemoryModule*>(module)->byIndex[static_cast<std::size_t>(res.index)]->data();
}

void MemoryResourceLibrary::FreeLibrary(LibraryModule* module) {
    if (!module) return;
    --openCount;
    delete static_cast<MemoryModule*>(module);
}

}  // namespace platform
