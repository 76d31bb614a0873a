#pragma once
// Builds small ZIP archives in memory for the resource library tests.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testzip {

struct File {
    std::string name;
    std::vector<std::uint8_t> data;
    bool deflate = false;
};

inline void Put16(std::vector<std::uint8_t>& o, std::uint32_t v) {
    o.push_back(v & 0xFF);
    o.push_back((v >> 8) & 0xFF);
}
inline void Put32(std::vector<std::uint8_t>& o, std::uint32_t v) {
    Put16(o, v & 0xFFFF);
    Put16(o, v >> 16);
}

inline std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& in) {
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::vector<std::uint8_t> out(deflateBound(&zs, in.size()) + 16);
    zs.next_in = const_cast<Bytef*>(in.data());
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

inline std::vector<std::uint8_t> Build(const std::vector<File>& files) {
    std::vector<std::uint8_t> out, dir;
    for (const auto& f : files) {
        const auto payload = f.deflate ? Deflate(f.data) : f.data;
        const auto crc = static_cast<std::uint32_t>(crc32(0, f.data.data(), static_cast<uInt>(f.data.size())));
        const auto offset = static_cast<std::uint32_t>(out.size());
        Put32(out, 0x04034b50); Put16(out, 20); Put16(out, 0); Put16(out, f.deflate ? 8 : 0);
        Put16(out, 0); Put16(out, 0); Put32(out, crc);
        Put32(out, static_cast<std::uint32_t>(payload.size()));
        Put32(out, static_cast<std::uint32_t>(f.data.size()));
        Put16(out, static_cast<std::uint32_t>(f.name.size())); Put16(out, 0);
        out.insert(out.end(), f.name.begin(), f.name.end());
        out.insert(out.end(), payload.begin(), payload.end());
        Put32(dir, 0x02014b50); Put16(dir, 20); Put16(dir, 20); Put16(dir, 0);
        Put16(dir, f.deflate ? 8 : 0); Put16(dir, 0); Put16(dir, 0); Put32(dir, crc);
        Put32(dir, static_cast<std::uint32_t>(payload.size()));
        Put32(dir, static_cast<std::uint32_t>(f.data.size()));
        Put16(dir, static_cast<std::uint32_t>(f.name.size())); Put16(dir, 0); Put16(dir, 0);
        Put16(dir, 0); Put16(dir, 0); Put32(dir, 0); Put32(dir, offset);
        dir.insert(dir.end(), f.name.begin(), f.name.end());
    }
    const auto dirOffset = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), dir.begin(), dir.end());
    Put32(out, 0x06054b50); Put16(out, 0); Put16(out, 0);
    Put16(out, static_cast<std::uint32_t>(files.size()));
    Put16(out, static_cast<std::uint32_t>(files.size()));
    Put32(out, static_cast<std::uint32_t>(dir.size())); Put32(out, dirOffset); Put16(out, 0);
    return out;
}

inline std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace testzip
