#pragma once
// A minimal reader for the plain ZIP archives assetgen writes (stored or
// deflated entries, no ZIP64, no encryption). Header-only; needs zlib.
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace assetgen {

class ZipReader {
public:
    struct Entry {
        std::uint32_t local_offset = 0, packed = 0, size = 0, crc = 0;
        unsigned method = 0;
    };

    bool open_file(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        if (!f) return false;
        data_.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
        return parse();
    }
    bool open_memory(std::vector<std::uint8_t> bytes) {
        data_ = std::move(bytes);
        return parse();
    }

    const std::map<std::string, Entry>& entries() const { return entries_; }
    std::size_t archive_size() const { return data_.size(); }

    // Reads one entry; false if absent or damaged (CRC checked).
    bool read(const std::string& name, std::vector<std::uint8_t>& out) const {
        auto it = entries_.find(name);
        if (it == entries_.end()) return false;
        const Entry& e = it->second;
        const std::size_t lo = e.local_offset;
        if (lo + 30 > data_.size() || u32(lo) != 0x04034b50) return false;
        const std::size_t start = lo + 30 + u16(lo + 26) + u16(lo + 28);
        if (start + e.packed > data_.size()) return false;
        out.assign(e.size, 0);
        if (e.method == 0) {
            if (e.packed != e.size) return false;
            if (e.size) std::memcpy(out.data(), data_.data() + start, e.size);
        } else if (e.method == 8) {
            z_stream z{};
            if (inflateInit2(&z, -15) != Z_OK) return false;
            z.next_in = const_cast<Bytef*>(data_.data() + start);
            z.avail_in = e.packed;
            z.next_out = out.data();
            z.avail_out = e.size;
            const int rc = inflate(&z, Z_FINISH);
            const bool ok = rc == Z_STREAM_END && z.total_out == e.size;
            inflateEnd(&z);
            if (!ok) return false;
        } else {
            return false;
        }
        return std::uint32_t(crc32(0L, out.data(), uInt(out.size()))) == e.crc;
    }

private:
    unsigned u16(std::size_t p) const { return unsigned(data_[p]) | unsigned(data_[p + 1]) << 8; }
    std::uint32_t u32(std::size_t p) const { return std::uint32_t(u16(p)) | std::uint32_t(u16(p + 2)) << 16; }

    bool parse() {
        entries_.clear();
        if (data_.size() < 22) return false;
        std::size_t eocd = std::string::npos;
        const std::size_t lowest = data_.size() >= 22 + 0xFFFF ? data_.size() - 22 - 0xFFFF : 0;
        for (std::size_t p = data_.size() - 22 + 1; p-- > lowest;) {
            if (u32(p) == 0x06054b50) {
                eocd = p;
                break;
            }
        }
        if (eocd == std::string::npos) return false;
        const unsigned count = u16(eocd + 10);
        std::size_t p = u32(eocd + 16);
        for (unsigned i = 0; i < count; ++i) {
            if (p + 46 > data_.size() || u32(p) != 0x02014b50) return false;
            Entry e;
            e.method = u16(p + 10);
            e.crc = u32(p + 16);
            e.packed = u32(p + 20);
            e.size = u32(p + 24);
            const unsigned n = u16(p + 28), extra = u16(p + 30), comment = u16(p + 32);
            e.local_offset = u32(p + 42);
            if (p + 46 + n > data_.size()) return false;
            std::string name(reinterpret_cast<const char*>(data_.data() + p + 46), n);
            entries_[name] = e;
            p += 46 + n + extra + comment;
        }
        return true;
    }

    std::vector<std::uint8_t> data_;
    std::map<std::string, Entry> entries_;
};

}  // namespace assetgen
