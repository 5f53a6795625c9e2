// What a user of orrery-lab sees when something goes wrong: a directory they
// cannot write, a full disk, a mistyped command line, a long batch stopped
// with Ctrl-C. In every case the program must say so, end with a non-zero
// status, and never leave a file that looks complete but is not. (orrery's
// own faults are with its other tests, in program_test.cpp.)
#include <signal.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/golden.h"
#include "support/scratch_dir.h"

namespace orrery::testing {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

#ifdef ORRERY_LAB_BINARY

const std::string LAB = ORRERY_LAB_BINARY;

// ---------------------------------------------------------------------------
// orrery-lab: mistyped command lines. Each is refused before any work: status
// 2, one line naming the problem and a pointer to --help, nothing on standard
// output, no file touched.

struct BadArguments {
    std::vector<std::string> args;
    const char* says;  // part of the message
};

TEST(LabFaults, BadArgumentsAreRefusedBeforeAnyWork) {
    const std::vector<BadArguments> cases = {
        {{}, "no command given"},
        {{"shwo", "--seed", "1"}, "unknown command 'shwo'; choose one of show, batch"},
        {{"show"}, "Exactly 1 option from [--seed,--at] is required"},
        {{"show", "--seed", "1", "--at", "2025-01-01 00:00:00"}, "2 were given"},
        {{"show", "--seed", "-1"}, "'-1' is not a seed"},
        {{"show", "--seed", "4294967296"}, "'4294967296' is not a seed"},
        {{"show", "--seed", "12ab"}, "'12ab' is not a seed"},
        {{"show", "--at", "2025-02-30 00:00:00"}, "not a date and time that exists"},
        {{"show", "--at", "yesterday"}, "'yesterday' is not a moment"},
        {{"show", "--seed", "1", "--format", "xml", "-o", "out.txt"}, "xml not in {text,json}"},
        {{"show", "--seed", "1", "--bogus"}, "not expected: --bogus"},
        {{"batch", "-o", "out.jsonl"}, "--seeds is required"},
        {{"batch", "--seeds", "10..5", "-o", "out.jsonl"}, "starts after it ends"},
        {{"batch", "--seeds", "0..4294967296", "-o", "out.jsonl"}, "'4294967296' is not a seed"},
        {{"batch", "--seeds", "0..3", "--threads", "0", "-o", "out.jsonl"}, "'0' is not a thread count"},
        {{"batch", "--seeds", "0..3", "--format", "xml", "-o", "out.jsonl"}, "xml not in {jsonl,csv}"},
        {{"batch", "--seeds", "0..3", "-o", "missing/out.jsonl"}, "directory 'missing' does not exist"},
        {{"batch", "--seeds", "0..3", "-o", "."}, "is a directory"},
        {{"stats", "--seeds", "5..1", "-o", "plots"}, "starts after it ends"},
    };
    for (const BadArguments& c : cases) {
        std::string line = "orrery-lab";
        for (const std::string& a : c.args) line += " " + a;
        SCOPED_TRACE(line);
        ScratchDir dir("badargs");
        std::vector<std::string> argv = {LAB};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        auto child = run_child(argv, {.dir = dir.path()}, seconds(30));
        EXPECT_EQ(child->describe(), "exit 2");
        std::string err = child->err();
        EXPECT_EQ(err.rfind("orrery-lab: ", 0), 0u) << err;
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_NE(err.find("orrery-lab --help"), std::string::npos) << err;
        EXPECT_EQ(child->out(), "");
        EXPECT_TRUE(list_dir(dir.path()).empty());
    }
}

// ---------------------------------------------------------------------------
// orrery-lab: output that cannot be written. An earlier file of the same name
// survives intact and no temporary file is left behind.

constexpr const char* EARLIER = "results of an earlier batch\n";

TEST(LabFaults, AFinishedBatchReplacesTheTargetWhole) {
    // The control for the tests below: the same command, left to finish.
    ScratchDir dir("batch");
    write_file(dir / "out.jsonl", EARLIER);
    auto to_file = run_child({LAB, "batch", "--seeds", "0..300", "--threads", "2", "-o", "out.jsonl"},
                             {.dir = dir.path()}, seconds(120));
    ASSERT_EQ(to_file->describe(), "exit 0") << to_file->err();
    auto to_stdout = run_child({LAB, "batch", "--seeds", "0..300", "--threads", "1"}, {.dir = dir.path()},
                               seconds(120));
    ASSERT_EQ(to_stdout->describe(), "exit 0") << to_stdout->err();
    std::string written = read_file(dir / "out.jsonl");
    EXPECT_EQ(written, to_stdout->out());
    EXPECT_GT(written.size(), 100000u);
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"out.jsonl"});
}

TEST(LabFaults, AFullDiskIsReported) {
    ScratchDir dir("full");
    auto child = run_child({LAB, "batch", "--seeds", "0..50", "-o", "/dev/full"}, {.dir = dir.path()}, seconds(60));
    EXPECT_EQ(child->describe(), "exit 1");
    EXPECT_EQ(child->err(), "orrery-lab: /dev/full: No space left on device\n");
    EXPECT_TRUE(list_dir(dir.path()).empty());
}

TEST(LabFaults, AWriteThatFailsHalfwayKeepsTheEarlierFile) {
    // The file-size limit stops the writes partway, as a disk that fills up
    // during a long batch does.
    ScratchDir dir("halfway");
    write_file(dir / "out.jsonl", EARLIER);
    Child::Options options{.dir = dir.path(), .file_size_limit = 256 * 1024};
    auto child = run_child({LAB, "batch", "--seeds", "0..3000", "--threads", "1", "-o", "out.jsonl"}, options,
                           seconds(120));
    EXPECT_EQ(child->describe(), "exit 1");
    EXPECT_EQ(child->err(), "orrery-lab: out.jsonl: File too large\n");
    EXPECT_EQ(read_file(dir / "out.jsonl"), EARLIER);
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"out.jsonl"});

    // Standard output redirected to a file cannot be kept whole, but the cut
    // is said, not passed off as a finished batch.
    auto to_stdout = run_child({LAB, "batch", "--seeds", "0..3000", "--threads", "1"}, options, seconds(120));
    EXPECT_EQ(to_stdout->describe(), "exit 1");
    EXPECT_EQ(to_stdout->err(), "orrery-lab: standard output: File too large\n");
}

TEST(LabFaults, AnUnwritableDirectoryIsReported) {
    ScratchDir dir("unwritable");
    write_file(dir / "out.jsonl", EARLIER);
    Child::Options options{.dir = dir.path()};
    std::string why = make_unwritable(dir.path(), LAB, options);
    if (!why.empty()) GTEST_SKIP() << why;
    auto child = run_child({LAB, "batch", "--seeds", "0..50", "-o", "out.jsonl"}, options, seconds(60));
    EXPECT_EQ(child->describe(), "exit 1");
    EXPECT_EQ(child->err(), "orrery-lab: out.jsonl: Permission denied\n");
    EXPECT_EQ(read_file(dir / "out.jsonl"), EARLIER);
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"out.jsonl"});
}

// ---------------------------------------------------------------------------
// orrery-lab: a long run stopped from outside. The process ends with a
// non-zero status (killed by the signal, as a shell reports it), the earlier
// file stays as it was and the temporary file is gone.

bool ended_unsuccessfully(const Child& c) { return c.term_signal() != 0 || (c.exited() && c.exit_code() != 0); }

// Whether a temporary file beside `target` already holds some output.
bool output_under_way(const fs::path& dir, const std::string& target) {
    for (const std::string& name : list_dir(dir))
        if (name.rfind("." + target + ".tmp", 0) == 0 && fs::file_size(dir / name) > 0) return true;
    return false;
}

struct Interruption {
    const char* name;
    int signal;
    const char* threads;
    const char* format;
};

TEST(LabFaults, AnInterruptedBatchLeavesTheEarlierFileAndNoTemporary) {
    const std::vector<Interruption> cases = {
        {"Ctrl-C", SIGINT, "1", "jsonl"},
        {"Ctrl-C with two threads", SIGINT, "2", "csv"},
        {"kill", SIGTERM, "1", "csv"},
        {"hang-up", SIGHUP, "1", "jsonl"},
    };
    for (const Interruption& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir("interrupt");
        const std::string target = std::string("out.") + c.format;
        write_file(dir / target, EARLIER);
        // Far more seeds than can finish before the signal comes.
        Child child({LAB, "batch", "--seeds", "0..50000000", "--threads", c.threads, "--format", c.format, "-o",
                     target},
                    {.dir = dir.path()});
        ASSERT_TRUE(child.wait_until([&] { return output_under_way(dir.path(), target); }, seconds(60)))
            << "the batch never started writing: " << child.describe() << " " << child.err();
        child.signal(c.signal);
        child.wait(seconds(30));
        EXPECT_FALSE(child.timed_out()) << "the batch did not stop";
        EXPECT_TRUE(ended_unsuccessfully(child)) << child.describe();
        EXPECT_EQ(child.term_signal(), c.signal) << child.describe();
        EXPECT_EQ(read_file(dir / target), EARLIER);
        EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{target});
    }
}

TEST(LabFaults, AnInterruptedStatsRunLeavesTheEarlierPlots) {
    ScratchDir dir("stats");
    fs::create_directory(dir / "plots");
    write_file(dir / "plots" / "index.html", "<p>plots of an earlier run</p>\n");
    Child child({LAB, "stats", "--seeds", "0..50000000", "--threads", "1", "-o", "plots"}, {.dir = dir.path()});
    // Under way: it has had time to start, and is far from finished.
    std::this_thread::sleep_for(milliseconds(500));
    ASSERT_TRUE(child.running()) << child.describe() << " " << child.err();
    child.signal(SIGINT);
    child.wait(seconds(30));
    EXPECT_FALSE(child.timed_out()) << "stats did not stop";
    EXPECT_EQ(child.term_signal(), SIGINT) << child.describe();
    EXPECT_EQ(child.out(), "") << "no summary of a partial run";
    EXPECT_EQ(read_file(dir / "plots" / "index.html"), "<p>plots of an earlier run</p>\n");
    EXPECT_EQ(list_dir(dir / "plots"), std::vector<std::string>{"index.html"});
}

#endif  // ORRERY_LAB_BINARY

}  // namespace
}  // namespace orrery::testing
