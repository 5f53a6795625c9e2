// The program orrery under valgrind's memcheck: no invalid read or write, no
// use of uninitialised memory, nothing definitely or indirectly lost. The
// sanitized build checks the library in-process; this checks the shipped,
// optimised binary as a user runs it. Clock seconds are pinned with faketime
// so each run's seed is known.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/scratch_dir.h"
#include <orrery/orrery.h>

namespace orrery::testing {
namespace {

namespace fs = std::filesystem;

struct ClockCase {
    const char* utc;     // the clock second the run sees
    std::uint32_t seed;  // the seed that second gives
};

// In-process result for a seed: what the program must write.
void expected_output(std::uint32_t seed, std::string& progress, std::string& report) {
    StringProgress sink(progress);
    report = format_report(Generator().generate(seed, &sink));
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
        const fs::path log = dir / "valgrind.log";
        std::vector<std::string> argv = {find_on_path("faketime"), "-f", c.utc};
        const std::vector<std::string> memcheck = memcheck_command(log);
        argv.insert(argv.end(), memcheck.begin(), memcheck.end());
        argv.push_back(ORRERY_BINARY);
        ScratchDir work("memcheck-run");
        auto child = run_child(argv, {.dir = work.path(), .extra_env = faketime_env()}, std::chrono::seconds(120));
        EXPECT_EQ(child->describe(), "exit 0") << read_file(log) << child->err();
        EXPECT_EQ(read_file(log), "") << "memcheck reported problems";

        std::string progress, report;
        expected_output(c.seed, progress, report);
        EXPECT_EQ(child->out(), progress);
        EXPECT_EQ(read_file(work / "New.System"), report);
        EXPECT_EQ(list_dir(work.path()), std::vector<std::string>{"New.System"});
    }
}

}  // namespace
}  // namespace orrery::testing
