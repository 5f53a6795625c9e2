// Small fixtures shared by the unit tests of the core model (the bit
// comparison of doubles comes with them).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>

#include <gtest/gtest.h>

#include <orrery/orrery.h>

#include "generation/generation.h"
#include "report/report.h"
#include "random/random.h"
#include "support/doubles.h"

namespace orrery::testing {

// The generator state before tempering that produces a given output: lets a
// test decide exactly what the next draws return.
inline std::uint32_t untemper(std::uint32_t y) {
    y ^= y >> 18;
    y ^= (y << 15) & 0xefc60000u;
    std::uint32_t x = y;
    for (int i = 0; i < 5; ++i) x = y ^ ((x << 7) & 0x9d2c5680u);
    y = x;
    x = y;
    for (int i = 0; i < 3; ++i) x = y ^ (x >> 11);
    return x;
}

// Puts r in a state whose next outputs are exactly the given values (at most
// 624 of them).
inline void force_outputs(RandomState& r, std::initializer_list<std::uint32_t> outputs) {
    int i = 0;
    for (std::uint32_t v : outputs) r.words[i++] = untemper(v);
    r.index = 0;
    r.outputs = 0;
}

// A generation on the heap (it carries the whole generator state), seeded and
// in the state of a fresh process.
inline std::unique_ptr<Generation> fresh_generation(std::uint32_t seed = 42) {
    auto g = std::make_unique<Generation>();
    start_generation(*g, seed);
    return g;
}

// A star of one solar mass: luminosity 1, ecosphere at 1 AU.
inline Star sun_like_star() {
    Star s;
    s.mass_ratio = 1.0;
    s.luminosity_ratio = 1.0;
    s.main_sequence_life = 1e10;
    s.age = 4.6e9;
    s.ecosphere_radius = 1.0;
    s.greenhouse_radius = 0.93;
    return s;
}

}  // namespace orrery::testing
