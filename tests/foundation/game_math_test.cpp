// The game's own elementary functions: exact where the answer is exact,
// within one float ulp of the true value elsewhere (the C library's double
// functions, rounded to float, stand for the truth), and the same bits on
// every machine (a checksum of many results, fixed here).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/game_math.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kPi = 3.14159265358979323846f;

// Distance in floats between a and b (0: the same float).
std::int64_t Ulps(float a, float b) {
    auto ordered = [](float f) {
        const auto i = static_cast<std::int64_t>(std::bit_cast<std::int32_t>(f));
        return i < 0 ? -(i & 0x7fffffff) : i;
    };
    const std::int64_t d = ordered(a) - ordered(b);
    return d < 0 ? -d : d;
}

// The largest error over `count` floats from `from`, a stride of bit
// patterns apart (so that each binade gets its share).
template <typename Mine, typename Truth>
std::int64_t WorstOver(float from, float to, int count, Mine mine, Truth truth, float* worstAt) {
    const auto lo = std::bit_cast<std::int32_t>(from), hi = std::bit_cast<std::int32_t>(to);
    const std::int32_t stride = std::max(1, (hi - lo) / count);
    std::int64_t worst = 0;
    for (std::int32_t bits = lo; bits <= hi && bits >= lo; bits += stride) {
        const float x = std::bit_cast<float>(bits);
        for (float v : {x, -x}) {
            const std::int64_t e = Ulps(mine(v), static_cast<float>(truth(static_cast<double>(v))));
            if (e > worst) {
                worst = e;
                *worstAt = v;
            }
        }
    }
    return worst;
}

TEST(GameMath, ExactAtTheKeyAngles) {
    EXPECT_EQ(gm::Sin(0.0f), 0.0f);
    EXPECT_TRUE(std::signbit(gm::Sin(-0.0f)));
    EXPECT_EQ(gm::Cos(0.0f), 1.0f);
    EXPECT_EQ(gm::Cos(-0.0f), 1.0f);
    EXPECT_EQ(gm::Sin(kPi / 2), 1.0f);
    EXPECT_EQ(gm::Sin(-kPi / 2), -1.0f);
    EXPECT_EQ(gm::Cos(kPi), -1.0f);
    EXPECT_EQ(gm::Sin(kPi), static_cast<float>(std::sin(static_cast<double>(kPi))));  // -8.7e-8, not 0
    EXPECT_EQ(gm::Cos(kPi / 2), static_cast<float>(std::cos(static_cast<double>(kPi / 2))));
    EXPECT_EQ(gm::Tan(kPi / 4), 1.0f);
    EXPECT_EQ(gm::Atan(1.0f), kPi / 4);
    EXPECT_EQ(gm::Atan(-1.0f), -kPi / 4);
    EXPECT_EQ(gm::Atan(kInf), kPi / 2);
    EXPECT_TRUE(std::signbit(gm::Atan(-0.0f)));
    EXPECT_TRUE(std::isnan(gm::Sin(kInf)));
    EXPECT_TRUE(std::isnan(gm::Cos(-kInf)));
    EXPECT_TRUE(std::isnan(gm::Tan(std::numeric_limits<float>::quiet_NaN())));
}

TEST(GameMath, Atan2KeepsTheCLibrarysQuadrantsAndZeros) {
    const float values[] = {0.0f, -0.0f, 1.0f, -1.0f, 3.5f, -0.25f, kInf, -kInf};
    for (float y : values) {
        for (float x : values) {
            // The double function, rounded: glibc's atan2f is off by one ulp at (1, -0.25).
            const float want = static_cast<float>(std::atan2(double{y}, double{x})), got = gm::Atan2(y, x);
            EXPECT_EQ(got, want) << "Atan2(" << y << ", " << x << ")";
            EXPECT_EQ(std::signbit(got), std::signbit(want)) << "Atan2(" << y << ", " << x << ")";
        }
    }
    EXPECT_TRUE(std::isnan(gm::Atan2(std::numeric_limits<float>::quiet_NaN(), 1.0f)));
}

TEST(GameMath, PowKeepsTheCLibrarysSpecialCases) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float values[] = {0.0f, -0.0f, 1.0f, -1.0f, 2.0f, -2.0f, 0.5f, -0.5f, 3.0f, -3.0f, 1.6f, kInf, -kInf};
    for (float x : values) {
        for (float y : values) {
            const float want = std::pow(x, y), got = gm::Pow(x, y);
            if (std::isnan(want)) {
                EXPECT_TRUE(std::isnan(got)) << "Pow(" << x << ", " << y << ")";
                continue;
            }
            EXPECT_EQ(got, want) << "Pow(" << x << ", " << y << ")";
            EXPECT_EQ(std::signbit(got), std::signbit(want)) << "Pow(" << x << ", " << y << ")";
        }
    }
    EXPECT_EQ(gm::Pow(nan, 0.0f), 1.0f);
    EXPECT_EQ(gm::Pow(1.0f, nan), 1.0f);
    EXPECT_TRUE(std::isnan(gm::Pow(2.0f, nan)));
    EXPECT_EQ(gm::Pow(2.0f, 10.0f), 1024.0f);
    EXPECT_EQ(gm::Pow(10.0f, -2.0f), 0.01f);
    EXPECT_EQ(gm::Pow(2.0f, -149.0f), std::numeric_limits<float>::denorm_min());
    EXPECT_EQ(gm::Pow(2.0f, 128.0f), kInf);
}

TEST(GameMath, WithinOneUlpOverTheAnglesTheGameUses) {
    float at = 0.0f;
    const auto sin = [](float x) { return gm::Sin(x); };
    const auto cos = [](float x) { return gm::Cos(x); };
    const auto tan = [](float x) { return gm::Tan(x); };
    const auto atan = [](float x) { return gm::Atan(x); };
    const auto dsin = [](double x) { return std::sin(x); };
    const auto dcos = [](double x) { return std::cos(x); };
    const auto dtan = [](double x) { return std::tan(x); };
    const auto datan = [](double x) { return std::atan(x); };
    // From tiny angles through many turns; the reduction holds to a million.
    for (float top : {1.0f, 7.0f, 1000.0f, 1.0e6f}) {
        EXPECT_LE(WorstOver(1.0e-6f, top, 200000, sin, dsin, &at), 1) << "Sin at " << at;
        EXPECT_LE(WorstOver(1.0e-6f, top, 200000, cos, dcos, &at), 1) << "Cos at " << at;
        EXPECT_LE(WorstOver(1.0e-6f, top, 200000, tan, dtan, &at), 1) << "Tan at " << at;
    }
    EXPECT_LE(WorstOver(1.0e-30f, 1.0e30f, 400000, atan, datan, &at), 1) << "Atan at " << at;
    // Beyond what the game makes: still a sine, within its bounds.
    for (float big : {3.0e7f, 1.0e20f, 3.4e38f}) {
        EXPECT_LE(std::fabs(gm::Sin(big)), 1.0f) << big;
        EXPECT_LE(std::fabs(gm::Cos(big)), 1.0f) << big;
    }
}

TEST(GameMath, SinCosIsSinAndCosInEveryQuadrant) {
    for (int i = -5000; i <= 5000; ++i) {
        const float a = static_cast<float>(i) * 0.0137f;
        const gm::SinCosResult both = gm::SinCos(a);
        ASSERT_EQ(both.sin, gm::Sin(a)) << a;
        ASSERT_EQ(both.cos, gm::Cos(a)) << a;
    }
    EXPECT_TRUE(std::signbit(gm::SinCos(-0.0f).sin));
    EXPECT_TRUE(std::isnan(gm::SinCos(kInf).cos));
}

TEST(GameMath, Atan2AndPowWithinOneUlpOverAGrid) {
    std::int64_t worstAtan2 = 0, worstPow = 0;
    for (int i = -300; i <= 300; ++i) {
        for (int j = -300; j <= 300; ++j) {
            const float y = static_cast<float>(i) * 0.0371f, x = static_cast<float>(j) * 0.0293f;
            worstAtan2 =
                std::max(worstAtan2, Ulps(gm::Atan2(y, x), static_cast<float>(std::atan2(double{y}, double{x}))));
            const float base = static_cast<float>(i + 301) * 0.013f, power = static_cast<float>(j) * 0.061f;
            worstPow = std::max(worstPow,
                                Ulps(gm::Pow(base, power), static_cast<float>(std::pow(double{base}, double{power}))));
        }
    }
    EXPECT_LE(worstAtan2, 1);
    EXPECT_LE(worstPow, 1);
}

// The point of the functions: the same bits on every machine and compiler.
// A change here changes every replay; record the new value only together
// with new bench demo reports.
TEST(GameMath, TheSameBitsEverywhere) {
    std::uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](float f) {
        hash ^= std::bit_cast<std::uint32_t>(f);
        hash *= 1099511628211ull;
    };
    for (int i = -20000; i <= 20000; ++i) {
        const float a = static_cast<float>(i) * 0.00731f;
        mix(gm::Sin(a));
        mix(gm::Cos(a));
        mix(gm::Tan(a));
        mix(gm::Atan(a));
        mix(gm::Atan2(a, 0.37f - a * 0.5f));
        mix(gm::Pow(std::fabs(a), 1.6f));
    }
    EXPECT_EQ(hash, 0x2507aa6b7cbff434u) << std::hex << hash;
}

}  // namespace
