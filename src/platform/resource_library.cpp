#include "platform/resource_library.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace platform {

namespace {

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::string Lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::uint32_t kLocalHeader = 0x04034b50;

}  // namespace

bool ZipArchive::Open(const std::uint8_t* data, std::size_t size) {
    data_ = data;
    size_ = size;
    entries_.clear();
    byName_.clear();
    if (!data || size < 22) return false;
    // The end record sits in the last 22 + 65535 bytes.
    std::size_t eocd = std::string::npos;
    const std::size_t lowest = size > 22 + 65535 ? size - 22 - 65535 : 0;
    for (std::size_t i = size - 22 + 1; i-- > lowest;) {
        if (Le32(data + i) == kEndOfDirectory) {
            eocd = i;
            break;
        }
    }
    if (eocd == std::string::npos) return false;
    const std::uint16_t count = Le16(data + eocd + 10);
    const std::uint32_t dirSize = Le32(data + eocd + 12);
    const std::uint32_t dirOffset = Le32(data + eocd + 16);
    if (static_cast<std::uint64_t>(dirOffset) + dirSize > eocd) return false;
    std::size_t p = dirOffset;
    const std::size_t end = static_cast<std::size_t>(dirOffset) + dirSize;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (p + 46 > end || Le32(data + p) != kDirectoryEntry) return false;
        Entry e;
        e.method = Le16(data + p + 10);
        e.crc = Le32(data + p + 16);
        e.compressedSize = Le32(data + p + 20);
        e.size = Le32(data + p + 24);
        const std::size_t nameLen = Le16(data + p + 28);
        const std::size_t extraLen = Le16(data + p + 30);
        const std::size_t commentLen = Le16(data + p + 32);
        e.localHeaderOffset = Le32(data + p + 42);
        if (p + 46 + nameLen + extraLen + commentLen > end) return false;
        e.name.assign(reinterpret_cast<const char*>(data + p + 46), nameLen);
        p += 46 + nameLen + extraLen + commentLen;
        if (e.name.empty() || e.name.back() == '/') continue;  // directories
        byName_.emplace(e.name, static_cast<int>(entries_.size()));
        entries_.push_back(std::move(e));
    }
    return true;
}

int ZipArchive::Find(const std::string& name) const {
    auto it = byName_.find(name);
    if (it != byName_.end()) return it->second;
    const std::string lower = Lower(name);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (Lower(entries_[i].name) == lower) return static_cast<int>(i);
    }
    return -1;
}

bool ZipArchive::DataRange(int index, std::uint64_t& offset) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return false;
    const Entry& e = entries_[static_cast<std::size_t>(index)];
    const std::uint64_t h = e.localHeaderOffset;
    if (h + 30 > size_ || Le32(data_ + h) != kLocalHeader) return false;
    offset = h + 30 + Le16(data_ + h + 26) + Le16(data_ + h + 28);
    return offset + e.compressedSize <= size_;
}

const std::uint8_t* ZipArchive::StoredBytes(int index) const {
    std::uint64_t offset = 0;
    if (!DataRange(index, offset)) return nullptr;
    const Entry& e = entries_[static_cast<std::size_t>(index)];
    if (e.method != 0 || e.size != e.compressedSize) return nullptr;
    return data_ + offset;
}

bool ZipArchive::Extract(int index, std::vector<std::uint8_t>& out) const {
    out.clear();
    std::uint64_t offset = 0;
    if (!DataRange(index, offset)) return false;
    const Entry& e = entries_[static_cast<std::size_t>(index)];
    if (e.size > kMaxEntrySize) return false;
    const std::uint8_t* src = data_ + offset;
    if (e.method == 0) {
        if (e.size != e.compressedSize) return false;
        out.assign(src, src + e.size);
    } else if (e.method == 8) {
        out.resize(static_cast<std::size_t>(e.size));
        z_stream zs{};
        if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) return false;
        zs.next_in = const_cast<Bytef*>(src);
        zs.avail_in = static_cast<uInt>(e.compressedSize);
        zs.next_out = out.data();
        zs.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&zs, Z_FINISH);
        const bool ok = rc == Z_STREAM_END && zs.total_out == e.size;
        inflateEnd(&zs);
        if (!ok) {
            out.clear();
            return false;
        }
    } else {
        return false;
    }
    const auto crc = crc32(0L, out.data(), static_cast<uInt>(out.size()));
    if (crc != e.crc) {
        out.clear();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

namespace {

struct ZipModule final : LibraryModule {
    ~ZipModule() override {
        if (map && map != MAP_FAILED) munmap(map, length);
    }
    void* map = nullptr;
    std::size_t length = 0;
    ZipArchive archive;
    // Extracted entries, kept until the library is freed.
    std::map<int, std::vector<std::uint8_t>> loaded;
};

ZipModule* AsZip(LibraryModule* m) { return static_cast<ZipModule*>(m); }

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

ZipResourceLibrary::~ZipResourceLibrary() = default;

std::string ZipResourceLibrary::Resolve(const char* fileName) const {
    if (!override_.empty()) return IsFile(override_) ? override_ : std::string{};
    if (!fileName || !*fileName) return {};
    const std::string name = fileName;
    if (name.front() == '/') return IsFile(name) ? name : std::string{};
    for (const auto& dir : searchDirs_) {
        const std::string path = dir.empty() ? name : dir + "/" + name;
        if (IsFile(path)) return path;
    }
    return IsFile(name) ? name : std::string{};
}

LibraryModule* ZipResourceLibrary::LoadLibrary(const char* fileName) {
    const std::string path = Resolve(fileName);
    if (path.empty()) return nullptr;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size <= 0) {
        ::close(fd);
        return nullptr;
    }
    auto module = std::make_unique<ZipModule>();
    module->length = static_cast<std::size_t>(st.st_size);
    module->map = ::mmap(nullptr, module->length, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (module->map == MAP_FAILED) return nullptr;
    if (!module->archive.Open(static_cast<const std::uint8_t*>(module->map), module->length))
        return nullptr;
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
    if (m->archive.StoredBytes(res.index)) return true;
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
    if (it != m->loaded.end()) return it->second.data();
    return m->archive.StoredBytes(res.index);
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

bool MemoryResourceLibrary::LoadResource(LibraryModule* module, ResourceHandle res) {
    return module && res;
}

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
