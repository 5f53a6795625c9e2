#include "random/random.h"

#include <cmath>

namespace orrery {

namespace {

constexpr std::uint32_t MATRIX_A = 0x9908b0dfu;
constexpr std::uint32_t UPPER_MASK = 0x80000000u;
constexpr std::uint32_t LOWER_MASK = 0x7fffffffu;
constexpr int M = 397;

inline std::uint32_t twist(std::uint32_t upper, std::uint32_t lower, std::uint32_t far) {
    std::uint32_t y = (upper & UPPER_MASK) | (lower & LOWER_MASK);
    return far ^ (y >> 1) ^ ((y & 1u) ? MATRIX_A : 0u);
}

// The published MT19937 recurrence over all 624 words, split in three runs so
// that no index needs a modulo.
void regenerate(std::uint32_t* mt) {
    constexpr int N = RandomState::N;
    int i = 0;
    for (; i < N - M; ++i) mt[i] = twist(mt[i], mt[i + 1], mt[i + M]);
    for (; i < N - 1; ++i) mt[i] = twist(mt[i], mt[i + 1], mt[i + M - N]);
    mt[N - 1] = twist(mt[N - 1], mt[0], mt[M - 1]);
}

inline std::uint32_t temper(std::uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}

}  // namespace

void seed_random(RandomState& r, std::uint32_t seed) {
    r.words[0] = seed;
    for (int i = 1; i < RandomState::N; ++i) {
        std::uint32_t prev = r.words[i - 1];
        r.words[i] = 1812433253u * (prev ^ (prev >> 30)) + static_cast<std::uint32_t>(i);
    }
    r.index = RandomState::N;
    r.outputs = 0;
}

std::uint32_t next_random_u32(RandomState& r) {
    if (r.index >= RandomState::N) {
        if (r.index == RandomState::UNSEEDED) {
            std::uint64_t outputs = r.outputs;
            seed_random(r, 5489u);
            r.outputs = outputs;
        }
        regenerate(r.words);
        r.index = 0;
    }
    ++r.outputs;
    return temper(r.words[r.index++]);
}

double random_unit(RandomState& r) {
    return random_unit_from(next_random_u32(r));
}

double uniform_between(RandomState& r, double lo, double hi) {
    double width = std::fabs(hi - lo);
    std::uint32_t x = next_random_u32(r);
    double u = random_unit_from(x);
    double result = u * width + (lo < hi ? lo : hi);
    if (r.observer) r.observer->on_draw("uniform_between", 2, lo, hi, x, result);
    return result;
}

double vary_around(RandomState& r, double value, double spread) {
    std::uint32_t x = next_random_u32(r);
    double u = random_unit_from(x);
    double result = u * (spread + spread) + (value - spread);
    if (r.observer) r.observer->on_draw("vary_around", 2, value, spread, x, result);
    return result;
}

// Mostly small eccentricities: half of all draws lie below about 0.052.
double draw_eccentricity(RandomState& r) {
    std::uint32_t x = next_random_u32(r);
    double u = random_unit_from(x);
    double result = 1.0 - std::pow(u, 0.077);
    if (r.observer) r.observer->on_draw("draw_eccentricity", 0, 0.0, 0.0, x, result);
    return result;
}

}  // namespace orrery
