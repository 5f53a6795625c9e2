// Whole generations against the reference outputs, byte for byte and bit for
// bit.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/doubles.h"
#include "support/golden.h"
#include <orrery/orrery.h>

#include "generation/generation.h"
#include "report/report.h"

namespace orrery::testing {

namespace {

class GoldenSeed : public ::testing::TestWithParam<std::uint32_t> {};

struct SeedRun {
    Generation g;
    std::string progress;
    std::string report;
};

void run_seed(SeedRun& run, std::uint32_t seed) {
    StringProgress sink(run.progress);
    run_generation(run.g, seed, &sink);
    append_system_report(run.report, run.g.star, run.g.planets);
}

TEST_P(GoldenSeed, ReportAndProgressAreByteIdentical) {
    auto run = std::make_unique<SeedRun>();
    run_seed(*run, GetParam());
    EXPECT_EQ(golden_file(GetParam(), "New.System"), run->report);
    EXPECT_EQ(golden_file(GetParam(), "stdout.txt"), run->progress);
}

TEST_P(GoldenSeed, StarAndCountsMatchTheDump) {
    auto run = std::make_unique<SeedRun>();
    run_seed(*run, GetParam());
    nlohmann::json dump = golden_dump(GetParam());
    const Star& s = run->g.star;
    const nlohmann::json& js = dump["star"];
    EXPECT_TRUE(same_double(dump_double(js["mass_ratio"]), s.mass_ratio)) << "mass_ratio";
    EXPECT_TRUE(same_double(dump_double(js["luminosity_ratio"]), s.luminosity_ratio)) << "luminosity_ratio";
    EXPECT_TRUE(same_double(dump_double(js["main_sequence_life"]), s.main_sequence_life)) << "main_sequence_life";
    EXPECT_TRUE(same_double(dump_double(js["age"]), s.age)) << "age";
    EXPECT_TRUE(same_double(dump_double(js["ecosphere_radius"]), s.ecosphere_radius)) << "ecosphere_radius";
    EXPECT_TRUE(same_double(dump_double(js["greenhouse_radius"]), s.greenhouse_radius)) << "greenhouse_radius";
    const GenerationCounts& c = run->g.counts;
    EXPECT_EQ(dump["accretion_passes"].get<std::uint64_t>(), c.accretion_passes);
    EXPECT_EQ(dump["draws"]["after_star_mass"].get<std::uint64_t>(), c.draws_after_star_mass);
    EXPECT_EQ(dump["draws"]["after_accretion"].get<std::uint64_t>(), c.draws_after_accretion);
    EXPECT_EQ(dump["draws"]["after_age"].get<std::uint64_t>(), c.draws_after_age);
    EXPECT_EQ(dump["draws"]["after_pipeline"].get<std::uint64_t>(), c.draws_after_pipeline);
    EXPECT_EQ(dump["draws"]["total"].get<std::uint64_t>(), run->g.random.outputs);
}

TEST_P(GoldenSeed, EveryPlanetFieldMatchesTheDump) {
    auto run = std::make_unique<SeedRun>();
    run_seed(*run, GetParam());
    nlohmann::json dump = golden_dump(GetParam());
    const nlohmann::json& jp = dump["planets"];
    ASSERT_EQ(jp.size(), run->g.planets.size());
    for (std::size_t i = 0; i < jp.size(); ++i) {
        const Planet& p = run->g.planets[i];
        const nlohmann::json& j = jp[i];
        std::string at = "planet " + std::to_string(i + 1) + " ";
#define DOUBLE_FIELD(f)                                                \
    if (!j[#f].is_null()) {                                            \
        EXPECT_TRUE(same_double(dump_double(j[#f]), p.f)) << at << #f; \
    }
#define INT_FIELD(f) EXPECT_EQ(j[#f].get<int>(), p.f) << at << #f
        DOUBLE_FIELD(distance);
        DOUBLE_FIELD(eccentricity);
        DOUBLE_FIELD(mass);
        INT_FIELD(is_gas_giant);
        INT_FIELD(orbit_zone);
        DOUBLE_FIELD(radius);
        DOUBLE_FIELD(density);
        DOUBLE_FIELD(year_days);
        DOUBLE_FIELD(day_hours);
        INT_FIELD(in_resonance);
        INT_FIELD(axial_tilt);
        DOUBLE_FIELD(escape_velocity);
        DOUBLE_FIELD(surface_accel);
        DOUBLE_FIELD(surface_gravity);
        DOUBLE_FIELD(rms_velocity);
        DOUBLE_FIELD(min_molecular_weight);
        DOUBLE_FIELD(volatile_inventory);
        DOUBLE_FIELD(surface_pressure);
        INT_FIELD(runaway_greenhouse);
        DOUBLE_FIELD(boiling_point);
        DOUBLE_FIELD(albedo);
        DOUBLE_FIELD(surface_temp);
        DOUBLE_FIELD(hydrosphere);
        DOUBLE_FIELD(cloud_cover);
        DOUBLE_FIELD(ice_cover);
#undef DOUBLE_FIELD
#undef INT_FIELD
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, GoldenSeed, ::testing::ValuesIn(golden_seeds()),
                         [](const auto& info) { return "seed_" + std::to_string(info.param); });

}  // namespace
}  // namespace orrery::testing
