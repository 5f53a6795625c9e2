// The random source: one MT19937 generator and the four draws built on it.
//
// Every draw consumes exactly one 32-bit output, so a system is fixed by its
// seed and by the number and order of the draws each stage makes.
#pragma once

#include <cmath>
#include <cstdint>

namespace orrery {

// Sees every draw as it is made (a debugging aid: a draw trace). Not used on
// the normal path, which pays one null test per draw for it.
class DrawObserver {
public:
    virtual ~DrawObserver() = default;
    // name: the draw ("uniform_between", "vary_around", "draw_eccentricity");
    // arg_count: how many of a, b the draw took (0 or 2).
    virtual void on_draw(const char* name, int arg_count, double a, double b,
                         std::uint32_t output, double result) = 0;
};

struct RandomState {
    static constexpr int N = 624;
    static constexpr int UNSEEDED = 625;

    std::uint32_t words[N];
    // 0..623: next output comes from words[index]; 624: regenerate first;
    // 625: never seeded (the first draw seeds with 5489).
    int index = UNSEEDED;
    // Generator outputs consumed since seeding (not part of the model: a
    // counter for tests and tools).
    std::uint64_t outputs = 0;
    DrawObserver* observer = nullptr;
};

void seed_random(RandomState& r, std::uint32_t seed);

// Regenerates the 624 words (seeding with 5489 first if never seeded) and
// returns the first output of the new block.
std::uint32_t next_random_u32_refill(RandomState& r);

// Inline: the accretion loop draws twice per pass, hundreds of passes per
// system, and only one draw in 624 regenerates.
inline std::uint32_t next_random_u32(RandomState& r) {
    if (r.index >= RandomState::N) return next_random_u32_refill(r);
    ++r.outputs;
    std::uint32_t y = r.words[r.index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}

// (x + 0.5) / 2^32 for the next output x: never 0, never 1.
inline double random_unit_from(std::uint32_t x) {
    return (static_cast<double>(x) + 0.5) * 2.3283064365386963e-10;
}

// The draws are inline: a system makes a thousand or more of them, and each
// is a handful of operations on top of the output.
inline double random_unit(RandomState& r) {
    return random_unit_from(next_random_u32(r));
}

inline double uniform_between(RandomState& r, double lo, double hi) {
    double width = std::fabs(hi - lo);
    std::uint32_t x = next_random_u32(r);
    double u = random_unit_from(x);
    double result = u * width + (lo < hi ? lo : hi);
    if (r.observer) r.observer->on_draw("uniform_between", 2, lo, hi, x, result);
    return result;
}

inline double vary_around(RandomState& r, double value, double spread) {
    std::uint32_t x = next_random_u32(r);
    double u = random_unit_from(x);
    double result = u * (spread + spread) + (value - spread);
    if (r.observer) r.observer->on_draw("vary_around", 2, value, spread, x, result);
    return result;
}

double draw_eccentricity(RandomState& r);

// The eccentricity draw in two steps, for a caller that can often act on a
// bound without the exact value (which costs a pow): take the output with
// next_random_u32, look at eccentricity_upper_bound, and call
// eccentricity_from_output only when the exact value is needed. Together they
// make the same draw, to the bit, as draw_eccentricity.
//
// For each block of outputs sharing their top 8 bits, an eccentricity at
// least as large as any output of the block gives.
struct EccentricityBoundTable {
    static constexpr int BITS = 8;
    double upper[1 << BITS];
};
extern const EccentricityBoundTable ECCENTRICITY_BOUNDS;

// An eccentricity at least as large as the one the output x gives (within
// about 4e-4 of it above 0.1 of the unit draw).
inline double eccentricity_upper_bound(std::uint32_t x) {
    return ECCENTRICITY_BOUNDS.upper[x >> (32 - EccentricityBoundTable::BITS)];
}
// The eccentricity the output x gives; reports the draw to the observer.
double eccentricity_from_output(RandomState& r, std::uint32_t x);

}  // namespace orrery
