// The program under an address-space limit: whatever the limit, it either
// writes a whole report and exits 0, or writes no report and exits non-zero
// with a line saying why; it never dies of a signal or leaves half a report.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/scratch_dir.h"

namespace orrery::testing {
namespace {

namespace fs = std::filesystem;

TEST(ProgramOutOfMemory, FailsCleanlyAtEveryLimit) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves far more address space than any limit tried here";
#else
    ScratchDir scratch("oom");
    const fs::path dir = scratch.path();
    int out_of_memory_lines = 0;
    int successes = 0;
    // From too little to load the program at all up to plenty, in steps fine
    // enough to land between the loader's needs and the run's own.
    for (long long kb = 2000; kb <= 8000; kb += 10) {
        fs::remove(dir / "New.System");
        auto run = run_child({ORRERY_BINARY}, {.dir = dir, .address_space_limit = kb * 1024});
        ASSERT_TRUE(run->exited()) << "limit " << kb << " KiB: " << run->describe();
        const std::string err = run->err();
        if (run->exit_code() == 0) {
            ++successes;
            std::string report = read_file(dir / "New.System");
            ASSERT_EQ(report.rfind("                         SYSTEM  CHARACTERISTICS\n", 0), 0u)
                << "limit " << kb << " KiB";
            ASSERT_GE(report.size(), 2u);
            EXPECT_EQ(report.substr(report.size() - 2), "\n\n") << "limit " << kb << " KiB";
            EXPECT_EQ(err, "") << "limit " << kb << " KiB";
        } else {
            EXPECT_FALSE(fs::exists(dir / "New.System")) << "limit " << kb << " KiB: a report after a failure";
            EXPECT_FALSE(err.empty()) << "limit " << kb << " KiB: failed without a word";
            if (err == "orrery: out of memory; no report written\n") ++out_of_memory_lines;
        }
    }
    EXPECT_GT(successes, 0) << "no limit up to 8000 KiB was enough to run";
    EXPECT_GT(out_of_memory_lines, 0) << "no limit landed on the program's own out-of-memory path";
#endif
}

}  // namespace
}  // namespace orrery::testing
