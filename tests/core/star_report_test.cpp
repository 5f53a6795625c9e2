// The central star and the report text.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core_test_support.h"
#include "support/golden.h"
#include "support/scratch_dir.h"
#include <orrery/orrery.h>

#include "generation/generation.h"
#include "generation/star.h"
#include "report/report.h"

namespace orrery::testing {
namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------- the star

TEST(Star, LuminosityTakesTheLowMassBranchOnlyBelowOneSolarMass) {
    auto low = [](double m) { return std::pow(m, 1.75 * (m - 0.1) + 3.325); };
    auto high = [](double m) { return std::pow(m, 0.5 * (2.0 - m) + 4.4); };
    for (double m : {0.6, 0.75, 0.9, 0.999, std::nextafter(1.0, 0.0)}) {
        EXPECT_TRUE(same_double(low(m), luminosity_from_mass(m))) << "mass " << m;
        if (m < 0.99) {
            EXPECT_NE(high(m), luminosity_from_mass(m)) << "mass " << m;
        }
    }
    for (double m : {1.0, std::nextafter(1.0, 2.0), 1.1, 1.14, 1.3}) {
        EXPECT_TRUE(same_double(high(m), luminosity_from_mass(m))) << "mass " << m;
        if (m > 1.01) {
            EXPECT_NE(low(m), luminosity_from_mass(m)) << "mass " << m;
        }
    }
    // The ends of the drawn range, as a cross-check on the exponents.
    EXPECT_NEAR(0.1170, luminosity_from_mass(0.6), 1e-4);
    EXPECT_NEAR(3.477, luminosity_from_mass(1.3), 1e-3);
}

TEST(Star, LuminosityIsOneAndContinuousAtOneSolarMass) {
    EXPECT_TRUE(same_double(1.0, luminosity_from_mass(1.0)));
    EXPECT_NEAR(1.0, luminosity_from_mass(std::nextafter(1.0, 0.0)), 1e-14);
    EXPECT_NEAR(1.0, luminosity_from_mass(std::nextafter(1.0, 2.0)), 1e-14);
    EXPECT_NEAR(luminosity_from_mass(0.99999), luminosity_from_mass(1.00001), 1e-4);
}

// Replays the generator to the places where the star draws: its mass is the
// very first output, its age the first after the accretion stage's last one.
void expect_star_draws_in_place(const Generation& g, std::uint32_t seed) {
    RandomState replay;
    seed_random(replay, seed);
    EXPECT_TRUE(same_double(uniform_between(replay, 0.6, 1.3), g.star.mass_ratio)) << "seed " << seed;
    while (replay.outputs < g.counts.draws_after_accretion) next_random_u32(replay);
    double bound = std::min(6e9, g.star.main_sequence_life);
    EXPECT_TRUE(same_double(uniform_between(replay, 1e9, bound), g.star.age)) << "seed " << seed;
    EXPECT_EQ(g.counts.draws_after_accretion + 1, g.counts.draws_after_age);
    EXPECT_TRUE(same_double(std::sqrt(g.star.luminosity_ratio), g.star.ecosphere_radius));
    EXPECT_TRUE(same_double(g.star.ecosphere_radius * 0.93, g.star.greenhouse_radius));
}

TEST(Star, MassAndAgeComeFromTheirPlacesInTheStream) {
    for (std::uint32_t seed : golden_seeds()) {
        auto g = std::make_unique<Generation>();
        run_generation(*g, seed);
        expect_star_draws_in_place(*g, seed);
        EXPECT_LT(g->star.age, 6e9);
        EXPECT_GT(g->star.age, 1e9);
    }
}

TEST(Star, AHeavyStarsAgeIsBoundByItsLifetime) {
    // None of the reference seeds draws a star heavy enough for its lifetime
    // to fall below six billion years; find one that does.
    for (std::uint32_t seed = 1;; ++seed) {
        ASSERT_LT(seed, 200u) << "no heavy star among the first seeds";
        auto g = std::make_unique<Generation>();
        run_generation(*g, seed);
        if (g->star.mass_ratio < 1.2) continue;
        EXPECT_LT(g->star.main_sequence_life, 6e9);
        EXPECT_LT(g->star.age, g->star.main_sequence_life);
        expect_star_draws_in_place(*g, seed);
        break;
    }
}

// ---------------------------------------------------------------- gas labels

TEST(Report, GasLabelNamesTheLightestGasHeavierThanTheLimit) {
    struct Gas {
        double bound;
        const char* label;
    };
    const Gas gases[] = {
        {2.0, "   (H2)\n"},   {4.0, "   (He)\n"},   {16.0, "   (CH4)\n"}, {17.0, "   (NH3)\n"},
        {18.0, "   (H2O)\n"}, {20.2, "   (Ne)\n"},   {28.0, "   (N2)\n"},  {30.0, "   (NO)\n"},
        {32.0, "   (O2)\n"},  {34.1, "   (H2S)\n"},  {39.9, "   (Ar)\n"},  {44.0, "   (CO2)\n"},
        {46.0, "   (NO2)\n"}, {48.0, "   (O3)\n"},   {64.1, "   (SO2)\n"}, {80.1, "   (SO3)\n"},
        {83.8, "   (Kr)\n"},  {131.3, "   (Xe)\n"},
    };
    const std::size_t n = std::size(gases);
    for (std::size_t i = 0; i < n; ++i) {
        double below = std::nextafter(gases[i].bound, 0.0);
        EXPECT_STREQ(gases[i].label, gas_label(below)) << "just below " << gases[i].bound;
        // A weight equal to a gas's bound means that gas escapes: the next one is named.
        const char* next = i + 1 < n ? gases[i + 1].label : "\n";
        EXPECT_STREQ(next, gas_label(gases[i].bound)) << "exactly " << gases[i].bound;
    }
    EXPECT_STREQ("   (H2)\n", gas_label(1.99));
    EXPECT_STREQ("   (He)\n", gas_label(2.0));
    EXPECT_STREQ("   (H2)\n", gas_label(0.0));
    EXPECT_STREQ("   (H2)\n", gas_label(-5.0));
    EXPECT_STREQ("\n", gas_label(131.3));
    EXPECT_STREQ("\n", gas_label(5617.3));
    EXPECT_STREQ("\n", gas_label(std::numeric_limits<double>::infinity()));
    EXPECT_STREQ("\n", gas_label(NaN));
}

// ---------------------------------------------------------------- report text

const char* const SUN_HEADER =
    "                         SYSTEM  CHARACTERISTICS\n"
    "Mass of central star:           1.000 solar masses\n"
    "Luminosity of central star:     1.000 (relative to the sun)\n"
    "Total main sequence lifetime:   10000 million years\n"
    "Current age of stellar system:   4600 million years\n"
    "Radius of habitable ecosphere:  1.000 AU\n"
    "\n";

Planet earth_like_planet() {
    Planet p;
    p.distance = 1.0;
    p.eccentricity = 0.0167;
    p.mass = 3e-6;
    p.is_gas_giant = 0;
    p.orbit_zone = 1;
    p.radius = 6378.0;
    p.density = 5.52;
    p.year_days = 365.25;
    p.day_hours = 24.0;
    p.in_resonance = 0;
    p.axial_tilt = 23;
    p.escape_velocity = 1118600.0;
    p.surface_accel = 980.5;
    p.surface_gravity = 0.9995;
    p.rms_velocity = 106000.0;
    p.min_molecular_weight = 5.25;
    p.volatile_inventory = 1000.0;
    p.surface_pressure = 1013.25;
    p.runaway_greenhouse = 0;
    p.boiling_point = 373.0;
    p.albedo = 0.3;
    p.surface_temp = 288.15;
    p.hydrosphere = 0.71;
    p.cloud_cover = 0.52;
    p.ice_cover = 0.03;
    return p;
}

const char* const EARTH_BLOCK =
    "Planet #1:\n"
    "   Distance from primary star (in A.U.):   1.000\n"
    "   Eccentricity of orbit:                  0.017\n"
    "   Mass (in Earth masses):                 0.998\n"
    "   Equatorial radius (in Km):             6378.0\n"
    "   Density (in g/cc):                      5.520\n"
    "   Escape Velocity (in km/sec):            11.19\n"
    "   Smallest molecular weight retained:      5.25   (CH4)\n"
    "   Surface acceleration (in cm/sec2):     980.50\n"
    "   Surface Gravity (in Earth gees):         1.00\n"
    "   Boiling point of water (celcius):       100.0\n"
    "   Surface Pressure (in atmospheres):      1.013\n"
    "   Surface temperature (Celcius):          15.15\n"
    "   Hydrosphere percentage:  71.00\n"
    "   Cloud cover percentage:  52.00\n"
    "   Ice cover percentage:     3.00\n"
    "   Axial tilt (in degrees):        23\n"
    "   Planetary albedo:            0.300\n"
    "   Length of year (in years):    1.00\n"
    "   Length of day (in hours):    24.00\n"
    "\n";

std::string report_of(const Star& star, const std::vector<Planet>& planets) {
    std::string out;
    append_system_report(out, star, planets);
    return out;
}

// text with every line that starts with one of the prefixes removed, and the
// line starting with `replace_prefix` (if given) replaced by `replacement`.
std::string edit_lines(const std::string& text, std::vector<std::string> drop,
                       const std::string& replace_prefix = "", const std::string& replacement = "") {
    std::istringstream in(text);
    std::string out;
    std::string line;
    while (std::getline(in, line)) {
        bool dropped = false;
        for (const std::string& d : drop) dropped = dropped || line.rfind(d, 0) == 0;
        if (dropped) continue;
        if (!replace_prefix.empty() && line.rfind(replace_prefix, 0) == 0) line = replacement;
        out += line + "\n";
    }
    return out;
}

TEST(Report, NoPlanetsGivesExactlyTheSixHeaderLines) {
    EXPECT_EQ(SUN_HEADER, report_of(sun_like_star(), {}));
}

TEST(Report, HeaderRoundsAndConvertsTheStarsValues) {
    Star s;
    s.mass_ratio = 0.8621780800982378;
    s.luminosity_ratio = 0.50113;
    s.main_sequence_life = 17204499999.0;  // prints in millions of years
    s.age = 4139500001.0;
    s.ecosphere_radius = 0.70790;
    s.greenhouse_radius = 0.5;
    EXPECT_EQ(
        "                         SYSTEM  CHARACTERISTICS\n"
        "Mass of central star:           0.862 solar masses\n"
        "Luminosity of central star:     0.501 (relative to the sun)\n"
        "Total main sequence lifetime:   17204 million years\n"
        "Current age of stellar system:   4140 million years\n"
        "Radius of habitable ecosphere:  0.708 AU\n"
        "\n",
        report_of(s, {}));
}

TEST(Report, RockyPlanetBlockShowsEveryLine) {
    EXPECT_EQ(std::string(SUN_HEADER) + EARTH_BLOCK, report_of(sun_like_star(), {earth_like_planet()}));
}

TEST(Report, OptionalLinesNeedValuesStrictlyAboveTheirThresholds) {
    const std::string block = EARTH_BLOCK;
    const std::string boiling = "   Boiling point";
    const std::string pressure = "   Surface Pressure";
    struct Case {
        const char* what;
        void (*change)(Planet&);
        std::string expected;
    };
    const Case cases[] = {
        {"boiling point exactly 0.1", [](Planet& p) { p.boiling_point = 0.1; }, edit_lines(block, {boiling})},
        {"boiling point 0 (airless)", [](Planet& p) { p.boiling_point = 0.0; }, edit_lines(block, {boiling})},
        {"boiling point not a number", [](Planet& p) { p.boiling_point = NaN; }, edit_lines(block, {boiling})},
        {"boiling point just above 0.1", [](Planet& p) { p.boiling_point = std::nextafter(0.1, 1.0); },
         edit_lines(block, {}, boiling, "   Boiling point of water (celcius):      -272.9")},
        {"pressure exactly 1e-5 under a runaway greenhouse",
         [](Planet& p) {
             p.surface_pressure = 1e-5;
             p.runaway_greenhouse = 1;
         },
         edit_lines(block, {pressure})},
        {"pressure not a number", [](Planet& p) { p.surface_pressure = NaN; }, edit_lines(block, {pressure})},
        {"pressure just above 1e-5 under a runaway greenhouse",
         [](Planet& p) {
             p.surface_pressure = std::nextafter(1e-5, 1.0);
             p.runaway_greenhouse = 1;
         },
         edit_lines(block, {}, pressure,
                    "   Surface Pressure (in atmospheres):      0.000     RUNAWAY GREENHOUSE EFFECT")},
        {"hydrosphere exactly 0.01", [](Planet& p) { p.hydrosphere = 0.01; },
         edit_lines(block, {"   Hydrosphere"})},
        {"cloud cover exactly 0.01", [](Planet& p) { p.cloud_cover = 0.01; },
         edit_lines(block, {"   Cloud cover"})},
        {"ice cover exactly 0.01", [](Planet& p) { p.ice_cover = 0.01; }, edit_lines(block, {"   Ice cover"})},
        {"covers not numbers",
         [](Planet& p) {
             p.hydrosphere = NaN;
             p.cloud_cover = NaN;
             p.ice_cover = NaN;
         },
         edit_lines(block, {"   Hydrosphere", "   Cloud cover", "   Ice cover"})},
        {"ice cover just above 0.01", [](Planet& p) { p.ice_cover = std::nextafter(0.01, 1.0); },
         edit_lines(block, {}, "   Ice cover", "   Ice cover percentage:     1.00")},
    };
    for (const Case& c : cases) {
        Planet p = earth_like_planet();
        c.change(p);
        EXPECT_EQ(std::string(SUN_HEADER) + c.expected, report_of(sun_like_star(), {p})) << c.what;
    }
}

TEST(Report, GasGiantBlockHasNoSurfaceLinesWhateverItsFieldsHold) {
    const char* const expected_block =
        "Planet #1:\n"
        "Gas giant...\n"
        "In resonant period with primary.\n"
        "   Distance from primary star (in A.U.):   1.000\n"
        "   Eccentricity of orbit:                  0.017\n"
        "   Mass (in Earth masses):                 0.998\n"
        "   Equatorial radius (in Km):             6378.0\n"
        "   Density (in g/cc):                      5.520\n"
        "   Escape Velocity (in km/sec):            11.19\n"
        "   Smallest molecular weight retained:      5.25   (CH4)\n"
        "   Surface acceleration (in cm/sec2):     980.50\n"
        "   Axial tilt (in degrees):        23\n"
        "   Planetary albedo:            0.300\n"
        "   Length of year (in years):    1.00\n"
        "   Length of day (in hours):    24.00\n"
        "\n";
    // Once with every surface field holding a printable value, once with the
    // not-applicable marker the pipeline stores.
    Planet printable = earth_like_planet();
    printable.is_gas_giant = 1;
    printable.in_resonance = 1;
    printable.runaway_greenhouse = 1;
    Planet marked = printable;
    marked.surface_gravity = HUGE_VALUE;
    marked.surface_pressure = HUGE_VALUE;
    marked.boiling_point = HUGE_VALUE;
    marked.hydrosphere = HUGE_VALUE;
    marked.surface_temp = HUGE_VALUE;
    marked.cloud_cover = HUGE_VALUE;
    marked.ice_cover = HUGE_VALUE;
    for (const Planet& p : {printable, marked})
        EXPECT_EQ(std::string(SUN_HEADER) + expected_block, report_of(sun_like_star(), {p}));
}

TEST(Report, ResonanceLineFollowsTheTitleOfARockyPlanet) {
    Planet p = earth_like_planet();
    p.in_resonance = 1;
    std::string text = report_of(sun_like_star(), {p});
    EXPECT_NE(std::string::npos,
              text.find("Planet #1:\nIn resonant period with primary.\n   Distance from primary star"));
    EXPECT_EQ(std::string::npos, text.find("Gas giant"));
}

TEST(Report, PlanetsAreNumberedInListOrderWithoutGaps) {
    std::vector<Planet> planets;
    for (int i = 0; i < 11; ++i) {
        Planet p = earth_like_planet();
        p.distance = 12.0 - i;  // list order, not distance order, decides the number
        p.is_gas_giant = i % 3 == 0;
        planets.push_back(p);
    }
    std::string text = report_of(sun_like_star(), planets);
    std::istringstream in(text);
    std::string line;
    std::vector<std::string> titles;
    std::vector<std::string> distances;
    while (std::getline(in, line)) {
        if (line.rfind("Planet #", 0) == 0) titles.push_back(line);
        if (line.rfind("   Distance", 0) == 0) distances.push_back(line.substr(line.size() - 7));
    }
    ASSERT_EQ(11u, titles.size());
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ("Planet #" + std::to_string(i + 1) + ":", titles[i]);
        char want[16];
        std::snprintf(want, sizeof want, "%7.3f", 12.0 - i);
        EXPECT_EQ(want, distances[i]);
    }
    EXPECT_EQ('\n', text.back());
    EXPECT_EQ("\n\n", text.substr(text.size() - 2));
}

// ---------------------------------------------------------------- the file

TEST(ReportFile, ReplacesAnEarlierFileEntirely) {
    ScratchDir dir("report");
    const std::string path = (dir / "replaced.txt").string();
    ASSERT_TRUE(write_text_file(path.c_str(), std::string(50000, 'x')));
    ASSERT_TRUE(write_text_file(path.c_str(), "short\n"));
    EXPECT_EQ("short\n", read_file(path));
}

TEST(ReportFile, AFullDeviceFailsWithItsErrorWhetherTheWriteOrTheFlushFails) {
    // A short text fits the stream's buffer, so the failure shows first when
    // it is flushed; a long one fails in the write itself.
    for (std::size_t size : {std::size_t{10}, std::size_t{1} << 20}) {
        errno = 0;
        EXPECT_FALSE(write_text_file("/dev/full", std::string(size, 'x'))) << size << " bytes";
        EXPECT_EQ(ENOSPC, errno) << size << " bytes";
    }
}

TEST(ReportFile, AnUnopenableFileFailsWithItsError) {
    errno = 0;
    ScratchDir dir("report");
    EXPECT_FALSE(write_text_file(dir.path().c_str(), "text"));
    EXPECT_EQ(EISDIR, errno);
}

}  // namespace
}  // namespace orrery::testing
