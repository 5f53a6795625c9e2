// The seed space as input: a run has nothing but its seed, so a rare seed that
// throws, hangs, breaks the disc's bookkeeping or writes a malformed report is
// the main way the program can fail. The sweep spreads seeds over the whole
// 32-bit range and checks each system in-process, as users get it and again
// with the accretion checks on, under a watchdog against hangs.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/golden.h"
#include <orrery/orrery.h>

#include "generation/generation.h"
#include "report/report.h"
#include "report_shape.h"

namespace orrery::testing {
namespace {

// Seeds spread evenly over the whole 32-bit range: 10,000 strides of 429,497
// reach 4,294,540,503, within one stride of the top. A system takes well
// under a millisecond even with the sanitizers, so every build sweeps them
// all.
constexpr std::uint32_t SWEEP_SEEDS = 10000;
constexpr std::uint32_t SWEEP_STRIDE = 429497;
static_assert(std::uint64_t(SWEEP_SEEDS - 1) * SWEEP_STRIDE <= std::numeric_limits<std::uint32_t>::max());
static_assert(std::uint64_t(SWEEP_SEEDS) * SWEEP_STRIDE > std::numeric_limits<std::uint32_t>::max() - SWEEP_STRIDE);

// The seeds people actually get are clock seconds of their own time: a block
// of consecutive ones starting at 2025-01-01 00:00:00 UTC.
constexpr std::uint32_t RECENT_FIRST_SEED = 1735689600;

// A seed's two generations take well under a millisecond; one that has not
// finished after a second is stuck in a loop.
constexpr std::chrono::milliseconds SEED_TIME_LIMIT{1000};

// Runs work(0) .. work(count - 1) in order on a worker thread. If any one call
// runs past `limit`, the worker cannot be stopped, so the process is ended
// with a message naming the call: a hang must fail, never stall the run.
void run_with_watchdog(std::uint32_t count, std::chrono::milliseconds limit,
                       const std::function<void(std::uint32_t)>& work,
                       const std::function<std::string(std::uint32_t)>& describe) {
    std::mutex m;
    std::condition_variable cv;
    std::uint32_t started = 0;   // calls begun
    std::uint32_t finished = 0;  // calls returned
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            for (std::uint32_t i = 0; i < count; ++i) {
                {
                    std::lock_guard<std::mutex> lock(m);
                    started = i + 1;
                }
                cv.notify_all();
                work(i);
                {
                    std::lock_guard<std::mutex> lock(m);
                    finished = i + 1;
                }
                cv.notify_all();
            }
        } catch (...) {
            std::lock_guard<std::mutex> lock(m);
            error = std::current_exception();
            finished = count;
            cv.notify_all();
        }
    });
    std::unique_lock<std::mutex> lock(m);
    while (finished < count) {
        cv.wait(lock, [&] { return started > finished || finished == count; });
        if (finished == count) break;
        std::uint32_t running = started - 1;
        auto deadline = std::chrono::steady_clock::now() + limit;
        if (!cv.wait_until(lock, deadline, [&] { return finished > running; })) {
            std::fprintf(stderr, "%s did not finish within %lld ms: the run is stuck; ending the tests\n",
                         describe(running).c_str(), static_cast<long long>(limit.count()));
            std::fflush(stderr);
            std::abort();
        }
    }
    lock.unlock();
    worker.join();
    if (error) std::rethrow_exception(error);
}

TEST(Watchdog, EndsTheProcessNamingTheCallThatHangs) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto hang_on_third = [](std::uint32_t i) {
        if (i == 2) std::this_thread::sleep_for(std::chrono::seconds(30));
    };
    auto name = [](std::uint32_t i) { return "call " + std::to_string(i); };
    EXPECT_DEATH(run_with_watchdog(5, std::chrono::milliseconds(100), hang_on_third, name),
                 "call 2 did not finish within 100 ms");
}

TEST(Watchdog, RunsEveryCallInOrderAndPassesOnExceptions) {
    std::vector<std::uint32_t> seen;
    run_with_watchdog(50, std::chrono::milliseconds(1000), [&](std::uint32_t i) { seen.push_back(i); },
                      [](std::uint32_t) { return std::string(); });
    ASSERT_EQ(seen.size(), 50u);
    for (std::uint32_t i = 0; i < 50; ++i) EXPECT_EQ(seen[i], i);

    EXPECT_THROW(run_with_watchdog(
                     3, std::chrono::milliseconds(1000),
                     [](std::uint32_t i) {
                         if (i == 1) throw std::runtime_error("boom");
                     },
                     [](std::uint32_t) { return std::string(); }),
                 std::runtime_error);
}

#if defined(__SANITIZE_ADDRESS__)
// The sweep's worth in this build rests on the sanitizers being armed and
// fatal: a report must end the process, not scroll past.
TEST(Sanitizers, AHeapOverrunEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            auto* words = new volatile int[4];
            volatile int past_the_end = 4;
            words[past_the_end] = 1;
            delete[] words;
        },
        // Whichever sanitizer sees it first: the object-size check or the
        // heap's red zone.
        "insufficient space|heap-buffer-overflow");
}

TEST(Sanitizers, UndefinedBehaviourEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            volatile int big = std::numeric_limits<int>::max();
            volatile int sum = big + 1;
            (void)sum;
        },
        "signed integer overflow");
}
#endif

// The shape checker must accept every reference report and reject each kind
// of damage a broken formatter or a cut-short file would cause.
TEST(ReportShape, AcceptsEveryReferenceReport) {
    for (std::uint32_t seed : golden_seeds()) {
        std::string report = golden_file(seed, "New.System");
        ReportShape shape = check_report_shape(report);
        EXPECT_TRUE(shape.ok()) << "seed " << seed << ": " << shape.fault;
        EXPECT_FALSE(shape.gas_giant.empty()) << "seed " << seed;
        EXPECT_EQ(check_progress_shape(golden_file(seed, "stdout.txt")), "") << "seed " << seed;
    }
}

TEST(ReportShape, CountsBlocksAndGasGiants) {
    // Seed 1546 has a gas giant; compare with the report's own headings.
    std::string report = golden_file(1546, "New.System");
    ReportShape shape = check_report_shape(report);
    ASSERT_TRUE(shape.ok()) << shape.fault;
    std::size_t headings = 0, giants = 0;
    for (std::size_t at = 0; (at = report.find("Planet #", at)) != std::string::npos; ++at) ++headings;
    for (std::size_t at = 0; (at = report.find("Gas giant...\n", at)) != std::string::npos; ++at) ++giants;
    EXPECT_EQ(shape.gas_giant.size(), headings);
    std::size_t counted = 0;
    for (bool g : shape.gas_giant) counted += g;
    EXPECT_EQ(counted, giants);
    EXPECT_GT(giants, 0u);

    // A system without planets is the header alone.
    std::string header = report.substr(0, report.find("Planet #1:"));
    ReportShape empty = check_report_shape(header);
    EXPECT_TRUE(empty.ok()) << empty.fault;
    EXPECT_TRUE(empty.gas_giant.empty());
}

struct Damage {
    const char* name;
    std::string find;     // first occurrence is replaced
    std::string replace;
};

TEST(ReportShape, RejectsDamagedReports) {
    // Seed 1546: a resonant rocky planet (2), gas giants, and rocky planets
    // with hydrosphere, cloud and ice lines.
    const std::string good = golden_file(1546, "New.System");
    const std::vector<Damage> damages = {
        {"a gap in the planet numbers", "Planet #3:\n", "Planet #4:\n"},
        {"a planet numbered twice", "Planet #3:\n", "Planet #2:\n"},
        {"nan in place of a number", "   Density (in g/cc):                      5.285",
         "   Density (in g/cc):                        nan"},
        {"nan in the header", "Mass of central star:           0.858", "Mass of central star:             nan"},
        {"-inf in place of a number", "   Length of year (in years):    0.21", "   Length of year (in years):    -inf"},
        {"a number one column short", "   Distance from primary star (in A.U.):   0.332",
         "   Distance from primary star (in A.U.):  0.332"},
        {"a number with too few decimals", "Mass of central star:           0.858",
         "Mass of central star:            0.86"},
        {"a missing mandatory line", "   Surface temperature (Celcius):         119.82\n", ""},
        {"an unknown line inside a block", "   Planetary albedo:", "   Moons: 3\n   Planetary albedo:"},
        {"the blank line between blocks missing", "\n\nPlanet #2:", "\nPlanet #2:"},
        {"the blank line after the header missing", " AU\n\nPlanet #1:", " AU\nPlanet #1:"},
        {"the title changed", "SYSTEM  CHARACTERISTICS", "SYSTEM CHARACTERISTICS"},
        {"an unknown gas label", "   (O2)\n", "   (O22)\n"},
        {"a carriage return", "Planet #1:\n", "Planet #1:\r\n"},
        {"rocky lines in a gas giant's block", "Gas giant...\n",
         "Gas giant...\n   Surface Gravity (in Earth gees):         1.00\n"},
        {"text after a number", "   Planetary albedo:            0.115\n", "   Planetary albedo:            0.115 \n"},
    };
    for (const Damage& d : damages) {
        std::size_t at = good.find(d.find);
        ASSERT_NE(at, std::string::npos) << d.name << ": the fixture no longer holds '" << d.find << "'";
        std::string bad = good;
        bad.replace(at, d.find.size(), d.replace);
        EXPECT_FALSE(check_report_shape(bad).ok()) << d.name;
    }

    // Two optional lines in the wrong order (seed 42 has a planet with both).
    const std::string wet = golden_file(42, "New.System");
    std::size_t hydro = wet.find("   Hydrosphere percentage: ");
    ASSERT_NE(hydro, std::string::npos);
    std::size_t cloud = wet.find('\n', hydro) + 1;
    ASSERT_EQ(wet.compare(cloud, 27, "   Cloud cover percentage: "), 0) << "fixture: cloud line after hydrosphere";
    std::size_t cloud_end = wet.find('\n', cloud) + 1;
    ASSERT_TRUE(check_report_shape(wet).ok());
    std::string swapped = wet.substr(0, hydro) + wet.substr(cloud, cloud_end - cloud) +
                          wet.substr(hydro, cloud - hydro) + wet.substr(cloud_end);
    EXPECT_FALSE(check_report_shape(swapped).ok()) << "optional lines swapped";

    // A file cut short mid-line or mid-block is never taken for a complete
    // report. (One cut exactly after a block's blank line would look
    // complete: only writing the file whole and checking its close stops
    // that.)
    for (std::size_t cut : {std::size_t(0), std::size_t(10), good.size() / 3, good.size() / 2, good.size() - 1}) {
        EXPECT_FALSE(check_report_shape(good.substr(0, cut)).ok()) << "cut at byte " << cut;
    }
}

TEST(ReportShape, RejectsDamagedProgress) {
    const std::string good = golden_file(1546, "stdout.txt");
    ASSERT_EQ(check_progress_shape(good), "");
    const std::vector<Damage> damages = {
        {"an unknown message", "...resonance...\n", "...resonance..\n"},
        {"nan in the day length", "...maybe: ", "...maybe: nan\n...maybe: "},
        {"inf in the day length", "...maybe: ", "...maybe: inf\n...maybe: "},
        {"a day length without six decimals", "...maybe: ", "...maybe: 1.5\n...maybe: "},
        {"an accretion message after the pipeline", "...resonance...\n", "...resonance...\n.. Injecting protoplanet.\n"},
        {"the error message of a bad orbit zone", "...resonance...\n", "Error: orbital zone not initialized correctly!\n"},
    };
    for (const Damage& d : damages) {
        std::size_t at = good.find(d.find);
        ASSERT_NE(at, std::string::npos) << d.name;
        std::string bad = good;
        bad.replace(at, d.find.size(), d.replace);
        EXPECT_NE(check_progress_shape(bad), "") << d.name;
    }
    EXPECT_NE(check_progress_shape(good.substr(0, good.size() - 1)), "") << "last line cut short";
}

// The accretion checks must catch each way the disc or the planet list can go
// wrong, so that switching them on in the sweep means something.
TEST(AccretionChecks, CatchEachBrokenInvariant) {
    const double inner = 0.0, outer = 200.0;
    auto disc = [](std::vector<DustBand> bands) {
        AccretionState acc;
        acc.dust_bands = std::move(bands);
        return acc;
    };
    EXPECT_NO_THROW(check_dust_bands(disc({{0.0, 3.0, 0, 1}, {3.0, 200.0, 1, 1}}), inner, outer));
    struct BandCase {
        const char* name;
        std::vector<DustBand> bands;
    };
    const std::vector<BandCase> band_cases = {
        {"no band at all", {}},
        {"a gap between bands", {{0.0, 3.0, 0, 1}, {3.5, 200.0, 1, 1}}},
        {"overlapping bands", {{0.0, 3.0, 0, 1}, {2.5, 200.0, 1, 1}}},
        {"bands out of order", {{3.0, 200.0, 1, 1}, {0.0, 3.0, 0, 1}}},
        {"an empty band", {{0.0, 3.0, 0, 1}, {3.0, 3.0, 1, 0}, {3.0, 200.0, 1, 1}}},
        {"a reversed band", {{0.0, 200.0, 1, 1}, {200.0, 150.0, 1, 1}}},
        {"the disc starts too far out", {{0.1, 200.0, 1, 1}}},
        {"the disc ends too soon", {{0.0, 199.0, 1, 1}}},
        {"a flag other than 0 or 1", {{0.0, 200.0, 2, 1}}},
    };
    for (const BandCase& c : band_cases)
        EXPECT_THROW(check_dust_bands(disc(c.bands), inner, outer), std::logic_error) << c.name;

    Planet fine;
    fine.distance = 1.0;
    fine.eccentricity = 0.05;
    fine.mass = 3e-6;
    EXPECT_NO_THROW(check_planets({fine, fine}));
    struct PlanetCase {
        const char* name;
        double distance, eccentricity, mass;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<PlanetCase> planet_cases = {
        {"zero mass", 1.0, 0.05, 0.0},
        {"negative mass", 1.0, 0.05, -1e-9},
        {"NaN mass", 1.0, 0.05, nan},
        {"infinite mass", 1.0, 0.05, inf},
        {"zero distance", 0.0, 0.05, 3e-6},
        {"NaN distance", nan, 0.05, 3e-6},
        {"eccentricity 1", 1.0, 1.0, 3e-6},
        {"negative eccentricity", 1.0, -0.01, 3e-6},
        {"NaN eccentricity", 1.0, nan, 3e-6},
    };
    for (const PlanetCase& c : planet_cases) {
        Planet bad;
        bad.distance = c.distance;
        bad.eccentricity = c.eccentricity;
        bad.mass = c.mass;
        EXPECT_THROW(check_planets({fine, bad}), std::logic_error) << c.name;
    }
}

struct SweepFailure {
    std::uint32_t seed;
    std::string what;
};

// Generates one seed's system with the accretion checks on or off.
void generate(Generation& g, std::uint32_t seed, bool checked, std::string& progress, std::string& report) {
    progress.clear();
    report.clear();
    StringProgress sink(progress);
    g.accretion.check_invariants = checked;
    run_generation(g, seed, &sink);
    append_system_report(report, g.star, g.planets);
}

struct SeedOutput {
    std::string progress, report;        // as users get them: checks off
    std::string checked_progress, checked_report;
};

// Everything one seed's system must satisfy; returns "" when it does. The
// system is made twice: as users get it, and with the accretion checks on,
// which must find nothing and change nothing.
std::string check_seed(Generation& g, std::uint32_t seed, SeedOutput& out) {
    try {
        generate(g, seed, false, out.progress, out.report);
    } catch (const std::exception& e) {
        return std::string("generation threw: ") + e.what();
    }
    ReportShape shape = check_report_shape(out.report);
    if (!shape.ok()) return "report: " + shape.fault;
    if (shape.gas_giant.size() != g.planets.size())
        return "report has " + std::to_string(shape.gas_giant.size()) + " planet blocks for " +
               std::to_string(g.planets.size()) + " planets";
    for (std::size_t i = 0; i < g.planets.size(); ++i)
        if (shape.gas_giant[i] != (g.planets[i].is_gas_giant != 0))
            return "planet " + std::to_string(i + 1) + ": gas giant line does not match the record";
    std::string fault = check_progress_shape(out.progress);
    if (!fault.empty()) return fault;

    try {
        generate(g, seed, true, out.checked_progress, out.checked_report);
    } catch (const std::exception& e) {
        return std::string("accretion check failed: ") + e.what();
    }
    if (out.checked_report != out.report || out.checked_progress != out.progress)
        return "the accretion checks changed the system";
    return "";
}

struct SweepTotals {
    std::uint64_t planets = 0;
    std::uint64_t gas_giants = 0;
    std::uint64_t empty_systems = 0;
};

// Checks `count` seeds first, first + stride, ... and fails the test for each
// seed that breaks (the first 20 are named).
void sweep(std::uint32_t first, std::uint32_t stride, std::uint32_t count) {
    auto g = std::make_unique<Generation>();
    SeedOutput output;
    std::vector<SweepFailure> failures;
    SweepTotals totals;
    auto seed_of = [=](std::uint32_t i) { return static_cast<std::uint32_t>(first + std::uint64_t(i) * stride); };
    auto started = std::chrono::steady_clock::now();
    run_with_watchdog(
        count, SEED_TIME_LIMIT,
        [&](std::uint32_t i) {
            std::uint32_t seed = seed_of(i);
            std::string fault = check_seed(*g, seed, output);
            if (!fault.empty()) failures.push_back({seed, fault});
            totals.planets += g->planets.size();
            for (const Planet& p : g->planets) totals.gas_giants += p.is_gas_giant != 0;
            totals.empty_systems += g->planets.empty();
        },
        [&](std::uint32_t i) { return "seed " + std::to_string(seed_of(i)); });
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    for (std::size_t k = 0; k < failures.size() && k < 20; ++k)
        ADD_FAILURE() << "seed " << failures[k].seed << ": " << failures[k].what;
    EXPECT_TRUE(failures.empty()) << failures.size() << " of " << count << " seeds failed";
    // Guards against a sweep that silently checked nothing.
    EXPECT_GT(totals.planets, std::uint64_t(count) * 5);
    EXPECT_GT(totals.gas_giants, 0u);
    std::printf("swept %u seeds from %u to %u in %.1f s: %llu planets, %llu gas giants, %llu empty systems\n",
                count, first, seed_of(count - 1), seconds, static_cast<unsigned long long>(totals.planets),
                static_cast<unsigned long long>(totals.gas_giants),
                static_cast<unsigned long long>(totals.empty_systems));
}

TEST(SeedSweep, SeedsSpreadOverTheWholeRangeGiveWellFormedSystems) {
    sweep(0, SWEEP_STRIDE, SWEEP_SEEDS);
}

TEST(SeedSweep, ConsecutiveRecentClockSecondsGiveWellFormedSystems) {
    sweep(RECENT_FIRST_SEED, 1, SWEEP_SEEDS);
}

// A deeper look, by hand: ORRERY_DEEP_SWEEP=N sweeps N seeds spread evenly
// over the whole range (a million take a few minutes), e.g.
//   ORRERY_DEEP_SWEEP=1000000 build/release/tests/orrery_core_tests --gtest_filter='SeedSweep.Deep*'
TEST(SeedSweep, DeepSweepOverTheWholeRangeWhenAsked) {
    const char* asked = std::getenv("ORRERY_DEEP_SWEEP");
    if (!asked || !*asked) GTEST_SKIP() << "set ORRERY_DEEP_SWEEP to a number of seeds to run it";
    char* end = nullptr;
    unsigned long long count = std::strtoull(asked, &end, 10);
    ASSERT_TRUE(*end == '\0' && count >= 1 && count <= std::numeric_limits<std::uint32_t>::max())
        << "ORRERY_DEEP_SWEEP='" << asked << "' is not a number of seeds";
    std::uint64_t stride = (std::uint64_t(std::numeric_limits<std::uint32_t>::max()) + 1) / count;
    sweep(0, static_cast<std::uint32_t>(stride), static_cast<std::uint32_t>(count));
}

}  // namespace
}  // namespace orrery::testing
