// Planet environment: bulk and orbital properties, atmosphere, climate, and
// the pipeline that applies them to every planet.
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core_test_support.h"
#include "environment/environment.h"
#include "support/golden.h"
#include <orrery/orrery.h>

#include "generation/generation.h"
#include "report/report.h"

namespace orrery::testing {
namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double INF = std::numeric_limits<double>::infinity();
const double EARTH_MASS = 1.0 / 332775.64;  // in solar masses

double below(double x) { return std::nextafter(x, -INF); }
double above(double x) { return std::nextafter(x, INF); }

// A started generation around a sun-like star, with progress lines captured.
struct Bench {
    std::unique_ptr<Generation> g = fresh_generation(42);
    std::string progress;
    StringProgress sink{progress};
    Bench() {
        g->progress = &sink;
        g->star = sun_like_star();
    }
    Bench(const Bench&) = delete;  // the generation points at this sink
};

// ---------------------------------------------------------------- bulk

TEST(Bulk, EarthMassRadiusDependsOnTheZonesComposition) {
    double rocky_inner = radius_from_composition(0, 1, EARTH_MASS);
    EXPECT_NEAR(6378.0, rocky_inner, 6378.0 * 0.01);
    // Icy outer zones are lighter stuff, hence larger bodies; any zone past the
    // second is built like the third.
    for (int zone : {2, 3, 0, 4, -1}) {
        double r = radius_from_composition(0, zone, EARTH_MASS);
        EXPECT_NEAR(4.0 / 3.0, r / rocky_inner, 0.01) << "zone " << zone;
    }
    for (int zone : {0, 4, -1}) {
        EXPECT_TRUE(same_double(radius_from_composition(0, 3, EARTH_MASS), radius_from_composition(0, zone, EARTH_MASS)))
            << "rocky, zone " << zone;
        EXPECT_TRUE(same_double(radius_from_composition(1, 3, EARTH_MASS), radius_from_composition(1, zone, EARTH_MASS)))
            << "gas giant, zone " << zone;
    }
    // Each row of the composition table gives its own radius (rocky bodies of
    // zones 2 and 3 share one row).
    const double giant = 300 * EARTH_MASS;
    const double radii[] = {radius_from_composition(0, 1, giant), radius_from_composition(0, 2, giant),
                            radius_from_composition(1, 1, giant), radius_from_composition(1, 2, giant),
                            radius_from_composition(1, 3, giant)};
    for (std::size_t i = 0; i < std::size(radii); ++i)
        for (std::size_t j = i + 1; j < std::size(radii); ++j) EXPECT_NE(radii[i], radii[j]) << i << " " << j;
}

TEST(Bulk, DensityAndRadiusOfASphereAgree) {
    for (double mass : {EARTH_MASS, 1e-9, 1e-3}) {
        for (double density : {0.7, 5.5}) {
            double r = radius_from_density(mass, density);
            EXPECT_NEAR(density, density_from_radius(mass, r), density * 1e-12) << mass;
        }
    }
    // Earth: 5.5 g/cc and about 6370 km.
    EXPECT_NEAR(5.5, density_from_radius(EARTH_MASS, 6378.0), 0.05);
}

TEST(Bulk, OrbitZoneBoundariesScaleWithTheSquareRootOfLuminosity) {
    for (double luminosity : {1.0, 2.0, 0.1169}) {
        Star star = sun_like_star();
        star.luminosity_ratio = luminosity;
        double s = std::sqrt(luminosity);
        struct Case {
            double distance;
            int zone;
        };
        const Case cases[] = {
            {0.01, 1},          {below(4 * s), 1}, {4 * s, 2}, {below(15 * s), 2},
            {15 * s, 3},        {200.0, 3},        {NaN, 3},
        };
        for (const Case& c : cases)
            EXPECT_EQ(c.zone, compute_orbit_zone(star, c.distance)) << "L " << luminosity << " d " << c.distance;
    }
}

TEST(Bulk, OrbitalPeriodFollowsKeplerWithAYearOf365Point256Days) {
    EXPECT_NEAR(365.256, compute_orbital_period(1.0, 0.0, 1.0), 1e-9);
    EXPECT_NEAR(365.256 * std::sqrt(8.0), compute_orbital_period(2.0, 0.0, 1.0), 1e-9);
    EXPECT_NEAR(365.256 / std::sqrt(2.0), compute_orbital_period(1.0, 1.0, 1.0), 1e-9);
}

TEST(Bulk, EarthHasItsEscapeVelocityAndGravity) {
    EXPECT_NEAR(1.12e6, compute_escape_velocity(EARTH_MASS, 6378.0), 0.01e6);
    double accel = compute_surface_accel(EARTH_MASS, 6378.0);
    EXPECT_NEAR(981.0, accel, 10.0);
    EXPECT_TRUE(same_double(accel / 981, compute_surface_gravity(accel)));
    EXPECT_DOUBLE_EQ(1.0, compute_surface_gravity(981.0));
}

// ---------------------------------------------------------------- day length

TEST(DayLength, AFreeSpinningPlanetHasItsDayInHoursAndNoResonance) {
    Bench b;
    DayLength day = compute_day_length(&b.sink, 0, EARTH_MASS, 6378.0, 365.25, 0.2);
    EXPECT_NEAR(15.3, day.day_hours, 0.1);
    EXPECT_EQ(0, day.in_resonance);
    EXPECT_EQ("", b.progress);
    // A gas giant spins with the smaller spin factor: sqrt(0.24 / 0.33) of the day.
    DayLength giant = compute_day_length(&b.sink, 1, EARTH_MASS, 6378.0, 365.25, 0.2);
    EXPECT_NEAR(std::sqrt(0.24 / 0.33), giant.day_hours / day.day_hours, 1e-12);
    EXPECT_EQ(0, giant.in_resonance);
}

std::string maybe_line(double s) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "...maybe: %f\n", s);
    return buf;
}

TEST(DayLength, ASpinLockedPlanetIsStoredInHours) {
    const double year = 0.5;  // days: a very close orbit, shorter than the free day
    struct Case {
        double eccentricity;
        bool resonance;
    };
    const Case cases[] = {{0.0, false}, {0.01, false}, {above(0.01), true}, {0.2, true}, {0.9, true}};
    for (const Case& c : cases) {
        Bench b;
        DayLength day = compute_day_length(&b.sink, 0, EARTH_MASS, 6378.0, year, c.eccentricity);
        double s = ((1 - c.eccentricity) / (1 + c.eccentricity)) * year;  // days
        std::string expected = maybe_line(s);
        if (c.resonance) {
            expected += "...resonance...\n";
            EXPECT_TRUE(same_double(s * 24.0, day.day_hours)) << "e " << c.eccentricity;
        } else {
            EXPECT_TRUE(same_double(year * 24.0, day.day_hours)) << "e " << c.eccentricity;
        }
        EXPECT_EQ(c.resonance ? 1 : 0, day.in_resonance) << "e " << c.eccentricity;
        EXPECT_EQ(expected, b.progress) << "e " << c.eccentricity;
    }
    // The resonant day of the worked example: two thirds of the year.
    Bench b;
    EXPECT_NEAR((0.8 / 1.2) * year * 24.0, compute_day_length(&b.sink, 0, EARTH_MASS, 6378.0, year, 0.2).day_hours,
                1e-12);
}

TEST(DayLength, ADayEqualToTheYearIsAlreadyLocked) {
    Bench b;
    double free_day = compute_day_length(&b.sink, 0, EARTH_MASS, 6378.0, 1e6, 0.0).day_hours;
    ASSERT_EQ("", b.progress);
    DayLength locked = compute_day_length(&b.sink, 0, EARTH_MASS, 6378.0, free_day, 0.0);
    EXPECT_EQ(maybe_line(free_day), b.progress);
    EXPECT_TRUE(same_double(free_day * 24.0, locked.day_hours));
    EXPECT_EQ(0, locked.in_resonance) << "a circular orbit locks without resonance";
    // One step longer and the planet spins freely again.
    b.progress.clear();
    EXPECT_TRUE(same_double(free_day,
                            compute_day_length(&b.sink, 0, EARTH_MASS, 6378.0, above(free_day), 0.0).day_hours));
    EXPECT_EQ("", b.progress);
}

TEST(DayLength, SilentGenerationsGetTheSameLockedDay) {
    Bench loud;
    DayLength a = compute_day_length(&loud.sink, 0, EARTH_MASS, 6378.0, 0.5, 0.2);
    DayLength q = compute_day_length(nullptr, 0, EARTH_MASS, 6378.0, 0.5, 0.2);
    EXPECT_TRUE(same_double(a.day_hours, q.day_hours));
    EXPECT_EQ(1, a.in_resonance);
    EXPECT_EQ(1, q.in_resonance);
}

// ---------------------------------------------------------------- axial tilt

// A distance at which the next tilt draw times distance^0.2 lands exactly on
// `target` (searched ulp by ulp around the exact solution).
double distance_for_tilt_product(const RandomState& r, double target) {
    RandomState probe = r;
    double v = vary_around(probe, 23.4, 0.4);
    double d = std::pow(target / v, 5.0);
    double up = d;
    double down = d;
    for (int i = 0; i < 100000; ++i) {
        if (v * std::pow(up, 0.2) == target) return up;
        if (v * std::pow(down, 0.2) == target) return down;
        up = above(up);
        down = below(down);
    }
    ADD_FAILURE() << "no distance gives a tilt product of exactly " << target;
    return d;
}

TEST(AxialTilt, WrapsAtAFullTurn) {
    RandomState r;
    seed_random(r, 3u);
    struct Case {
        double product;
        int tilt;
    };
    const Case cases[] = {{360.0, 0}, {below(360.0), 359}, {361.0, 1}, {719.5, 359}, {720.0, 0}, {23.9, 23}};
    for (const Case& c : cases) {
        double d = distance_for_tilt_product(r, c.product);
        std::uint64_t before = r.outputs;
        EXPECT_EQ(c.tilt, draw_axial_tilt(r, d)) << "product " << c.product;
        EXPECT_EQ(before + 1, r.outputs);
    }
}

TEST(AxialTilt, AtOneAULiesBetween23And24Degrees) {
    RandomState r;
    force_outputs(r, {0u, 0xffffffffu});
    EXPECT_EQ(23, draw_axial_tilt(r, 1.0));
    EXPECT_EQ(23, draw_axial_tilt(r, 1.0));
}

// ---------------------------------------------------------------- atmosphere

TEST(Atmosphere, NitrogenSpeedAndTheLightestGasEarthKeeps) {
    EXPECT_NEAR(1.06e5, compute_rms_velocity(28.0, 1.0), 0.01e5);
    // Four times closer to the star: sixteen times hotter, four times faster.
    EXPECT_NEAR(4.0, compute_rms_velocity(28.0, 0.25) / compute_rms_velocity(28.0, 1.0), 1e-12);
    double weight = compute_min_molecular_weight(EARTH_MASS, 6378.0);
    EXPECT_NEAR(6.3, weight, 0.1);
    double v = compute_escape_velocity(EARTH_MASS, 6378.0);
    EXPECT_TRUE(same_double(7938182947500.0 / (v * v), weight));
}

TEST(Atmosphere, RunawayGreenhouseOnlyInsideTheGreenhouseRadiusOfZoneOne) {
    struct Case {
        int zone;
        double distance;
        int runaway;
    };
    const Case cases[] = {{1, 0.5, 1}, {1, below(0.93), 1}, {1, 0.93, 0}, {1, 1.2, 0},
                          {2, 0.5, 0}, {3, 0.5, 0},         {0, 0.5, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(c.runaway, test_runaway_greenhouse(c.zone, c.distance, 0.93)) << c.zone << " " << c.distance;
}

TEST(Atmosphere, VolatileInventoryByZoneAndGreenhouse) {
    struct Case {
        int zone;
        int runaway;
        double proportion;
        const char* message;
    };
    const Case cases[] = {
        {1, 0, 100000.0, ""}, {1, 1, 100000.0, ""}, {2, 0, 75000.0, ""}, {3, 0, 250.0, ""},
        {3, 1, 250.0, ""},    {0, 0, 10.0, "Error: orbital zone not initialized correctly!\n"},
        {4, 1, 10.0, "Error: orbital zone not initialized correctly!\n"},
    };
    const double mass = 2 * EARTH_MASS;
    const double star_mass = 0.8;
    for (const Case& c : cases) {
        Bench b;
        RandomState replay = b.g->random;
        double drawn = vary_around(replay, ((mass * 332775.64) * c.proportion) / star_mass, 0.2);
        double inventory = compute_volatile_inventory(*b.g, c.zone, c.runaway, mass, 6e5, 1e5, star_mass);
        // Without a runaway greenhouse most of the gas is locked in the crust.
        EXPECT_TRUE(same_double(c.runaway ? drawn : drawn / 100, inventory)) << "zone " << c.zone;
        EXPECT_EQ(1u, b.g->random.outputs);
        EXPECT_EQ(c.message, b.progress);
    }
    Bench earth;
    EXPECT_NEAR(1000.0, compute_volatile_inventory(*earth.g, 1, 0, EARTH_MASS, 1.12e6, 1.06e5, 1.0), 0.01);
}

TEST(Atmosphere, GasIsRetainedFromFiveTimesTheMolecularSpeed) {
    struct Case {
        int zone;
        double escape;
        double rms;
        bool drawn;
    };
    const Case cases[] = {
        {1, 5e5, 1e5, true},        {3, 5.0, 1.0, true},         {1, below(5.0), 1.0, false},
        {0, below(5.0), 1.0, false}, {2, 0.0, 0.0, false},        {3, 0.0, 1.0, false},
    };
    for (const Case& c : cases) {
        Bench b;
        double inventory = compute_volatile_inventory(*b.g, c.zone, 0, EARTH_MASS, c.escape, c.rms, 1.0);
        EXPECT_EQ(c.drawn ? 1u : 0u, b.g->random.outputs) << c.escape << " / " << c.rms;
        if (!c.drawn) {
            EXPECT_TRUE(same_double(0.0, inventory));
            EXPECT_EQ("", b.progress) << "a planet that keeps no gas never asks its zone";
        }
    }
}

TEST(Atmosphere, ANegativeDrawLeavesNoGas) {
    // A tiny far planet: its base inventory is far below the spread of 0.2,
    // so the lower part of the draw's range lies below zero.
    const double mass = 1e-12;
    const double base = ((mass * 332775.64) * 250.0) / 1.0;
    ASSERT_LT(base, 0.2);
    for (int runaway : {0, 1}) {
        const double divisor = runaway ? 1.0 : 100.0;
        Bench b;
        force_outputs(b.g->random, {0u, 0x80000000u, 0xffffffffu});
        EXPECT_TRUE(same_double(0.0, compute_volatile_inventory(*b.g, 3, runaway, mass, 6e5, 1e5, 1.0)))
            << "lowest draw, runaway " << runaway;
        double middle = compute_volatile_inventory(*b.g, 3, runaway, mass, 6e5, 1e5, 1.0);
        EXPECT_NEAR(base / divisor, middle, 1e-10) << "runaway " << runaway;
        double highest = compute_volatile_inventory(*b.g, 3, runaway, mass, 6e5, 1e5, 1.0);
        EXPECT_NEAR((base + 0.2) / divisor, highest, 1e-10) << "runaway " << runaway;
    }
}

TEST(Atmosphere, TheAirlessPlanetOfSeed2450DrewBelowNothing) {
    struct Draws : DrawObserver {
        std::vector<double> inventories;
        void on_draw(const char* name, int, double, double spread, std::uint32_t, double result) override {
            if (std::string(name) == "vary_around" && spread == 0.2 && result < 0) inventories.push_back(result);
        }
    } draws;
    auto g = std::make_unique<Generation>();
    g->random.observer = &draws;
    run_generation(*g, 2450);
    const Planet& p = g->planets.at(11);
    EXPECT_GE(p.escape_velocity / p.rms_velocity, 5.0) << "the planet does hold gas";
    EXPECT_FALSE(draws.inventories.empty()) << "no volatile inventory was drawn below zero";
    EXPECT_TRUE(same_double(0.0, p.volatile_inventory));
    EXPECT_TRUE(same_double(0.0, p.surface_pressure));
    EXPECT_TRUE(same_double(0.0, p.boiling_point));
}

TEST(Atmosphere, PressureAndBoilingPoint) {
    EXPECT_TRUE(same_double(750.0, compute_surface_pressure(750.0, 6378.0, 1.0)));
    EXPECT_NEAR(3000.0, compute_surface_pressure(750.0, 2 * 6378.0, 1.0), 1e-9);
    EXPECT_NEAR(1500.0, compute_surface_pressure(750.0, 6378.0, 2.0), 1e-9);
    EXPECT_DOUBLE_EQ(373.0, compute_boiling_point(1000.0));
    EXPECT_NEAR(365.0, compute_boiling_point(750.0), 0.5);
    EXPECT_GT(compute_boiling_point(2000.0), 373.0);
    EXPECT_TRUE(std::isnan(compute_boiling_point(-1.0)));
}

// ---------------------------------------------------------------- climate

TEST(Climate, OpticalDepthBandsAndPressureFactors) {
    struct Case {
        double weight;
        double pressure;
        double depth;
    };
    const Case cases[] = {
        {-1.0, 1000.0, 0.0},
        {0.0, 1000.0, 3.0},
        {below(10.0), 1000.0, 3.0},
        {10.0, 1000.0, 2.34},
        {below(20.0), 1000.0, 2.34},
        {20.0, 1000.0, 1.0},
        {28.0, 1000.0, 1.0},
        {30.0, 1000.0, 0.15},
        {45.0, 1000.0, 0.05},
        {below(100.0), 1000.0, 0.05},
        {100.0, 1000.0, 0.0},
        {100.0, 90000.0, 0.0},
        {28.0, 70000.0, 8.333},
        {28.0, below(70000.0), 6.666},
        {28.0, 50000.0, 6.666},
        {28.0, 30000.0, 3.333},
        {28.0, below(30000.0), 2.0},
        {10.0, 10000.0, 2.34 + 2.34},
        {28.0, 5000.0, 1.5},
        {28.0, below(5000.0), 1.0},
        {28.0, 0.0, 1.0},
        {35.0, 5000.0, 0.15 * 1.5},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(same_double(c.depth, compute_optical_depth(c.weight, c.pressure)))
            << "weight " << c.weight << " pressure " << c.pressure;
}

TEST(Climate, EarthLikeStartTemperature) {
    double te0 = compute_effective_temp(1.0, 1.0, 0.39);
    EXPECT_NEAR(0.9661797896193187 * 255, te0, 1e-9);
    EXPECT_NEAR(246.4, te0, 0.1);
    EXPECT_NEAR(262.3, compute_greenhouse_rise(1.0, te0, 1000.0) + te0, 0.1);
    // No greenhouse without optical depth or without air.
    EXPECT_TRUE(same_double(0.0, compute_greenhouse_rise(0.0, te0, 1000.0)));
    EXPECT_TRUE(same_double(0.0, compute_greenhouse_rise(3.0, te0, 0.0)));
    // Four times farther out: half the temperature.
    EXPECT_NEAR(0.5, compute_effective_temp(1.0, 4.0, 0.3) / compute_effective_temp(1.0, 1.0, 0.3), 1e-12);
    // A negative albedo is used as it comes, and warms.
    EXPECT_GT(compute_effective_temp(1.0, 1.0, -0.2), compute_effective_temp(1.0, 1.0, 0.0));
}

TEST(Climate, HydrosphereCloudAndIceFractions) {
    EXPECT_NEAR(0.71, compute_hydrosphere(1000.0, 6378.0), 1e-12);
    EXPECT_TRUE(same_double(1.0, compute_hydrosphere(2000.0, 6378.0)));
    EXPECT_TRUE(same_double(1.0, compute_hydrosphere(1000.0, 3000.0)));
    EXPECT_TRUE(same_double(0.0, compute_hydrosphere(0.0, 6378.0)));

    // Water vapour (weight 18) must stay for clouds to form.
    double clouds = compute_cloud_cover(288.0, 18.0, 6378.0, 0.71);
    EXPECT_NEAR(0.50, clouds, 0.01);
    EXPECT_TRUE(same_double(0.0, compute_cloud_cover(288.0, above(18.0), 6378.0, 0.71)));
    EXPECT_TRUE(same_double(1.0, compute_cloud_cover(340.0, 5.0, 6378.0, 0.71)));
    EXPECT_TRUE(same_double(0.0, compute_cloud_cover(288.0, 5.0, 6378.0, 0.0)));

    struct Ice {
        double hydrosphere;
        double temperature;
        double cover;
    };
    const Ice ice[] = {
        {0.7, 328.0, 0.0}, {0.7, 400.0, 0.0}, {0.7, 238.0, 1.0}, {1.0, 238.0, 1.0},
        {0.5, 238.0, 0.75}, {0.7, 100.0, 1.0}, {0.0, 150.0, 0.0},
    };
    for (const Ice& c : ice)
        EXPECT_NEAR(c.cover, compute_ice_cover(c.hydrosphere, c.temperature), 1e-15)
            << c.hydrosphere << " at " << c.temperature << " K";
    EXPECT_NEAR(1.0, compute_ice_cover(2.0 / 3.0, 238.0), 1e-15);
    EXPECT_GT(compute_ice_cover(0.7, below(328.0)), 0.0);
}

TEST(Climate, AlbedoOfTheWorkedExample) {
    // Outputs at the middle of the range make every draw return its centre
    // (to within 1e-10): cloud 0.52, rock 0.15, water 0.04, ice 0.7.
    RandomState r;
    force_outputs(r, {0x80000000u, 0x80000000u, 0x80000000u, 0x80000000u});
    double albedo = compute_albedo(r, 0.7, 0.5, 0.1, 1000.0);
    EXPECT_NEAR((8.0 / 15.0) * 0.04 + ((1.0 / 30.0) * 0.15 + 0.52 * 0.5), albedo, 1e-9);
    EXPECT_NEAR(0.2863, albedo, 1e-4);
    EXPECT_EQ(4u, r.outputs);
}

TEST(Climate, AlbedoWithMoreWaterAndIceThanSurface) {
    // Water and ice over 1 leave a negative rock fraction: no rock shows, and
    // the cloud is shared between water and ice alone.
    RandomState r;
    force_outputs(r, {0x80000000u, 0x80000000u, 0x80000000u, 0x80000000u});
    double albedo = compute_albedo(r, 0.7, 0.2, 0.5, 1000.0);
    EXPECT_NEAR(0.6 * 0.04 + 0.52 * 0.2 + 0.4 * 0.7, albedo, 1e-9);
}

TEST(Climate, BareRockShowsTheRockDrawOfItsSet) {
    // Nothing but rock: the albedo is exactly the second draw, taken from the
    // airless set when the pressure is exactly zero.
    struct Case {
        double pressure;
        double rock_value;
        double rock_spread;
    };
    const Case cases[] = {{0.0, 0.07, 0.3}, {1e-300, 0.15, 0.1}, {1000.0, 0.15, 0.1}};
    for (const Case& c : cases) {
        RandomState r;
        seed_random(r, 17u);
        RandomState replay = r;
        vary_around(replay, 0.52, 0.2);
        double rock = vary_around(replay, c.rock_value, c.rock_spread);
        EXPECT_TRUE(same_double(rock, compute_albedo(r, 0.0, 0.0, 0.0, c.pressure))) << "pressure " << c.pressure;
        EXPECT_EQ(4u, r.outputs);
    }
    // The airless rock draw can be negative and is kept.
    RandomState r;
    force_outputs(r, {0u, 0u, 0u, 0u});
    EXPECT_NEAR(-0.23, compute_albedo(r, 0.0, 0.0, 0.0, 0.0), 1e-9);
}

Planet rocky_planet(double distance, double pressure) {
    Planet p;
    p.distance = distance;
    p.mass = EARTH_MASS;
    p.radius = 6378.0;
    p.min_molecular_weight = 6.3;
    p.volatile_inventory = pressure;
    p.surface_pressure = pressure;
    p.boiling_point = pressure == 0.0 ? 0.0 : compute_boiling_point(pressure);
    return p;
}

TEST(Climate, AnUncomputableStartTemperatureStoresZerosWithoutDrawing) {
    struct Case {
        const char* what;
        double distance;
        double pressure;
        double temperature;
    };
    const Case cases[] = {
        {"pressure not a number", 1.0, NaN, NaN},
        {"negative pressure", 1.0, -3.0, NaN},
        {"planet at the star", 0.0, 1000.0, INF},
    };
    for (const Case& c : cases) {
        Bench b;
        Planet p = rocky_planet(c.distance, 1000.0);
        p.surface_pressure = c.pressure;
        p.albedo = p.hydrosphere = p.cloud_cover = p.ice_cover = 0.5;
        settle_surface_temperature(*b.g, p);
        EXPECT_EQ(0u, b.g->random.outputs) << c.what;
        EXPECT_TRUE(same_double(0.0, p.hydrosphere)) << c.what;
        EXPECT_TRUE(same_double(0.0, p.cloud_cover)) << c.what;
        EXPECT_TRUE(same_double(0.0, p.ice_cover)) << c.what;
        EXPECT_TRUE(same_double(0.0, p.albedo)) << c.what;
        EXPECT_TRUE(same_double(c.temperature, p.surface_temp)) << c.what;
    }
}

TEST(Climate, AnAirlessPlanetSettlesAtItsEffectiveTemperature) {
    for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
        Bench b;
        seed_random(b.g->random, seed);
        Planet p = rocky_planet(1.0, 0.0);
        p.volatile_inventory = 0.0;
        settle_surface_temperature(*b.g, p);
        EXPECT_GE(b.g->random.outputs, 4u);
        EXPECT_EQ(0u, b.g->random.outputs % 4) << "four draws per pass";
        EXPECT_TRUE(same_double(0.0, p.hydrosphere));
        EXPECT_TRUE(same_double(0.0, p.cloud_cover));
        EXPECT_TRUE(same_double(0.0, p.ice_cover));
        EXPECT_GT(p.albedo, -0.23);
        EXPECT_LT(p.albedo, 0.37);
        EXPECT_TRUE(same_double(compute_effective_temp(1.0, 1.0, p.albedo), p.surface_temp)) << "seed " << seed;
    }
}

TEST(Climate, AnEarthLikePlanetSettlesNearEarthsClimate) {
    Bench b;
    Planet p = rocky_planet(1.0, 1000.0);
    p.volatile_inventory = 1000.0;
    p.min_molecular_weight = 6.3;
    settle_surface_temperature(*b.g, p);
    EXPECT_GE(b.g->random.outputs, 4u);
    EXPECT_EQ(0u, b.g->random.outputs % 4);
    EXPECT_GT(p.surface_temp, 200.0);
    EXPECT_LT(p.surface_temp, 320.0);
    EXPECT_LE(p.cloud_cover, 1.0);
    EXPECT_LE(p.ice_cover, 1.0);
    // Liquid water only between freezing and boiling.
    EXPECT_TRUE(p.hydrosphere == 0.0 || p.hydrosphere == compute_hydrosphere(1000.0, 6378.0)) << p.hydrosphere;
}

TEST(Climate, TheSettledTemperatureIsTheFormulasOfTheLastAlbedo) {
    // The stored temperature is the effective temperature of the last albedo
    // drawn plus its greenhouse rise, bit for bit as the two formulas give
    // them, over distances, optical depths and pressures (many planets, since
    // a formula evaluated in another order differs in few of them).
    for (double distance : {0.45, 0.7, 0.95, 1.0, 1.3, 1.8, 2.6}) {
        for (double weight : {6.3, 15.0, 28.0, 40.0}) {
            for (double pressure : {300.0, 1000.0, 5000.0, 12000.0, 60000.0, 90000.0}) {
                Bench b;
                b.g->star.ecosphere_radius = 1.1;
                Planet p = rocky_planet(distance, pressure);
                p.min_molecular_weight = weight;
                settle_surface_temperature(*b.g, p);
                ASSERT_GE(b.g->random.outputs, 4u);
                double te = compute_effective_temp(1.1, distance, p.albedo);
                double rise = compute_greenhouse_rise(compute_optical_depth(weight, pressure), te, pressure);
                std::string at = "distance " + std::to_string(distance) + " weight " + std::to_string(weight) +
                                 " pressure " + std::to_string(pressure);
                EXPECT_GT(rise, 0.0) << at;
                EXPECT_TRUE(same_double(rise + te, p.surface_temp)) << at;
            }
        }
    }
}

// ---------------------------------------------------------------- the pipeline

TEST(Pipeline, AnEmptySystemDrawsNothing) {
    Bench b;
    compute_planet_environment(*b.g);
    EXPECT_EQ(0u, b.g->random.outputs);
    EXPECT_EQ("", b.progress);
}

TEST(Pipeline, GasGiantsTakeTwoDrawsAndMarkTheirSurface) {
    Bench b;
    for (double d : {5.2, 9.5, 19.2}) {
        Planet p;
        p.distance = d;
        p.eccentricity = 0.05;
        p.mass = 300 * EARTH_MASS;
        p.is_gas_giant = 1;
        b.g->planets.push_back(p);
    }
    compute_planet_environment(*b.g);
    EXPECT_EQ(6u, b.g->random.outputs);
    for (const Planet& p : b.g->planets) {
        EXPECT_EQ(HUGE_VALUE, p.surface_gravity);
        EXPECT_EQ(HUGE_VALUE, p.volatile_inventory);
        EXPECT_EQ(HUGE_VALUE, p.surface_pressure);
        EXPECT_EQ(HUGE_VALUE, p.boiling_point);
        EXPECT_EQ(HUGE_VALUE, p.hydrosphere);
        EXPECT_EQ(HUGE_VALUE, p.surface_temp);
        EXPECT_EQ(0, p.runaway_greenhouse);
        EXPECT_GT(p.albedo, 0.4);
        EXPECT_LT(p.albedo, 0.6);
        // Its size follows from its density, not from a rocky composition.
        EXPECT_TRUE(same_double(compute_empirical_density(b.g->star, 1, p.mass, p.distance), p.density));
        EXPECT_TRUE(same_double(radius_from_density(p.mass, p.density), p.radius));
    }
}

TEST(Pipeline, APlanetTooSmallToHoldGasMakesNoInventoryDraw) {
    Bench b;
    Planet p;
    p.distance = 0.8;
    p.mass = 1e-12;
    b.g->planets.push_back(p);
    compute_planet_environment(*b.g);
    const Planet& q = b.g->planets[0];
    ASSERT_LT(q.escape_velocity / q.rms_velocity, 5.0);
    EXPECT_TRUE(same_double(0.0, q.volatile_inventory));
    EXPECT_TRUE(same_double(0.0, q.surface_pressure));
    EXPECT_TRUE(same_double(0.0, q.boiling_point));
    // The tilt's draw, then whole climate passes of four.
    EXPECT_EQ(1u, b.g->random.outputs % 4);
}

TEST(Pipeline, ResonanceIsCopiedPerPlanet) {
    Bench b;
    Planet close;  // a year of a third of a day: spin-locked
    close.distance = 0.01;
    close.eccentricity = 0.2;
    close.mass = EARTH_MASS;
    Planet far = close;
    far.distance = 1.0;
    b.g->planets = {close, far};
    compute_planet_environment(*b.g);
    const Planet& locked = b.g->planets[0];
    EXPECT_EQ(1, locked.in_resonance);
    EXPECT_EQ(0, b.g->planets[1].in_resonance);
    double s = ((1 - 0.2) / (1 + 0.2)) * locked.year_days;
    EXPECT_TRUE(same_double(s * 24.0, locked.day_hours));
    EXPECT_EQ(0u, b.progress.find(maybe_line(s) + "...resonance...\n"));
}

}  // namespace
}  // namespace orrery::testing
