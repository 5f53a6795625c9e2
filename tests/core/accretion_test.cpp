// Accretion: dust bands, nucleus growth, merging and insertion, and the
// injection loop against the reference runs.
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "accretion/accretion.h"
#include "core_test_support.h"
#include "support/golden.h"
#include <orrery/orrery.h>

#include "generation/generation.h"
#include "generation/star.h"
#include "report/report.h"

namespace orrery::testing {
namespace {

const double INF = std::numeric_limits<double>::infinity();
double below(double x) { return std::nextafter(x, -INF); }
double above(double x) { return std::nextafter(x, INF); }

using Bands = std::vector<DustBand>;

std::string describe(const Bands& bands) {
    std::string s;
    for (const DustBand& b : bands) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "[%.17g, %.17g %s %s] ", b.inner_edge, b.outer_edge,
                      b.has_dust ? "dust" : "-", b.has_gas ? "gas" : "-");
        s += buf;
    }
    return s.empty() ? "(no bands)" : s;
}

// A generation whose disc is the given bands, with progress lines captured.
struct Disc {
    std::unique_ptr<Generation> g = fresh_generation(42);
    std::string progress;
    StringProgress sink{progress};
    explicit Disc(Bands bands) {
        g->progress = &sink;
        g->accretion.dust_bands = std::move(bands);
        g->accretion.cloud_eccentricity = 0.2;
    }
    // A disc with planets already in it and the reduced-mass term the last
    // sweep left.
    Disc(Bands bands, std::vector<Planet> planets, double reduced_mass) : Disc(std::move(bands)) {
        g->planets = std::move(planets);
        g->accretion.reduced_mass = reduced_mass;
    }
    Disc(const Disc&) = delete;  // the generation points at this sink
    AccretionState& acc() { return g->accretion; }
};

// ---------------------------------------------------------------- dust bands

TEST(DustBands, UpdateSplitsMarksAndMergesBands) {
    struct Case {
        const char* what;
        Bands before;
        double lo, hi, mass, crit, inj_lo, inj_hi;
        Bands after;
        int dust_left;
    };
    const Case cases[] = {
        {"range inside a band, gas kept at exactly the critical mass",
         {{0, 10, 1, 1}}, 2, 4, 1.0, 1.0, 0.3, 50,
         {{0, 2, 1, 1}, {2, 4, 0, 1}, {4, 10, 1, 1}}, 1},
        {"range inside a band, gas taken above the critical mass",
         {{0, 10, 1, 1}}, 2, 4, 1.5, 1.0, 0.3, 50,
         {{0, 2, 1, 1}, {2, 4, 0, 0}, {4, 10, 1, 1}}, 1},
        {"a band without gas stays without gas",
         {{0, 10, 1, 0}}, 2, 4, 0.5, 1.0, 0.3, 50,
         {{0, 2, 1, 0}, {2, 4, 0, 0}, {4, 10, 1, 0}}, 1},
        {"range covers the inner part of a band",
         {{0, 10, 1, 1}}, 0, 3, 2.0, 1.0, 0.3, 50,
         {{0, 3, 0, 0}, {3, 10, 1, 1}}, 1},
        {"range covers the outer part of a band",
         {{0, 10, 1, 1}}, 7, 12, 2.0, 1.0, 0.3, 50,
         {{0, 7, 1, 1}, {7, 10, 0, 0}}, 1},
        {"range covers the whole band",
         {{0, 10, 1, 1}}, 0, 10, 2.0, 1.0, 0.3, 50,
         {{0, 10, 0, 0}}, 0},
        {"range ends exactly on a band's inner edge",
         {{0, 4, 0, 1}, {4, 6, 1, 1}, {6, 10, 0, 1}}, 1, 4, 2.0, 1.0, 0.3, 50,
         {{0, 1, 0, 1}, {1, 4, 0, 0}, {4, 6, 1, 1}, {6, 10, 0, 1}}, 1},
        {"range starts exactly on a band's outer edge",
         {{0, 4, 0, 1}, {4, 6, 1, 1}, {6, 10, 0, 1}}, 6, 8, 2.0, 1.0, 0.3, 50,
         {{0, 4, 0, 1}, {4, 6, 1, 1}, {6, 8, 0, 0}, {8, 10, 0, 1}}, 1},
        {"range over three bands; equal pieces merge only pairwise",
         {{0, 4, 1, 1}, {4, 6, 0, 1}, {6, 10, 1, 1}}, 3, 7, 2.0, 1.0, 0.3, 50,
         {{0, 3, 1, 1}, {3, 6, 0, 0}, {6, 7, 0, 0}, {7, 10, 1, 1}}, 1},
        {"three equal neighbours become two",
         {{0, 2, 0, 0}, {2, 4, 0, 0}, {4, 6, 0, 0}, {6, 10, 1, 1}}, 20, 30, 2.0, 1.0, 0.3, 50,
         {{0, 4, 0, 0}, {4, 6, 0, 0}, {6, 10, 1, 1}}, 1},
        {"dust ending exactly at the inner injection limit counts",
         {{0, 2, 1, 1}, {2, 10, 0, 0}}, 20, 30, 2.0, 1.0, 2.0, 50,
         {{0, 2, 1, 1}, {2, 10, 0, 0}}, 1},
        {"dust ending just short of the inner injection limit does not",
         {{0, 2, 1, 1}, {2, 10, 0, 0}}, 20, 30, 2.0, 1.0, above(2.0), 50,
         {{0, 2, 1, 1}, {2, 10, 0, 0}}, 0},
        {"dust starting exactly at the outer injection limit counts",
         {{0, 8, 0, 0}, {8, 10, 1, 1}}, 20, 30, 2.0, 1.0, 0.3, 8.0,
         {{0, 8, 0, 0}, {8, 10, 1, 1}}, 1},
        {"dust starting just past the outer injection limit does not",
         {{0, 8, 0, 0}, {8, 10, 1, 1}}, 20, 30, 2.0, 1.0, 0.3, below(8.0),
         {{0, 8, 0, 0}, {8, 10, 1, 1}}, 0},
        {"a band absorbed by its inner neighbour is not tested for dust",
         {{0, 1, 1, 1}, {1, 3, 1, 1}, {3, 10, 0, 0}}, 20, 30, 2.0, 1.0, 2.0, 50,
         {{0, 3, 1, 1}, {3, 10, 0, 0}}, 0},
        {"an empty disc", {}, 2, 4, 2.0, 1.0, 0.3, 50, {}, 0},
    };
    for (const Case& c : cases) {
        Disc d(c.before);
        d.acc().dust_left = 1;
        update_dust_bands(*d.g, c.lo, c.hi, c.mass, c.crit, c.inj_lo, c.inj_hi);
        EXPECT_EQ(describe(c.after), describe(d.acc().dust_bands)) << c.what;
        EXPECT_EQ(c.dust_left, d.acc().dust_left) << c.what;
    }
}

TEST(DustBands, EqualNeighboursMergeFullyOverTwoUpdates) {
    Disc d({{0, 2, 0, 0}, {2, 4, 0, 0}, {4, 6, 0, 0}});
    update_dust_bands(*d.g, 20, 30, 1.0, 1.0, 0.3, 50);
    EXPECT_EQ(describe({{0, 4, 0, 0}, {4, 6, 0, 0}}), describe(d.acc().dust_bands));
    update_dust_bands(*d.g, 20, 30, 1.0, 1.0, 0.3, 50);
    EXPECT_EQ(describe({{0, 6, 0, 0}}), describe(d.acc().dust_bands));
    EXPECT_EQ(0, d.acc().dust_left);
}

TEST(DustBands, DustInRange) {
    const Bands disc = {{0, 2, 0, 1}, {2, 4, 1, 1}, {4, 10, 0, 0}};
    struct Case {
        double lo, hi;
        int dust;
    };
    const Case cases[] = {
        {0.5, 1.5, 0},   {1, 2, 0},    {1, above(2), 1}, {2, 2, 0}, {4, 4, 1},
        {3, 1, 1},  // the first band reaching lo counts even when it starts beyond hi
        {4.5, 5, 0},     {11, 12, 0},  {-5, 0, 0},       {-5, 2.5, 1}, {above(4), 100, 0},
    };
    for (const Case& c : cases) {
        Disc d(disc);
        EXPECT_EQ(c.dust, dust_in_range(*d.g, c.lo, c.hi)) << c.lo << ".." << c.hi;
    }
    Disc empty({});
    EXPECT_EQ(0, dust_in_range(*empty.g, -1, 1000));
}

TEST(DustBands, ResetStartsOneDustyGassyBandAndEmptiesThePlanets) {
    Disc d({{0, 1, 0, 0}, {1, 2, 1, 0}});
    d.g->planets.push_back(Planet{});
    d.acc().reduced_mass = 0.25;
    d.acc().dust_density = 0.5;
    reset_disc(*d.g, 0.0, 200.0);
    EXPECT_EQ(describe({{0, 200, 1, 1}}), describe(d.acc().dust_bands));
    EXPECT_TRUE(d.g->planets.empty());
    EXPECT_EQ(1, d.acc().dust_left);
    EXPECT_EQ(0.2, d.acc().cloud_eccentricity);
    // What the last sweep left is kept: the first availability test reads it.
    EXPECT_EQ(0.25, d.acc().reduced_mass);
    EXPECT_EQ(0.5, d.acc().dust_density);
}

TEST(DustBands, InvariantCheckRejectsBrokenDiscs) {
    struct Case {
        const char* what;
        Bands bands;
    };
    const Case broken[] = {
        {"no band", {}},
        {"wrong inner limit", {{0.5, 10, 1, 1}}},
        {"wrong outer limit", {{0, 9, 1, 1}}},
        {"a gap between bands", {{0, 4, 1, 1}, {5, 10, 0, 0}}},
        {"overlapping bands", {{0, 5, 1, 1}, {4, 10, 0, 0}}},
        {"an empty band", {{0, 4, 1, 1}, {4, 4, 0, 0}, {4, 10, 1, 1}}},
        {"a reversed band", {{0, 6, 1, 1}, {6, 4, 0, 0}, {4, 10, 1, 1}}},
        {"a flag that is not 0 or 1", {{0, 4, 2, 1}, {4, 10, 0, 0}}},
    };
    for (const Case& c : broken) {
        AccretionState acc;
        acc.dust_bands = c.bands;
        EXPECT_THROW(check_dust_bands(acc, 0.0, 10.0), std::logic_error) << c.what;
    }
    AccretionState good;
    good.dust_bands = {{0, 4, 1, 1}, {4, 6, 0, 1}, {6, 10, 0, 0}};
    EXPECT_NO_THROW(check_dust_bands(good, 0.0, 10.0));
}

// ---------------------------------------------------------------- nucleus growth

// The sweep of a body at 1 AU with a small eccentricity, on the given disc.
struct Sweep {
    double a = 1.0, e = 0.1, mass = 1e-6, crit = 1.0;
};

TEST(NucleusGrowth, ABandCoveringTheWholeZoneContributesItsFullRing) {
    Disc d({{0, 100, 1, 0}});
    d.acc().dust_density = 1e-3;
    Sweep s;
    double swept = sweep_dust(*d.g, s.mass, s.a, s.e, s.crit);
    double mu = std::pow(s.mass / (s.mass + 1), 0.25);
    double r_in = (1 - mu) * ((1 - s.e) * s.a) / 1.2;
    double r_out = (1 + mu) * ((1 + s.e) * s.a) / 0.8;
    EXPECT_TRUE(same_double(mu, d.acc().reduced_mass));
    EXPECT_TRUE(same_double(r_in, d.acc().sweep_inner));
    EXPECT_TRUE(same_double(r_out, d.acc().sweep_outer));
    EXPECT_NEAR(12.5663706144 * s.a * s.a * mu * (r_out - r_in) * 1e-3, swept, swept * 1e-14);
}

TEST(NucleusGrowth, AZoneReachingInsideTheStarStartsAtZero) {
    // Only an orbit with eccentricity above 1 reaches below zero.
    Disc d({{0, 100, 1, 0}});
    d.acc().dust_density = 1e-3;
    double mass = 1e-6;
    double swept = sweep_dust(*d.g, mass, 1.0, 1.5, 1.0);
    double mu = std::pow(mass / (mass + 1), 0.25);
    double r_out = d.acc().sweep_outer;
    EXPECT_TRUE(same_double(0.0, d.acc().sweep_inner));
    EXPECT_NEAR(12.5663706144 * mu * r_out * 1e-3, swept, swept * 1e-14);
}

TEST(NucleusGrowth, OnlyDustInsideTheZoneIsSwept) {
    Sweep s;
    Disc probe({{0, 100, 0, 0}});
    probe.acc().dust_density = 1e-3;
    sweep_dust(*probe.g, s.mass, s.a, s.e, s.crit);
    const double lo = probe.acc().sweep_inner;
    const double hi = probe.acc().sweep_outer;
    const double mid = (lo + hi) / 2;

    Disc whole({{0, 100, 1, 0}});
    whole.acc().dust_density = 1e-3;
    const double full = sweep_dust(*whole.g, s.mass, s.a, s.e, s.crit);
    ASSERT_GT(full, 0.0);

    struct Case {
        const char* what;
        Bands bands;
        double expected;
    };
    const Case cases[] = {
        {"dust only outside, touching the zone's edges", {{0, lo, 1, 0}, {lo, hi, 0, 0}, {hi, 100, 1, 0}}, 0.0},
        {"dust exactly on the zone", {{0, lo, 0, 0}, {lo, hi, 1, 0}, {hi, 100, 0, 0}}, full},
        {"the zone split over two dusty bands", {{0, mid, 1, 0}, {mid, 100, 1, 0}}, full},
        {"gas without dust, above the critical mass", {{0, 100, 0, 1}}, 0.0},
        {"no bands", {}, 0.0},
    };
    for (const Case& c : cases) {
        Disc d(c.bands);
        d.acc().dust_density = 1e-3;
        double crit = c.bands.size() == 1 && c.bands[0].has_gas ? s.mass / 4 : s.crit;
        EXPECT_NEAR(c.expected, sweep_dust(*d.g, s.mass, s.a, s.e, crit), full * 1e-12) << c.what;
        EXPECT_TRUE(same_double(hi, d.acc().sweep_outer)) << c.what;
    }
}

TEST(NucleusGrowth, GasRaisesTheDensityFromTheCriticalMassOn) {
    Sweep s;
    auto swept = [&](int has_gas, double crit) {
        Disc d({{0, 100, 1, has_gas}});
        d.acc().dust_density = 1e-3;
        return sweep_dust(*d.g, s.mass, s.a, s.e, crit);
    };
    const double dust_only = swept(0, s.mass);
    // At exactly the critical mass the gas factor is 50 / (1 + 49) = 1.
    EXPECT_TRUE(same_double(dust_only, swept(1, s.mass)));
    EXPECT_TRUE(same_double(dust_only, swept(1, above(s.mass))));
    EXPECT_NEAR(50.0 / (1 + 49 * 0.5), swept(1, s.mass / 4) / dust_only, 1e-12);
    EXPECT_NEAR(50.0, swept(1, s.mass * 1e-12) / dust_only, 0.01);
}

TEST(NucleusGrowth, ANucleusInAnEmptyZoneStaysASeedButMarksItsZone) {
    Disc d({{0, 100, 0, 1}});
    d.acc().dust_density = 1e-3;
    double mass = SEED_MASS;
    grow_nucleus(*d.g, mass, 1.0, 0.1, 1.0, 0.3, 50);
    EXPECT_TRUE(same_double(SEED_MASS, mass));
    // The zone was cut out of the band; its pieces carry the same flags, so
    // the pairwise merge joins the first two and leaves a seam at the zone's
    // outer edge.
    const double hi = d.acc().sweep_outer;
    EXPECT_EQ(describe({{0, hi, 0, 1}, {hi, 100, 0, 1}}), describe(d.acc().dust_bands));
    EXPECT_EQ(0, d.acc().dust_left);
}

TEST(NucleusGrowth, ANucleusClearsTheDustOfItsZone) {
    Disc d({{0, 100, 1, 1}});
    const double a = 1.0, e = 0.05;
    d.acc().dust_density = std::exp(std::pow(a, 0.3333333333333333) * -5) * (std::sqrt(1.0) * 0.002);
    double crit = critical_mass(a, e, 1.0);
    double mass = SEED_MASS;
    grow_nucleus(*d.g, mass, a, e, crit, 0.3, 50);
    EXPECT_GT(mass, 1e3 * SEED_MASS);
    EXPECT_LT(mass, crit) << "an inner nucleus stays rocky";
    const double lo = d.acc().sweep_inner;
    const double hi = d.acc().sweep_outer;
    EXPECT_LT(lo, a);
    EXPECT_GT(hi, a);
    EXPECT_EQ(0, dust_in_range(*d.g, above(lo), below(hi)));
    EXPECT_EQ(describe({{0, lo, 1, 1}, {lo, hi, 0, 1}, {hi, 100, 1, 1}}), describe(d.acc().dust_bands));
    EXPECT_EQ(1, d.acc().dust_left);
}

TEST(NucleusGrowth, AHeavyBodyInThinDustStopsAfterOneSweep) {
    // The first sweep returns less than the starting mass: growth ends there
    // and the starting mass is added to that one sweep.
    Disc d({{0, 100, 1, 0}});
    d.acc().dust_density = 1e-20;
    Generation replay = *d.g;
    const double start = 1e-3;
    double s = sweep_dust(replay, start, 2.0, 0.1, 1.0);
    ASSERT_LT(s, start);
    double mass = start;
    grow_nucleus(*d.g, mass, 2.0, 0.1, 1.0, 0.3, 50);
    EXPECT_TRUE(same_double(start + s, mass));
    EXPECT_TRUE(same_double(replay.accretion.sweep_outer, d.acc().sweep_outer));
}

TEST(NucleusGrowth, LimitsScaleWithTheCubeRootOfTheStarsMass) {
    for (double m : {0.6, 1.0, 1.3}) {
        double r = std::pow(m, 0.3333333333333333);
        EXPECT_TRUE(same_double(200.0 * r, outer_dust_limit(m)));
        EXPECT_TRUE(same_double(0.3 * r, injection_inner_limit(m)));
        EXPECT_TRUE(same_double(50.0 * r, injection_outer_limit(m)));
    }
    EXPECT_EQ(200.0, outer_dust_limit(1.0));
    // Gas is held from 1.2e-5 solar masses at 1 AU around the sun, less farther out.
    EXPECT_NEAR(1.2e-5, critical_mass(1.0, 0.0, 1.0), 1e-20);
    EXPECT_LT(critical_mass(5.0, 0.0, 1.0), critical_mass(1.0, 0.0, 1.0));
    EXPECT_NEAR(critical_mass(0.5, 0.0, 1.0), critical_mass(1.0, 0.5, 1.0), 1e-18) << "periapsis decides";
}

// ---------------------------------------------------------------- merging

Planet body(double distance, double eccentricity, double mass, int gas_giant = 0) {
    Planet p;
    p.distance = distance;
    p.eccentricity = eccentricity;
    p.mass = mass;
    p.is_gas_giant = gas_giant;
    return p;
}

std::vector<double> distances(const Generation& g) {
    std::vector<double> out;
    for (const Planet& p : g.planets) out.push_back(p.distance);
    return out;
}

// A disc swept clean, so that a merged body does not grow any further.
const Bands CLEAN = {{0, 100, 0, 0}};

const char* const COLLISION = "Collision between two planetesimals!\n";

TEST(Merging, TheNucleusCarriesTheReducedMassOfThePlanetBefore) {
    // A heavy inner planet leaves a large reduced mass behind; with it the
    // nucleus reaches the outer planet that its own small mass would miss.
    Disc d(CLEAN, {body(0.5, 0, 0.5), body(1.5, 0, 1e-12)}, 0.0);
    merge_or_insert_planet(*d.g, 1.0, 0.0, 1e-10, 1.0, 1.0, 0.3, 50);
    EXPECT_EQ(COLLISION, d.progress);
    ASSERT_EQ(2u, d.g->planets.size());
    EXPECT_EQ(0.5, d.g->planets[0].distance);
    EXPECT_EQ(0.5, d.g->planets[0].mass);
    const Planet& merged = d.g->planets[1];
    double total = 1e-10 + 1e-12;
    EXPECT_NEAR(total / (1e-10 / 1.0 + 1e-12 / 1.5), merged.distance, 1e-15);
    EXPECT_TRUE(same_double(total, merged.mass));
    EXPECT_EQ(0, merged.is_gas_giant);

    // The same walk past a light inner planet misses both.
    Disc light(CLEAN, {body(0.5, 0, 1e-20), body(1.5, 0, 1e-12)}, 0.0);
    merge_or_insert_planet(*light.g, 1.0, 0.0, 1e-10, 1.0, 1.0, 0.3, 50);
    EXPECT_EQ("", light.progress);
    EXPECT_EQ((std::vector<double>{0.5, 1.0, 1.5}), distances(*light.g));
    // After a walk without collision the last planet's term is left behind.
    EXPECT_TRUE(same_double(reduced_mass_of(1e-12), light.acc().reduced_mass));
}

TEST(Merging, AGapExactlyEqualToAReachCollides) {
    struct Case {
        const char* what;
        double a, e;        // the nucleus, whose own reduced-mass term starts at 0
        Planet planet;
        bool collides;
    };
    const Case cases[] = {
        // Nucleus at 1 with e 0.5 reaches exactly 0.5 inward and outward. The
        // misses are placed so that the gap is the next double past the reach.
        {"planet inside at the nucleus's reach", 1.0, 0.5, body(0.5, 0, 1e-30), true},
        {"planet inside just beyond it", 1.0, 0.5, body(1.0 - above(0.5), 0, 1e-30), false},
        {"planet outside at the nucleus's reach", 1.0, 0.5, body(1.5, 0, 1e-30), true},
        {"planet outside just beyond it", 1.0, 0.5, body(above(1.5), 0, 1e-30), false},
        // A massless planet at 2 with e 0.5 reaches exactly 1 inward.
        {"nucleus at the planet's reach", 1.0, 0.0, body(2.0, 0.5, 0.0), true},
        {"nucleus just beyond the planet's reach", 2.0 - above(1.0), 0.0, body(2.0, 0.5, 0.0), false},
        {"same distance, no reach at all", 1.0, 0.0, body(1.0, 0.0, 0.0), true},
    };
    for (const Case& c : cases) {
        Disc d(CLEAN, {c.planet}, 0.0);
        merge_or_insert_planet(*d.g, c.a, c.e, 1e-12, 1.0, 1.0, 0.3, 50);
        EXPECT_EQ(c.collides ? COLLISION : "", d.progress) << c.what;
        EXPECT_EQ(c.collides ? 1u : 2u, d.g->planets.size()) << c.what;
    }
}

TEST(Merging, NewPlanetsGoBeforeTheFirstPlanetFartherOut) {
    // After a merge the list can be out of order (3 before 2); insertion
    // still walks from the head.
    struct Case {
        double a;
        std::vector<double> order;
    };
    const Case cases[] = {
        {0.5, {0.5, 1.0, 3.0, 2.0}},
        {1.5, {1.0, 1.5, 3.0, 2.0}},
        {2.5, {1.0, 2.5, 3.0, 2.0}},
        {4.0, {1.0, 3.0, 2.0, 4.0}},
    };
    for (const Case& c : cases) {
        Disc d(CLEAN, {body(1.0, 0, 1e-20), body(3.0, 0, 1e-20), body(2.0, 0, 1e-20)}, 0.0);
        merge_or_insert_planet(*d.g, c.a, 0.0, 1e-20, 1.0, 1.0, 0.3, 50);
        EXPECT_EQ("", d.progress) << c.a;
        EXPECT_EQ(c.order, distances(*d.g)) << c.a;
    }
}

TEST(Merging, TheFirstPlanetOfAnEmptySystem) {
    struct Case {
        double mass, crit;
        int gas_giant;
    };
    const Case cases[] = {{1e-5, 1e-5, 1}, {1e-5, above(1e-5), 0}, {1e-3, 1e-5, 1}};
    for (const Case& c : cases) {
        Disc d(CLEAN, {}, 0.123);
        merge_or_insert_planet(*d.g, 2.0, 0.1, c.mass, c.crit, 1.0, 0.3, 50);
        ASSERT_EQ(1u, d.g->planets.size());
        const Planet& p = d.g->planets[0];
        EXPECT_EQ(2.0, p.distance);
        EXPECT_EQ(0.1, p.eccentricity);
        EXPECT_EQ(c.mass, p.mass);
        EXPECT_EQ(c.gas_giant, p.is_gas_giant) << c.mass << " against " << c.crit;
        EXPECT_EQ(0.123, d.acc().reduced_mass) << "no collision test ran";
        EXPECT_EQ("", d.progress);
    }
}

TEST(Merging, AMergedPlanetKeepsItsKindAndPlace) {
    // Two circular orbits at one distance pool into one circular orbit there
    // (values chosen so that the arithmetic is exact).
    Disc d(CLEAN, {body(0.2, 0, 1e-9), body(1.0, 0.0, 0.25, 0), body(5.0, 0, 1e-9)}, 0.0);
    merge_or_insert_planet(*d.g, 1.0, 0.0, 0.5, 1e-6, 1.0, 0.3, 50);
    EXPECT_EQ(COLLISION, d.progress);
    EXPECT_EQ((std::vector<double>{0.2, 1.0, 5.0}), distances(*d.g));
    const Planet& merged = d.g->planets[1];
    EXPECT_EQ(0, merged.is_gas_giant) << "a rocky planet stays rocky however heavy it grows";
    EXPECT_TRUE(same_double(0.0, merged.eccentricity));
    EXPECT_TRUE(same_double(0.75, merged.mass));
}

TEST(Merging, TheMergedBodyTakesGasOnlyAboveTheStarsLuminosity) {
    // The merged body sweeps with the star's luminosity standing in for the
    // critical mass; the nucleus's own (tiny) critical mass plays no part.
    for (double luminosity : {1e-12, 1.0}) {
        Disc d({{0, 100, 0, 1}});
        d.g->planets = {body(1.0, 0.0, 1e-10)};
        merge_or_insert_planet(*d.g, 1.0, 0.0, 1e-10, 1e-30, luminosity, 0.3, 50);
        ASSERT_EQ(COLLISION, d.progress);
        const double lo = d.acc().sweep_inner;
        const double hi = d.acc().sweep_outer;
        if (luminosity < 1e-10)
            EXPECT_EQ(describe({{0, lo, 0, 1}, {lo, hi, 0, 0}, {hi, 100, 0, 1}}), describe(d.acc().dust_bands));
        else
            EXPECT_EQ(describe({{0, hi, 0, 1}, {hi, 100, 0, 1}}), describe(d.acc().dust_bands));
    }
}

// ---------------------------------------------------------------- the whole stage

// Runs the accretion stage as a generation does: after the star's mass draw.
struct Accreted {
    std::unique_ptr<Generation> g;
    std::string progress;
    StringProgress sink{progress};
    double star_mass = 0.0;
    explicit Accreted(std::uint32_t seed, bool check = false) : g(fresh_generation(seed)) {
        g->progress = &sink;
        g->accretion.check_invariants = check;
        star_mass = uniform_between(g->random, 0.6, 1.3);
        accrete_planets(*g, star_mass, luminosity_from_mass(star_mass), 0.0, outer_dust_limit(star_mass));
    }
};

TEST(AccretionStage, EveryPassDrawsItsDistanceBetweenTheInjectionLimits) {
    struct Bounds final : DrawObserver {
        std::vector<std::pair<double, double>> seen;
        void on_draw(const char* name, int, double a, double b, std::uint32_t, double) override {
            if (std::string(name) == "uniform_between") seen.push_back({a, b});
        }
    };
    for (double star_mass : {0.6, 1.0, 1.3}) {
        auto g = fresh_generation(7);
        Bounds bounds;
        g->random.observer = &bounds;
        accrete_planets(*g, star_mass, luminosity_from_mass(star_mass), 0.0, outer_dust_limit(star_mass));
        ASSERT_EQ(g->counts.accretion_passes, bounds.seen.size()) << "star " << star_mass;
        for (const auto& [lo, hi] : bounds.seen) {
            ASSERT_TRUE(same_double(injection_inner_limit(star_mass), lo)) << "star " << star_mass;
            ASSERT_TRUE(same_double(injection_outer_limit(star_mass), hi)) << "star " << star_mass;
        }
    }
}

class AccretionGolden : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(AccretionGolden, PlanetsWhenAccretionEndsMatchTheReference) {
    Accreted run(GetParam());
    nlohmann::json dump = golden_dump(GetParam());
    const nlohmann::json& expected = dump["planets_after_accretion"];
    ASSERT_EQ(expected.size(), run.g->planets.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Planet& p = run.g->planets[i];
        const nlohmann::json& j = expected[i];
        std::string at = "planet " + std::to_string(i + 1);
        EXPECT_TRUE(same_double(dump_double(j["distance"]), p.distance)) << at;
        EXPECT_TRUE(same_double(dump_double(j["eccentricity"]), p.eccentricity)) << at;
        EXPECT_TRUE(same_double(dump_double(j["mass"]), p.mass)) << at;
        EXPECT_EQ(j["is_gas_giant"].get<int>(), p.is_gas_giant) << at;
    }
    EXPECT_EQ(dump["accretion_passes"].get<std::uint64_t>(), run.g->counts.accretion_passes);
    EXPECT_EQ(dump["draws"]["after_accretion"].get<std::uint64_t>(), run.g->random.outputs);
    EXPECT_EQ(2 * run.g->counts.accretion_passes + 1, run.g->random.outputs) << "two draws per pass";
}

TEST_P(AccretionGolden, ProgressLinesOpenTheRunsOutput) {
    Accreted run(GetParam());
    std::string all = golden_file(GetParam(), "stdout.txt");
    ASSERT_FALSE(run.progress.empty());
    ASSERT_EQ(run.progress, all.substr(0, run.progress.size()));
    // Everything after the accretion lines belongs to the planet pipeline.
    std::string rest = all.substr(run.progress.size());
    for (const char* line : {".. Injecting protoplanet.", ".. failed due to large neighbor.", "Collision between"})
        EXPECT_EQ(std::string::npos, rest.find(line)) << line;
}

TEST_P(AccretionGolden, TheDiscStaysWellFormedThroughoutARun) {
    // The debug check runs after every growth and every merge of the run.
    std::unique_ptr<Accreted> checked;
    ASSERT_NO_THROW(checked = std::make_unique<Accreted>(GetParam(), true));
    Accreted plain(GetParam());
    EXPECT_EQ(plain.progress, checked->progress);
    EXPECT_EQ(distances(*plain.g), distances(*checked->g));
    EXPECT_NO_THROW(check_dust_bands(checked->g->accretion, 0.0, outer_dust_limit(checked->star_mass)));
    EXPECT_EQ(0, checked->g->accretion.dust_left);
}

INSTANTIATE_TEST_SUITE_P(Seeds, AccretionGolden, ::testing::ValuesIn(golden_seeds()),
                         [](const auto& info) { return "seed_" + std::to_string(info.param); });

}  // namespace
}  // namespace orrery::testing
