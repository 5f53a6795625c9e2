// The run's shortcuts (an eccentricity bound that spares most passes a pow,
// the runs of dusty bands, remembered reduced masses, the ice cover's cap)
// must decide and compute exactly what the plain formulas do.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "accretion/accretion.h"
#include "core_test_support.h"
#include "environment/environment.h"
#include "support/golden.h"

namespace orrery::testing {
namespace {

double exact_eccentricity(std::uint32_t x) {
    RandomState r;
    return eccentricity_from_output(r, x);
}

TEST(FastPaths, EccentricityBoundCoversEveryOutputOfItsBlock) {
    // The eccentricity falls as the output grows, so a block's largest value
    // is at its first output; the bound must cover it and stay close to it.
    for (std::uint32_t block = 0; block < 256; ++block) {
        std::uint32_t first = block << 24;
        std::uint32_t last = first | 0x00ffffffu;
        double top = exact_eccentricity(first);
        EXPECT_GE(eccentricity_upper_bound(first), top) << "block " << block;
        EXPECT_LE(eccentricity_upper_bound(first), top + 1e-6) << "block " << block;
        EXPECT_EQ(eccentricity_upper_bound(first), eccentricity_upper_bound(last)) << "block " << block;
        EXPECT_GE(eccentricity_upper_bound(last), exact_eccentricity(last)) << "block " << block;
    }
    std::mt19937 rng(5);
    for (int i = 0; i < 200000; ++i) {
        std::uint32_t x = rng();
        ASSERT_GE(eccentricity_upper_bound(x), exact_eccentricity(x)) << "output " << x;
    }
}

TEST(FastPaths, TheSplitEccentricityDrawIsTheWholeDraw) {
    RandomState whole;
    RandomState split;
    seed_random(whole, 77u);
    seed_random(split, 77u);
    for (int i = 0; i < 2000; ++i) {
        double a = draw_eccentricity(whole);
        double b = eccentricity_from_output(split, next_random_u32(split));
        ASSERT_TRUE(same_double(a, b)) << "draw " << i;
    }
    EXPECT_EQ(whole.outputs, split.outputs);
}

class SilentObserver final : public DrawObserver {
public:
    void on_draw(const char*, int, double, double, std::uint32_t, double) override { ++draws; }
    std::uint64_t draws = 0;
};

struct Outcome {
    std::string text;  // progress, then report
    std::vector<Planet> planets;
    Star star;
    GenerationCounts counts;
};

enum class Mode { plain, checked, watched };

Outcome generate(std::uint32_t seed, Mode mode) {
    auto g = std::make_unique<Generation>();
    Outcome o;
    StringProgress progress(o.text);
    SilentObserver observer;
    // Checking makes every pass also take the exact eccentricity and the
    // walk over all bands, and throws if the shortcut disagrees; watching
    // takes the exact eccentricity on every pass, as a draw trace needs.
    g->accretion.check_invariants = mode == Mode::checked;
    if (mode == Mode::watched) g->random.observer = &observer;
    run_generation(*g, seed, &progress);
    g->random.observer = nullptr;
    append_system_report(o.text, g->star, g->planets);
    o.planets = g->planets;
    o.star = g->star;
    o.counts = g->counts;
    if (mode == Mode::watched) {
        EXPECT_EQ(observer.draws, g->random.outputs) << "seed " << seed;
    }
    return o;
}

void expect_same_outcome(const Outcome& a, const Outcome& b, std::uint32_t seed) {
    ASSERT_EQ(a.text, b.text) << "seed " << seed;
    ASSERT_EQ(a.planets.size(), b.planets.size()) << "seed " << seed;
    // Planet and Star hold doubles and ints only; padding is not compared.
    for (std::size_t i = 0; i < a.planets.size(); ++i) {
        const Planet& p = a.planets[i];
        const Planet& q = b.planets[i];
        const double pa[] = {p.distance, p.eccentricity, p.mass, p.radius, p.density, p.year_days,
                             p.day_hours, p.escape_velocity, p.surface_accel, p.surface_gravity,
                             p.rms_velocity, p.min_molecular_weight, p.volatile_inventory, p.surface_pressure,
                             p.boiling_point, p.albedo, p.surface_temp, p.hydrosphere, p.cloud_cover, p.ice_cover};
        const double qa[] = {q.distance, q.eccentricity, q.mass, q.radius, q.density, q.year_days,
                             q.day_hours, q.escape_velocity, q.surface_accel, q.surface_gravity,
                             q.rms_velocity, q.min_molecular_weight, q.volatile_inventory, q.surface_pressure,
                             q.boiling_point, q.albedo, q.surface_temp, q.hydrosphere, q.cloud_cover, q.ice_cover};
        for (std::size_t k = 0; k < std::size(pa); ++k)
            ASSERT_TRUE(same_double(pa[k], qa[k])) << "seed " << seed << " planet " << i + 1 << " field " << k;
        ASSERT_EQ(p.axial_tilt, q.axial_tilt) << "seed " << seed << " planet " << i + 1;
    }
    EXPECT_EQ(a.counts.accretion_passes, b.counts.accretion_passes) << "seed " << seed;
    EXPECT_EQ(a.counts.draws_after_pipeline, b.counts.draws_after_pipeline) << "seed " << seed;
}

TEST(FastPaths, CheckedAndWatchedGenerationsAgreeWithThePlainOne) {
    std::vector<std::uint32_t> seeds = golden_seeds();
    for (std::uint32_t s = 1; s <= 300; ++s) seeds.push_back(s);
    for (std::uint32_t s : {0x7fffffffu, 0x80000000u, 0xfffffff0u}) seeds.push_back(s);
    for (std::uint32_t seed : seeds) {
        Outcome plain = generate(seed, Mode::plain);
        Outcome checked;
        ASSERT_NO_THROW(checked = generate(seed, Mode::checked)) << "seed " << seed;
        expect_same_outcome(plain, checked, seed);
        expect_same_outcome(plain, generate(seed, Mode::watched), seed);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

// The straightforward formula, with the library's power always taken.
double ice_cover_by_the_formula(double hydrosphere, double temperature) {
    double t = temperature <= 328 ? temperature : 328;
    double i = std::pow((328 - t) / 90, 5.0);
    double j = 1.5 * hydrosphere < i ? 1.5 * hydrosphere : i;
    return j <= 1 ? j : 1;
}

TEST(FastPaths, IceCoverMatchesTheFormulaAtAndAroundItsCap) {
    std::vector<double> temperatures = {-50.0, 0.0, 3.0, 150.0, 238.0, 273.0, 300.0, 327.9, 327.999999,
                                        328.0, 329.0, 500.0, std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> t_dist(0.0, 330.0);
    for (int i = 0; i < 3000; ++i) temperatures.push_back(t_dist(rng));
    for (double t : temperatures) {
        std::vector<double> hydrospheres = {0.0, -0.0, 1e-300, 1e-12, 0.001, 0.05, 0.5, 2.0 / 3.0, 1.0, 7.0};
        // Caps on both sides of the fifth power, down to a unit in the last
        // place, where the shortcut must leave the decision to the library.
        double power = std::pow((328 - (t <= 328 ? t : 328)) / 90, 5.0);
        double h = power / 1.5;
        if (std::isfinite(h) && h > 0) {
            for (int k = 0; k < 4; ++k) {
                hydrospheres.push_back(h);
                h = std::nextafter(h, 0.0);
            }
            h = power / 1.5;
            for (int k = 0; k < 4; ++k) hydrospheres.push_back(h = std::nextafter(h, 2.0));
            hydrospheres.push_back(power / 1.5 * (1 + 1e-12));
            hydrospheres.push_back(power / 1.5 * (1 - 1e-12));
        }
        for (double hyd : hydrospheres)
            ASSERT_TRUE(same_double(ice_cover_by_the_formula(hyd, t), compute_ice_cover(hyd, t)))
                << "hydrosphere " << hyd << " temperature " << t;
    }
}

TEST(FastPaths, RememberedReducedMassIsTheLibraryValue) {
    // Far more masses than the memory has slots, each asked twice at once and
    // again later, so that slots are shared, overwritten and hit.
    AccretionState acc;
    std::mt19937_64 rng(9);
    std::vector<double> masses = {0.0, SEED_MASS, 1e-3, 1.0, 3e-6};
    for (int i = 0; i < 2000; ++i) masses.push_back(std::ldexp(1.0 + (rng() % 1000000) / 1e6, -int(rng() % 60)));
    for (int round = 0; round < 2; ++round) {
        for (double m : masses) {
            ASSERT_TRUE(same_double(reduced_mass_of(m), remembered_reduced_mass(acc, m))) << "mass " << m;
            ASSERT_TRUE(same_double(reduced_mass_of(m), remembered_reduced_mass(acc, m))) << "mass " << m;
        }
    }
}

// FNV-1a over each seed's progress lines then report, in seed order (what
// `orrery-lab bench --seeds 1..5000` prints as its signature). The value was
// produced by the first, plain version of the core, before any of the
// shortcuts above; a change of the model itself changes it.
TEST(FastPaths, FiveThousandSeedsKeepTheirSignature) {
    Generator generator;
    System system;
    std::string text;
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::uint32_t seed = 1; seed <= 5000; ++seed) {
        text.clear();
        StringProgress progress(text);
        generator.generate(seed, system, &progress);
        append_report(text, system);
        for (unsigned char c : text) {
            hash ^= c;
            hash *= 0x100000001b3ull;
        }
    }
    EXPECT_EQ(0xf88f92354eb83740ull, hash);
}

}  // namespace
}  // namespace orrery::testing
