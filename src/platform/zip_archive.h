#pragma once
// ZIP archives through libzip: the reader the game opens gamedata.res with
// (from memory or from an open file), and the writer the asset generator and
// the tests build archives with.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct zip;

namespace platform {

// A ZIP archive opened for reading. Damaged archives fail to open; damaged
// entries fail to extract (libzip checks sizes and CRCs), and nothing is
// read outside the bytes given.
class ZipArchive {
public:
    struct Entry {
        std::string name;
        std::uint16_t method = 0;  // 0 stored, 8 deflated
        std::uint32_t crc = 0;
        std::uint64_t compressedSize = 0;
        std::uint64_t size = 0;
        std::uint64_t index = 0;  // libzip's index of the entry
    };

    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens an archive held in memory; the bytes must outlive the archive.
    bool Open(const std::uint8_t* data, std::size_t size);
    // Opens an archive from an open file, which it then owns (closed even
    // when the open fails).
    bool OpenFd(int fd);
    // Opens an archive file (a regular file only).
    bool OpenFile(const std::string& path);
    void Close();

    // The files of the archive, in directory order (directories left out).
    const std::vector<Entry>& entries() const { return entries_; }
    int Find(const std::string& name) const;  // exact name, else any case; -1 when absent
    // Extracts an entry. Entries larger than kMaxEntrySize are refused.
    bool Extract(int index, std::vector<std::uint8_t>& out) const;
    // Extract by name.
    bool Read(const std::string& name, std::vector<std::uint8_t>& out) const;

    static constexpr std::uint64_t kMaxEntrySize = 256ull << 20;

private:
    bool List();
    struct zip* zip_ = nullptr;
    std::vector<Entry> entries_;
    std::map<std::string, int> byName_;
};

// One file of an archive to write.
struct ZipFile {
    std::string name;
    std::vector<std::uint8_t> data;
    bool deflate = false;  // else stored
};

// Builds an archive in memory, the files in the order given, each stamped
// 1980-01-01 00:00 so that equal files give equal bytes. Empty on failure.
std::vector<std::uint8_t> WriteZipArchive(const std::vector<ZipFile>& files);

}  // namespace platform
