#pragma once
// Deterministic value noise with an optional period, for clouds, nebulae,
// fire and plating grime. With period P the noise repeats every P lattice
// units, so a tile sampled over exactly P units joins seamlessly.
#include <cmath>
#include <cstdint>

namespace assetgen::gfx {

class Noise {
public:
    explicit Noise(std::uint32_t seed, int period = 0) : seed_(seed), period_(period) {}

    // Value noise in [0, 1].
    double at(double x, double y) const {
        const double fx = std::floor(x), fy = std::floor(y);
        const int ix = int(fx), iy = int(fy);
        const double tx = smooth(x - fx), ty = smooth(y - fy);
        const double a = lattice(ix, iy), b = lattice(ix + 1, iy);
        const double c = lattice(ix, iy + 1), d = lattice(ix + 1, iy + 1);
        return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
    }

    // Fractal sum of `octaves` layers, each twice the frequency; in [0, 1].
    // With a period, every octave keeps repeating over the base period.
    double fbm(double x, double y, int octaves, double gain = 0.5) const {
        double sum = 0, amp = 1, norm = 0, f = 1;
        for (int o = 0; o < octaves; ++o) {
            Noise layer(seed_ + std::uint32_t(o) * 7919u, period_ ? period_ * int(f) : 0);
            sum += amp * layer.at(x * f, y * f);
            norm += amp;
            amp *= gain;
            f *= 2;
        }
        return sum / norm;
    }

private:
    static double smooth(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }
    double lattice(int x, int y) const {
        if (period_ > 0) {
            x = ((x % period_) + period_) % period_;
            y = ((y % period_) + period_) % period_;
        }
        std::uint32_t h = seed_ * 0x27d4eb2du ^ std::uint32_t(x) * 0x85ebca6bu ^ std::uint32_t(y) * 0xc2b2ae35u;
        h ^= h >> 15;
        h *= 0x2c1b3c6du;
        h ^= h >> 12;
        h *= 0x297a2d39u;
        h ^= h >> 15;
        return double(h & 0xFFFFFF) / double(0xFFFFFF);
    }

    std::uint32_t seed_;
    int period_;
};

inline double smoothstep(double e0, double e1, double x) {
    double t = (x - e0) / (e1 - e0);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return t * t * (3 - 2 * t);
}
inline double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

}  // namespace assetgen::gfx
