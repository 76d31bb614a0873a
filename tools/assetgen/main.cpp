// assetgen: draws, synthesises and packs everything the game reads from
// "gamedata.res".
//
//   assetgen --out FILE [--regions FILE]   write the archive (and a region list)
//   assetgen --contact-sheet DIR           one labelled PNG per texture
//   assetgen --icons DIR --icon-name NAME  the desktop icon (hicolor PNGs and an SVG)
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "asset_sink.h"
#include "pack/contact.h"
#include "pack/encode.h"
#include "sprites/sprites.h"

namespace {

using namespace assetgen;

bool is_pow2(int v) { return v > 0 && (v & (v - 1)) == 0; }

void check(const Output& out) {
    std::set<std::string> names;
    auto claim = [&](const std::string& n) {
        if (n.empty()) throw std::runtime_error("(unnamed asset): empty asset name");
        if (!names.insert(n).second) throw std::runtime_error(n + ": generated twice");
    };
    for (const Texture& t : out.textures) {
        claim(t.name);
        if (!is_pow2(t.width) || !is_pow2(t.height)) throw std::runtime_error(t.name + ": size is not a power of two");
        if (t.rgba.size() != std::size_t(t.width) * t.height * 4)
            throw std::runtime_error(t.name + ": pixel buffer does not match its size");
        for (const Region& r : t.regions)
            if (r.w <= 0 || r.h <= 0 || r.x < 0 || r.y < 0 || r.x + r.w > t.width || r.y + r.h > t.height)
                throw std::runtime_error(t.name + ": region \"" + r.label + "\" lies outside the sheet");
        if (t.opaque_jpeg)
            for (std::size_t i = 3; i < t.rgba.size(); i += 4)
                if (t.rgba[i] != 255) throw std::runtime_error(t.name + ": JPEG picture is not opaque");
    }
    for (const Blob& b : out.blobs) {
        claim(b.name);
        if (b.bytes.empty()) throw std::runtime_error(b.name + ": empty");
    }
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct Timings {
    double sprites = 0, ui = 0, mesh = 0, audio = 0;
};

// Runs every generator; audio on a second thread as it is the slowest part.
Output generate_all(Timings& tm) {
    Output audio;
    std::exception_ptr audio_error;
    std::thread audio_thread([&] {
        const auto t0 = std::chrono::steady_clock::now();
        try {
            generate_audio(audio);
        } catch (...) {
            audio_error = std::current_exception();
        }
        tm.audio = seconds_since(t0);
    });
    Output out;
    std::exception_ptr error;
    try {
        auto t0 = std::chrono::steady_clock::now();
        generate_sprite_textures(out);
        tm.sprites = seconds_since(t0);
        t0 = std::chrono::steady_clock::now();
        generate_ui_textures(out);
        tm.ui = seconds_since(t0);
        t0 = std::chrono::steady_clock::now();
        generate_mesh(out);
        tm.mesh = seconds_since(t0);
    } catch (...) {
        error = std::current_exception();
    }
    audio_thread.join();
    if (error) std::rethrow_exception(error);
    if (audio_error) std::rethrow_exception(audio_error);
    for (auto& t : audio.textures) out.textures.push_back(std::move(t));
    for (auto& b : audio.blobs) out.blobs.push_back(std::move(b));
    check(out);
    return out;
}

std::vector<ZipEntry> encode_all(const Output& out) {
    std::vector<ZipEntry> entries(out.textures.size() + out.blobs.size());
    std::exception_ptr errors[2];
    auto work = [&](int part) {
        try {
            for (std::size_t i = std::size_t(part); i < out.textures.size(); i += 2) {
                const Texture& t = out.textures[i];
                entries[i].name = t.name;
                try {
                    entries[i].data = t.opaque_jpeg ? encode_jpeg(t.rgba.data(), t.width, t.height)
                                                    : encode_png(t.rgba.data(), t.width, t.height);
                } catch (const std::exception& e) {
                    throw std::runtime_error(t.name + ": " + e.what());
                }
            }
        } catch (...) {
            errors[part] = std::current_exception();
        }
    };
    std::thread second(work, 1);
    work(0);
    second.join();
    for (auto& e : errors)
        if (e) std::rethrow_exception(e);
    for (std::size_t i = 0; i < out.blobs.size(); ++i)
        entries[out.textures.size() + i] = {out.blobs[i].name, out.blobs[i].bytes};
    return entries;
}

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) throw std::runtime_error("cannot create " + tmp);
        f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        f.close();
        if (!f) {
            std::filesystem::remove(tmp);
            throw std::runtime_error("cannot write " + tmp);
        }
    }
    std::filesystem::rename(tmp, path);
}

void write_regions(const std::string& path, const Output& out) {
    std::string s;
    for (const Texture& t : out.textures) {
        s += "T " + t.name + " " + std::to_string(t.width) + " " + std::to_string(t.height) + "\n";
        for (const Region& r : t.regions)
            s += "R " + std::to_string(r.x) + " " + std::to_string(r.y) + " " + std::to_string(r.w) + " " +
                std::to_string(r.h) + " " + r.label + "\n";
    }
    write_file(path, std::vector<std::uint8_t>(s.begin(), s.end()));
}

int usage() {
    std::fprintf(stderr,
                 "usage: assetgen --out FILE [--regions FILE]\n"
                 "       assetgen --contact-sheet DIR\n"
                 "       assetgen --icons DIR --icon-name NAME\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out_path, regions_path, sheet_dir, icon_dir, icon_name;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--out" || a == "--regions" || a == "--contact-sheet") && i + 1 < argc) {
            (a == "--out" ? out_path : a == "--regions" ? regions_path : sheet_dir) = argv[++i];
        } else if ((a == "--icons" || a == "--icon-name") && i + 1 < argc) {
            (a == "--icons" ? icon_dir : icon_name) = argv[++i];
        } else {
            return usage();
        }
    }
    if (!icon_dir.empty()) {
        if (icon_name.empty() || !out_path.empty() || !sheet_dir.empty()) return usage();
        try {
            assetgen::sprites::write_icons(icon_dir, icon_name);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "assetgen: %s\n", e.what());
            return 1;
        }
        return 0;
    }
    if (out_path.empty() && sheet_dir.empty()) return usage();
    const auto t0 = std::chrono::steady_clock::now();
    try {
        Timings tm;
        const Output out = generate_all(tm);
        if (!sheet_dir.empty()) {
            std::filesystem::create_directories(sheet_dir);
            for (const Texture& t : out.textures) write_contact_sheet(t, sheet_dir);
        }
        if (!out_path.empty()) {
            const std::vector<std::uint8_t> zip = build_zip(encode_all(out));
            write_file(out_path, zip);
            if (!regions_path.empty()) write_regions(regions_path, out);
            std::printf(
                "assetgen: %zu textures, %zu other assets, %zu bytes in %.1f s "
                "(sprites %.1f s, ui %.1f s, audio %.1f s on its own thread)\n",
                out.textures.size(), out.blobs.size(), zip.size(), seconds_since(t0), tm.sprites, tm.ui, tm.audio);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
