#include "platform/game_math.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// Every operation below must round once, to its own type: no wider registers.
static_assert(FLT_EVAL_METHOD == 0, "the game's arithmetic needs float and double evaluated in their own precision");

namespace gm {

namespace {

// pi/2 in three pieces: the first two have 33 bits, so that k * piece is exact
// for every quarter-turn count k below 2^20.
constexpr double kHalfPiHi = 0x1.921fb544p+0;
constexpr double kHalfPiMid = 0x1.0b4611a6p-34;
constexpr double kHalfPiLo = 0x1.3198a2e037073p-69;
constexpr double kHalfPi = 0x1.921fb54442d18p+0;
constexpr double kPi = 0x1.921fb54442d18p+1;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
// ln 2 in two pieces: the first has few enough bits that e * piece is exact
// for every binary exponent e of a double.
constexpr double kLn2Hi = 0x1.62e42ffp-1;
constexpr double kLn2Lo = -0x1.718432a1b0e26p-35;
constexpr double kInvLn2 = 0x1.71547652b82fep+0;
constexpr double kSqrt2 = 0x1.6a09e667f3bcdp+0;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The bits of a double and back (std::bit_cast is missing from some of the
// standard libraries the game is built with).
std::uint64_t BitsOf(double d) {
    std::uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}
double FromBits(std::uint64_t u) {
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

// The whole number nearest to v (ties to even): adding 1.5 * 2^52 leaves no
// bits below the units. A v this large is whole already.
double Nearest(double v) {
    constexpr double kShift = 0x1.8p52;
    if (!(std::fabs(v) < 0x1p52)) return v;
    return (v + kShift) - kShift;
}

struct Reduced {
    double r;      // within about pi/4 of zero
    int quadrant;  // the quarter turns taken off, modulo 4
};

// An angle beyond 2^20 quarter turns, far beyond any the game makes: one
// pass leaves a larger r behind, and each further pass takes about 53 bits off
// it, so three passes reach any float.
Reduced ReduceFarAngle(double x) {
    Reduced out{x, 0};
    for (int pass = 0; pass < 4 && !(std::fabs(out.r) <= 0.79); ++pass) {
        const double k = Nearest(out.r * kTwoOverPi);
        out.r = ((out.r - k * kHalfPiHi) - k * kHalfPiMid) - k * kHalfPiLo;
        // Above 2^62 a whole double is a multiple of 4 (its last bits are gone).
        const std::int64_t whole = std::fabs(k) < 0x1p62 ? static_cast<std::int64_t>(k) : 0;
        out.quadrant = static_cast<int>((out.quadrant + (whole & 3)) & 3);
    }
    return out;
}

// x = r + quadrant * pi/2 with |r| <= pi/4 (and a hair).
Reduced ReduceQuarterTurns(double x) {
    const double k = Nearest(x * kTwoOverPi);
    if (!(std::fabs(k) < 0x1p20)) return ReduceFarAngle(x);
    return {((x - k * kHalfPiHi) - k * kHalfPiMid) - k * kHalfPiLo, static_cast<int>(k) & 3};
}

// Taylor series about 0, for |r| <= pi/4: the first term left out is below
// 2^-55 of the result.
double SinSeries(double r) {
    const double r2 = r * r;
    double p = -1.0 / 1307674368000.0;  // -1/15!
    p = p * r2 + 1.0 / 6227020800.0;    // 1/13!
    p = p * r2 - 1.0 / 39916800.0;      // -1/11!
    p = p * r2 + 1.0 / 362880.0;        // 1/9!
    p = p * r2 - 1.0 / 5040.0;          // -1/7!
    p = p * r2 + 1.0 / 120.0;           // 1/5!
    p = p * r2 - 1.0 / 6.0;             // -1/3!
    return r + r * (r2 * p);
}

double CosSeries(double r) {
    const double r2 = r * r;
    double p = 1.0 / 20922789888000.0;  // 1/16!
    p = p * r2 - 1.0 / 87178291200.0;   // -1/14!
    p = p * r2 + 1.0 / 479001600.0;     // 1/12!
    p = p * r2 - 1.0 / 3628800.0;       // -1/10!
    p = p * r2 + 1.0 / 40320.0;         // 1/8!
    p = p * r2 - 1.0 / 720.0;           // -1/6!
    p = p * r2 + 1.0 / 24.0;            // 1/4!
    return 1.0 - 0.5 * r2 + (r2 * r2) * p;
}

struct SinCosOfReduced {
    double sin, cos;
};

// Both series at once (they run side by side), turned by the quarter turns:
// cos x = sin(x + pi/2). No branch on the quadrant.
SinCosOfReduced SinCosOf(double x) {
    const Reduced a = ReduceQuarterTurns(x);
    const double s = SinSeries(a.r), c = CosSeries(a.r);
    const double turned[4] = {s, c, -s, -c};
    return {turned[a.quadrant], turned[(a.quadrant + 1) & 3]};
}

// The Gregory series for |t| <= 0.2: nine terms reach below 2^-55.
double AtanSeries(double t) {
    const double t2 = t * t;
    double p = -1.0 / 19.0;
    p = p * t2 + 1.0 / 17.0;
    p = p * t2 - 1.0 / 15.0;
    p = p * t2 + 1.0 / 13.0;
    p = p * t2 - 1.0 / 11.0;
    p = p * t2 + 1.0 / 9.0;
    p = p * t2 - 1.0 / 7.0;
    p = p * t2 + 1.0 / 5.0;
    p = p * t2 - 1.0 / 3.0;
    return t + t * (t2 * p);
}

// atan for any double: beyond 1 by atan x = pi/2 - atan(1/x), then two
// halvings of the angle (atan t = 2 atan(t / (1 + sqrt(1 + t^2)))) bring
// the argument within 0.2 of zero.
double AtanOf(double x) {
    const double a = std::fabs(x);
    double t = a > 1.0 ? 1.0 / a : a;
    t = t / (1.0 + std::sqrt(1.0 + t * t));
    t = t / (1.0 + std::sqrt(1.0 + t * t));
    double angle = 4.0 * AtanSeries(t);
    if (a > 1.0) angle = kHalfPi - angle;
    return std::copysign(angle, x);
}

// ln a for a finite a > 0 that came from a float (so a normal double):
// a = m * 2^e with m within [sqrt(1/2), sqrt(2)), ln m = 2 atanh((m-1)/(m+1)).
double LogOf(double a) {
    const std::uint64_t bits = BitsOf(a);
    int e = static_cast<int>((bits >> 52) & 0x7ff) - 1023;
    double m = FromBits((bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
    if (m > kSqrt2) {
        m *= 0.5;
        ++e;
    }
    const double s = (m - 1.0) / (m + 1.0);  // |s| < 0.172
    const double s2 = s * s;
    double p = 1.0 / 21.0;
    p = p * s2 + 1.0 / 19.0;
    p = p * s2 + 1.0 / 17.0;
    p = p * s2 + 1.0 / 15.0;
    p = p * s2 + 1.0 / 13.0;
    p = p * s2 + 1.0 / 11.0;
    p = p * s2 + 1.0 / 9.0;
    p = p * s2 + 1.0 / 7.0;
    p = p * s2 + 1.0 / 5.0;
    p = p * s2 + 1.0 / 3.0;
    const double logM = 2.0 * s + 2.0 * s * (s2 * p);
    return e * kLn2Hi + (e * kLn2Lo + logM);
}

// e^z, for a result meant to be rounded to a float: z = k ln 2 + r with
// |r| <= ln2/2, e^r by its Taylor series, then scaled by 2^k exactly.
double ExpOf(double z) {
    if (z > 100.0) return kInf;  // beyond the largest float
    if (z < -110.0) return 0.0;  // below half the smallest float
    const double k = Nearest(z * kInvLn2);
    const double r = (z - k * kLn2Hi) - k * kLn2Lo;
    double p = 1.0 / 6227020800.0;  // 1/13!
    p = p * r + 1.0 / 479001600.0;
    p = p * r + 1.0 / 39916800.0;
    p = p * r + 1.0 / 3628800.0;
    p = p * r + 1.0 / 362880.0;
    p = p * r + 1.0 / 40320.0;
    p = p * r + 1.0 / 5040.0;
    p = p * r + 1.0 / 720.0;
    p = p * r + 1.0 / 120.0;
    p = p * r + 1.0 / 24.0;
    p = p * r + 1.0 / 6.0;
    p = p * r + 0.5;
    const double er = 1.0 + r + (r * r) * p;
    const double scale = FromBits(static_cast<std::uint64_t>(static_cast<std::int64_t>(k) + 1023) << 52);
    return er * scale;
}

bool IsWhole(float v) { return Nearest(v) == v; }
bool IsOdd(float v) { return std::fabs(v) < 0x1p53f && IsWhole(v) && !IsWhole(v * 0.5f); }

// x^y for x > 0 (x may be infinite, y finite or not, x != 1).
double PowOfPositive(double x, double y) {
    if (x == kInf) return y > 0.0 ? kInf : 0.0;
    if (std::isinf(y)) return (x > 1.0) == (y > 0.0) ? kInf : 0.0;
    return ExpOf(y * LogOf(x));
}

}  // namespace

float Sin(float x) {
    if (!std::isfinite(x)) return x - x;  // NaN for infinities too
    if (x == 0.0f) return x;              // keeps the sign of a zero
    return static_cast<float>(SinCosOf(x).sin);
}

float Cos(float x) {
    if (!std::isfinite(x)) return x - x;
    return static_cast<float>(SinCosOf(x).cos);
}

SinCosResult SinCos(float x) {
    if (!std::isfinite(x)) return {x - x, x - x};
    if (x == 0.0f) return {x, 1.0f};
    const SinCosOfReduced both = SinCosOf(x);
    return {static_cast<float>(both.sin), static_cast<float>(both.cos)};
}

float Tan(float x) {
    if (!std::isfinite(x)) return x - x;
    if (x == 0.0f) return x;
    const Reduced a = ReduceQuarterTurns(x);
    const double s = SinSeries(a.r), c = CosSeries(a.r);
    return static_cast<float>((a.quadrant & 1) ? -c / s : s / c);
}

float Atan(float x) { return static_cast<float>(AtanOf(x)); }

float Atan2(float y, float x) {
    if (std::isnan(x) || std::isnan(y)) return x + y;
    const double yd = y, xd = x;
    const bool left = std::signbit(x);  // -0 counts as the left half-plane
    if (y == 0.0f) return static_cast<float>(left ? std::copysign(kPi, yd) : yd);
    if (x == 0.0f) return static_cast<float>(std::copysign(kHalfPi, yd));
    if (std::isinf(x)) {
        const double a = std::isinf(y) ? kHalfPi * 0.5 : 0.0;
        return static_cast<float>(std::copysign(left ? kPi - a : a, yd));
    }
    if (std::isinf(y)) return static_cast<float>(std::copysign(kHalfPi, yd));
    const double angle = AtanOf(yd / xd);
    return static_cast<float>(left ? angle + std::copysign(kPi, yd) : angle);
}

float Pow(float x, float y) {
    if (y == 0.0f || x == 1.0f) return 1.0f;
    if (std::isnan(x) || std::isnan(y)) return x + y;
    const double yd = y;
    if (x == 0.0f) {
        const double mag = y < 0.0f ? kInf : 0.0;
        return static_cast<float>(IsOdd(y) ? std::copysign(mag, static_cast<double>(x)) : mag);
    }
    if (x > 0.0f) return static_cast<float>(PowOfPositive(x, yd));
    if (x == -1.0f && std::isinf(y)) return 1.0f;
    if (!std::isinf(x) && !std::isinf(y) && !IsWhole(y)) return static_cast<float>(kNaN);
    const double mag = PowOfPositive(-static_cast<double>(x), yd);
    return static_cast<float>(IsOdd(y) ? -mag : mag);
}

}  // namespace gm
