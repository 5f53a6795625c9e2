// The random source: one MT19937 generator and the four draws built on it.
//
// Every draw consumes exactly one 32-bit output, so a system is fixed by its
// seed and by the number and order of the draws each stage makes.
#pragma once

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
std::uint32_t next_random_u32(RandomState& r);

// (x + 0.5) / 2^32 for the next output x: never 0, never 1.
inline double random_unit_from(std::uint32_t x) {
    return (static_cast<double>(x) + 0.5) * 2.3283064365386963e-10;
}

double random_unit(RandomState& r);
double uniform_between(RandomState& r, double lo, double hi);
double vary_around(RandomState& r, double value, double spread);
double draw_eccentricity(RandomState& r);

}  // namespace orrery
