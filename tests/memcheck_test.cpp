// The real programs under valgrind's memcheck: no invalid read or write, no
// use of uninitialised memory, nothing definitely or indirectly lost. The
// sanitized build checks the library in-process; this checks the shipped,
// optimised binaries as a user runs them. Clock seconds are pinned with
// faketime so each run's seed is known.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "golden_support.h"
#include <orrery/orrery.h>

#include "generation/generation.h"
#include "report/report.h"

namespace orrery::testing {
namespace {

const std::vector<std::string> MEMCHECK = {
    "--error-exitcode=99", "--leak-check=full", "--errors-for-leak-kinds=definite,indirect", "--quiet",
};

// Why memcheck cannot run here, or "" when it can.
std::string memcheck_unavailable() {
#if defined(__SANITIZE_ADDRESS__)
    return "the sanitizers' own checks replace memcheck in this build";
#else
    if (find_on_path("valgrind").empty()) return "valgrind is not installed (scripts/setup-deps installs it)";
    if (find_on_path("faketime").empty()) return "faketime is not installed (scripts/setup-deps installs it)";
    return "";
#endif
}

struct ClockCase {
    const char* utc;     // the clock second the run sees
    std::uint32_t seed;  // the seed that second gives
};

// In-process result for a seed: what the program must write.
void expected_output(std::uint32_t seed, std::string& progress, std::string& report) {
    auto g = std::make_unique<Generation>();
    StringProgress sink(progress);
    g->progress = &sink;
    start_generation(*g, seed);
    generate_system(*g);
    append_system_report(report, g->star, g->planets);
}

TEST(Memcheck, OrreryRunsCleanAndWritesTheWholeReport) {
    std::string why = memcheck_unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    const std::vector<ClockCase> seconds = {
        {"1970-01-01 00:00:42", 42u},
        {"2025-01-01 00:00:00", 1735689600u},
        {"2106-02-07 06:28:15", 4294967295u},  // the last second before the seed wraps
    };
    for (const ClockCase& c : seconds) {
        SCOPED_TRACE(c.utc);
        ScratchDir dir("memcheck");
        std::string log = (dir / "valgrind.log").string();
        std::vector<std::string> argv = {find_on_path("faketime"), "-f", c.utc, find_on_path("valgrind"),
                                         "--log-file=" + log};
        argv.insert(argv.end(), MEMCHECK.begin(), MEMCHECK.end());
        argv.push_back(ORRERY_BINARY);
        ScratchDir work("memcheck-run");
        auto child = run_child(argv, {.dir = work.path(), .extra_env = faketime_env()}, std::chrono::seconds(120));
        EXPECT_EQ(child->describe(), "exit 0") << slurp(log) << child->err();
        EXPECT_EQ(slurp(log), "") << "memcheck reported problems";

        std::string progress, report;
        expected_output(c.seed, progress, report);
        EXPECT_EQ(child->out(), progress);
        EXPECT_EQ(slurp(work / "New.System"), report);
        EXPECT_EQ(list_dir(work.path()), std::vector<std::string>{"New.System"});
    }
}

#ifdef ORRERY_LAB_BINARY
TEST(Memcheck, LabShowRunsClean) {
    std::string why = memcheck_unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    struct ShowCase {
        std::uint32_t seed;
        std::vector<std::string> options;
    };
    const std::vector<ShowCase> cases = {
        {42, {"--progress"}},
        {4294967295u, {"--format", "json"}},
    };
    for (const ShowCase& c : cases) {
        SCOPED_TRACE(c.seed);
        ScratchDir dir("memcheck");
        std::string log = (dir / "valgrind.log").string();
        std::vector<std::string> argv = {find_on_path("valgrind"), "--log-file=" + log};
        argv.insert(argv.end(), MEMCHECK.begin(), MEMCHECK.end());
        argv.insert(argv.end(), {ORRERY_LAB_BINARY, "show", "--seed", std::to_string(c.seed)});
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        auto child = run_child(argv, {.dir = dir.path()}, std::chrono::seconds(120));
        EXPECT_EQ(child->describe(), "exit 0") << slurp(log) << child->err();
        EXPECT_EQ(slurp(log), "") << "memcheck reported problems";
        if (c.options[0] == "--progress") {
            EXPECT_EQ(child->out(), golden_file(c.seed, "New.System"));
            EXPECT_EQ(child->err(), golden_file(c.seed, "stdout.txt"));
        } else {
            nlohmann::json shown = nlohmann::json::parse(child->out());
            EXPECT_EQ(shown["seed"], c.seed);
            EXPECT_EQ(shown["planets"].size(), golden_dump(c.seed)["planets"].size());
        }
    }
}
#endif

}  // namespace
}  // namespace orrery::testing
