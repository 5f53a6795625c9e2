#include "random/random.h"

#include <cmath>
#include <cstring>

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

typedef std::uint32_t Words4 __attribute__((vector_size(16)));

inline Words4 load4(const std::uint32_t* p) {
    Words4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Four steps of the recurrence at once. Word i depends on words i + 1 and
// i + M of the old block, or on word i + M - N of the new one; a group of four
// never reads a word that the same group writes, so the result is the
// published sequence word for word.
inline void twist4(std::uint32_t* out, const std::uint32_t* here, const std::uint32_t* far) {
    Words4 upper = load4(here);
    Words4 lower = load4(here + 1);
    Words4 y = (upper & UPPER_MASK) | (lower & LOWER_MASK);
    Words4 odd = -(y & 1u);
    Words4 v = load4(far) ^ (y >> 1) ^ (odd & MATRIX_A);
    std::memcpy(out, &v, sizeof v);
}

// The published MT19937 recurrence over all 624 words, split in runs so that
// no index needs a modulo.
void regenerate(std::uint32_t* mt) {
    constexpr int N = RandomState::N;
    int i = 0;
    for (; i + 4 <= N - M; i += 4) twist4(mt + i, mt + i, mt + i + M);
    for (; i < N - M; ++i) mt[i] = twist(mt[i], mt[i + 1], mt[i + M]);
    for (; i + 4 <= N - 1; i += 4) twist4(mt + i, mt + i, mt + i + M - N);
    for (; i < N - 1; ++i) mt[i] = twist(mt[i], mt[i + 1], mt[i + M - N]);
    mt[N - 1] = twist(mt[N - 1], mt[0], mt[M - 1]);
}

// Compile-time natural logarithm and exponential, used only to build the
// eccentricity bounds below (whose margin is far wider than their error).
constexpr double LN2 = 0.6931471805599453;

constexpr double bound_log(double u) {
    int k = 0;
    while (u < 1.0) {
        u *= 2.0;
        --k;
    }
    while (u >= 2.0) {
        u /= 2.0;
        ++k;
    }
    if (u > 1.4142135623730951) {
        u /= 2.0;
        ++k;
    }
    double z = (u - 1.0) / (u + 1.0);
    double z2 = z * z;
    double term = z;
    double sum = 0.0;
    for (int n = 0; n < 30; ++n) {
        sum += term / (2 * n + 1);
        term *= z2;
    }
    return k * LN2 + 2.0 * sum;
}

constexpr double bound_exp(double t) {
    double sum = 1.0;
    double term = 1.0;
    for (int n = 1; n < 40; ++n) {
        term *= t / n;
        sum += term;
    }
    return sum;
}

// The bound for a block is the eccentricity of the block's smallest unit
// draw (1 - u^0.077 falls as u grows), plus a margin of 1e-9 that covers the
// error of these series and of the library's pow.
constexpr EccentricityBoundTable make_eccentricity_bounds() {
    EccentricityBoundTable table{};
    constexpr int blocks = 1 << EccentricityBoundTable::BITS;
    constexpr double block_width = 4294967296.0 / blocks;
    for (int b = 0; b < blocks; ++b) {
        double u = (static_cast<double>(b) * block_width + 0.5) * 2.3283064365386963e-10;
        table.upper[b] = 1.0 - bound_exp(0.077 * bound_log(u)) + 1e-9;
    }
    return table;
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

std::uint32_t next_random_u32_refill(RandomState& r) {
    if (r.index == RandomState::UNSEEDED) {
        std::uint64_t outputs = r.outputs;
        seed_random(r, 5489u);
        r.outputs = outputs;
    }
    regenerate(r.words);
    r.index = 1;
    ++r.outputs;
    return temper(r.words[0]);
}

// Mostly small eccentricities: half of all draws lie below about 0.052.
double draw_eccentricity(RandomState& r) {
    return eccentricity_from_output(r, next_random_u32(r));
}

double eccentricity_from_output(RandomState& r, std::uint32_t x) {
    double u = random_unit_from(x);
    double result = 1.0 - std::pow(u, 0.077);
    if (r.observer) r.observer->on_draw("draw_eccentricity", 0, 0.0, 0.0, x, result);
    return result;
}

constinit const EccentricityBoundTable ECCENTRICITY_BOUNDS = make_eccentricity_bounds();

}  // namespace orrery
