#pragma once
// The game's one source of randomness: a small seeded generator owned by the
// Game context. It returns numbers in 0..32767, the range every draw of the
// game was designed for ("Next() % n" keeps its proportions), and gives the
// same sequence for the same seed on every compiler and C library, so a
// recorded demo replays bit for bit anywhere.
#include <cstdint>

namespace dw {

class Random {
public:
    static constexpr std::int32_t kMax = 32767;

    explicit Random(std::uint32_t seed = 1) { Seed(seed); }

    // PCG32 (permuted congruential generator, XSH-RR output), one stream.
    void Seed(std::uint32_t seed) {
        state_ = 0;
        Step();
        state_ += seed;
        Step();
    }

    // 0..32767: the top fifteen bits of the permuted output.
    std::int32_t Next() {
        const std::uint64_t old = state_;
        Step();
        const auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
        const auto rot = static_cast<std::uint32_t>(old >> 59u);
        const std::uint32_t out = (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
        return static_cast<std::int32_t>(out >> 17u);
    }

    // Next() % n as a float: the game's usual "a whole number below n".
    float Below(std::int32_t n) { return static_cast<float>(Next() % n); }

private:
    void Step() { state_ = state_ * 6364136223846793005ull + kIncrement; }
    static constexpr std::uint64_t kIncrement = 1442695040888963407ull;
    std::uint64_t state_ = 0;
};

}  // namespace dw
