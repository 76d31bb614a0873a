#include "platform/zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include "platform/stored_file.h"
#endif

namespace platform {

namespace {

std::string Lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

ZipArchive::~ZipArchive() { Close(); }

void ZipArchive::Close() {
    if (zip_) zip_discard(zip_);
    zip_ = nullptr;
    entries_.clear();
    byName_.clear();
}

bool ZipArchive::Open(const std::uint8_t* data, std::size_t size) {
    Close();
    if (!data || size == 0) return false;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return false;
    }
    zip_ = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    zip_error_fini(&error);
    if (!zip_) {
        zip_source_free(source);
        return false;
    }
    return List();
}

bool ZipArchive::OpenFd(int fd) {
    Close();
    if (fd < 0) return false;
    int error = 0;
    zip_ = zip_fdopen(fd, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!zip_) {
        ::close(fd);
        return false;
    }
    return List();
}

bool ZipArchive::OpenFile(const std::string& path) {
#ifdef _WIN32
    // A UTF-8 path, opened in binary mode (the asset generator, which
    // compiles this file alone, never runs on Windows).
    const int fd = OpenRegularReadFd(path);
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
#endif
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    return OpenFd(fd);
}

bool ZipArchive::List() {
    const zip_int64_t count = zip_get_num_entries(zip_, 0);
    if (count < 0) {
        Close();
        return false;
    }
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip_, static_cast<zip_uint64_t>(i), 0, &st) != 0) {
            Close();
            return false;
        }
        constexpr zip_uint64_t kNeeded =
            ZIP_STAT_NAME | ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
        if ((st.valid & kNeeded) != kNeeded || !st.name) {
            Close();
            return false;
        }
        Entry e;
        e.name = st.name;
        if (e.name.empty() || e.name.back() == '/') continue;  // directories
        e.method = st.comp_method;
        e.crc = st.crc;
        e.compressedSize = st.comp_size;
        e.size = st.size;
        e.index = static_cast<std::uint64_t>(i);
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

bool ZipArchive::Extract(int index, std::vector<std::uint8_t>& out) const {
    out.clear();
    if (!zip_ || index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return false;
    const Entry& e = entries_[static_cast<std::size_t>(index)];
    if (e.size > kMaxEntrySize) return false;
    zip_file_t* f = zip_fopen_index(zip_, e.index, 0);
    if (!f) return false;
    out.resize(static_cast<std::size_t>(e.size));
    // One byte more than promised: an entry longer than its directory says
    // is damaged too. libzip checks the CRC when the end is read.
    std::uint8_t extra = 0;
    zip_int64_t got = e.size ? zip_fread(f, out.data(), e.size) : 0;
    const bool whole = got == static_cast<zip_int64_t>(e.size) && zip_fread(f, &extra, 1) == 0;
    const bool closed = zip_fclose(f) == 0;
    if (!whole || !closed) {
        out.clear();
        return false;
    }
    return true;
}

bool ZipArchive::Read(const std::string& name, std::vector<std::uint8_t>& out) const {
    auto it = byName_.find(name);
    if (it == byName_.end()) {
        out.clear();
        return false;
    }
    return Extract(it->second, out);
}

namespace {

// Adds every file, stored or deflated as it asks, with the first time ZIP
// can hold as its time (the same bytes on every run); false at the first
// that fails.
bool AddFiles(zip_t* z, const std::vector<ZipFile>& files) {
    std::tm stamp{};
    stamp.tm_year = 80;  // 1980-01-01 00:00
    stamp.tm_mday = 1;
    stamp.tm_isdst = -1;
    const std::time_t mtime = std::mktime(&stamp);
    for (const ZipFile& f : files) {
        zip_source_t* src = zip_source_buffer(z, f.data.data(), f.data.size(), 0);
        const zip_int64_t at = src ? zip_file_add(z, f.name.c_str(), src, 0) : -1;
        if (at < 0) {
            if (src) zip_source_free(src);
            return false;
        }
        const auto index = static_cast<zip_uint64_t>(at);
        if (zip_set_file_compression(z, index, f.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0) != 0 ||
            zip_file_set_mtime(z, index, mtime, 0) != 0)
            return false;
    }
    return true;
}

// The whole of a source's bytes (empty when it cannot be read).
std::vector<std::uint8_t> ReadSource(zip_source_t* source) {
    std::vector<std::uint8_t> bytes;
    if (zip_source_open(source) != 0) return bytes;
    if (zip_source_seek(source, 0, SEEK_END) == 0) {
        const zip_int64_t size = zip_source_tell(source);
        if (size > 0 && zip_source_seek(source, 0, SEEK_SET) == 0) {
            bytes.resize(static_cast<std::size_t>(size));
            if (zip_source_read(source, bytes.data(), bytes.size()) != size) bytes.clear();
        }
    }
    zip_source_close(source);
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> WriteZipArchive(const std::vector<ZipFile>& files) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (!target) return {};
    zip_error_init(&error);
    zip_t* z = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    if (!z) {
        zip_source_free(target);
        return {};
    }
    zip_source_keep(target);  // read back after zip_close
    if (!AddFiles(z, files) || zip_close(z) != 0) {
        zip_discard(z);
        zip_source_free(target);
        return {};
    }
    std::vector<std::uint8_t> bytes = ReadSource(target);
    zip_source_free(target);
    return bytes;
}

}  // namespace platform
