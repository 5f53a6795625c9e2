// The random source: the published MT19937 sequence and the draws on it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "core_test_support.h"
#include "random/random.h"

namespace orrery::testing {
namespace {

TEST(RandomSource, SeedFiveFourEightNineGivesThePublishedSequence) {
    RandomState r;
    seed_random(r, 5489u);
    EXPECT_EQ(3499211612u, next_random_u32(r));
    for (int i = 2; i < 10000; ++i) next_random_u32(r);
    EXPECT_EQ(4123659995u, next_random_u32(r)) << "the 10,000th output";
    EXPECT_EQ(10000u, r.outputs);
}

TEST(RandomSource, DrawingUnseededEqualsSeedingWithTheDefault) {
    // Long enough to cross two regenerations of the state vector.
    RandomState unseeded;
    RandomState seeded;
    seed_random(seeded, 5489u);
    for (int i = 0; i < 1500; ++i) ASSERT_EQ(next_random_u32(seeded), next_random_u32(unseeded)) << "output " << i + 1;
    EXPECT_EQ(1500u, unseeded.outputs);
}

TEST(RandomSource, ReseedingRestartsTheSequence) {
    RandomState r;
    seed_random(r, 42u);
    std::vector<std::uint32_t> first;
    for (int i = 0; i < 700; ++i) first.push_back(next_random_u32(r));
    seed_random(r, 42u);
    for (int i = 0; i < 700; ++i) ASSERT_EQ(first[i], next_random_u32(r)) << "output " << i + 1;
    seed_random(r, 43u);
    EXPECT_NE(first[0], next_random_u32(r));
}

TEST(RandomSource, ForcedOutputsComeOutAsChosen) {
    // The other tests rely on choosing the generator's next outputs.
    const std::uint32_t chosen[] = {0u, 0xffffffffu, 0x80000000u, 1u, 3499211612u, 0x12345678u};
    RandomState r;
    force_outputs(r, {chosen[0], chosen[1], chosen[2], chosen[3], chosen[4], chosen[5]});
    for (std::uint32_t want : chosen) EXPECT_EQ(want, next_random_u32(r));
}

TEST(RandomSource, UnitDrawStaysStrictlyInsideZeroAndOne) {
    RandomState r;
    force_outputs(r, {0u, 0xffffffffu});
    double lowest = random_unit(r);
    double highest = random_unit(r);
    EXPECT_TRUE(same_double(std::ldexp(1.0, -33), lowest));
    EXPECT_TRUE(same_double(1.0 - std::ldexp(1.0, -33), highest));
    EXPECT_GT(lowest, 0.0);
    EXPECT_LT(highest, 1.0);
}

TEST(RandomSource, FirstUnitDrawAfterSeedingIsTheFirstOutputCentred) {
    for (std::uint32_t seed : {0u, 1u, 5489u, 4294967295u}) {
        RandomState a;
        RandomState b;
        seed_random(a, seed);
        seed_random(b, seed);
        double x = static_cast<double>(next_random_u32(a));
        EXPECT_TRUE(same_double((x + 0.5) / 4294967296.0, random_unit(b))) << "seed " << seed;
    }
}

TEST(RandomSource, UniformBetweenIgnoresTheOrderOfItsBounds) {
    struct Bounds {
        double a, b;
    };
    const Bounds cases[] = {{0.6, 1.3}, {0.28553120651910735, 47.58853441985123}, {-3.5, 2.25}, {1e9, 6e9}};
    for (const Bounds& c : cases) {
        RandomState forward;
        seed_random(forward, 7u);
        RandomState backward = forward;
        for (int i = 0; i < 50; ++i) {
            double f = uniform_between(forward, c.a, c.b);
            double r = uniform_between(backward, c.b, c.a);
            ASSERT_TRUE(same_double(f, r)) << c.a << ".." << c.b << " draw " << i;
            ASSERT_GE(f, std::min(c.a, c.b));
            ASSERT_LE(f, std::max(c.a, c.b));
        }
    }
}

TEST(RandomSource, DegenerateRangesReturnTheValueAndStillConsumeAnOutput) {
    RandomState r;
    seed_random(r, 11u);
    RandomState reference = r;
    EXPECT_TRUE(same_double(2.5, uniform_between(r, 2.5, 2.5)));
    EXPECT_TRUE(same_double(0.04, vary_around(r, 0.04, 0.0)));
    EXPECT_TRUE(same_double(-7.0, vary_around(r, -7.0, 0.0)));
    EXPECT_EQ(3u, r.outputs);
    // The stream has moved on by exactly those three outputs.
    for (int i = 0; i < 3; ++i) next_random_u32(reference);
    EXPECT_EQ(next_random_u32(reference), next_random_u32(r));
}

TEST(RandomSource, EachDrawConsumesExactlyOneOutput) {
    RandomState r;
    seed_random(r, 99u);
    RandomState twin = r;
    uniform_between(r, 0.0, 1.0);
    vary_around(r, 23.4, 0.4);
    draw_eccentricity(r);
    random_unit(r);
    EXPECT_EQ(4u, r.outputs);
    for (int i = 0; i < 4; ++i) next_random_u32(twin);
    EXPECT_EQ(next_random_u32(twin), next_random_u32(r));
}

TEST(RandomSource, VaryAroundIsNotClampedAtZero) {
    // A small inventory with an absolute spread can draw below nothing.
    RandomState r;
    force_outputs(r, {0u, 0xffffffffu});
    double low = vary_around(r, 0.04, 0.2);
    double high = vary_around(r, 0.04, 0.2);
    EXPECT_NEAR(-0.16, low, 1e-9);
    EXPECT_LT(low, 0.0);
    EXPECT_NEAR(0.24, high, 1e-9);
    EXPECT_LT(high, 0.24);
}

TEST(RandomSource, EccentricityIsSkewedTowardsCircularOrbits) {
    RandomState r;
    force_outputs(r, {0u, 0x80000000u, 0xffffffffu});
    double widest = draw_eccentricity(r);
    double median = draw_eccentricity(r);
    double roundest = draw_eccentricity(r);
    EXPECT_NEAR(0.83, widest, 0.01);
    EXPECT_LT(widest, 1.0);
    EXPECT_NEAR(1.0 - std::pow(0.5, 0.077), median, 1e-9);
    EXPECT_NEAR(0.052, median, 0.001);
    EXPECT_GT(roundest, 0.0);
    EXPECT_LT(roundest, 1e-10);
}

TEST(RandomSource, ClockSecondsKeepTheirLowThirtyTwoBits) {
    struct Case {
        std::int64_t seconds;
        std::uint32_t seed;
    };
    const Case cases[] = {
        {0, 0u},
        {42, 42u},
        {4294967295LL, 4294967295u},
        {4294967296LL + 42, 42u},  // one wrap of the 32-bit clock later: the same system
        {-1, 4294967295u},         // an unreadable clock
    };
    for (const Case& c : cases) EXPECT_EQ(c.seed, seed_from_time(c.seconds)) << c.seconds;
}

}  // namespace
}  // namespace orrery::testing
