// orrery-lab under valgrind's memcheck: no invalid read or write, no use of
// uninitialised memory, nothing definitely or indirectly lost, in the shipped,
// optimised binary as a user runs it (the sanitized build checks the library
// in-process).
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/golden.h"
#include "support/scratch_dir.h"

namespace orrery::testing {
namespace {

namespace fs = std::filesystem;

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
        const fs::path log = dir / "valgrind.log";
        std::vector<std::string> argv = memcheck_command(log);
        argv.insert(argv.end(), {ORRERY_LAB_BINARY, "show", "--seed", std::to_string(c.seed)});
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        auto child = run_child(argv, {.dir = dir.path()}, std::chrono::seconds(120));
        EXPECT_EQ(child->describe(), "exit 0") << read_file(log) << child->err();
        EXPECT_EQ(read_file(log), "") << "memcheck reported problems";
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
