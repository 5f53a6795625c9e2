// The orrery program itself, run as a user runs it: in a directory of its
// own, with the clock set by faketime.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/golden.h"
#include "support/scratch_dir.h"
#include <orrery/orrery.h>

namespace orrery::testing {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the program in scratch.path() with the clock reading `epoch_seconds`.
// `file_size_limit` is in bytes, as `ulimit -f` sets it.
Outcome run_program_at(const ScratchDir& scratch, long long epoch_seconds, const std::vector<std::string>& args = {},
                       long long file_size_limit = -1) {
    // A date without a leading "@" holds the clock still at that second, read
    // in UTC; "@" would only start it there, and a slow start on a loaded
    // machine could then read the next second.
    std::time_t when = static_cast<std::time_t>(epoch_seconds);
    std::tm parts{};
    ::gmtime_r(&when, &parts);
    char clock[64];
    std::strftime(clock, sizeof clock, "%Y-%m-%d %H:%M:%S", &parts);
    std::vector<std::string> argv = {find_on_path("faketime"), "-f", clock, ORRERY_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    auto child = run_child(argv,
                           {.dir = scratch.path(), .extra_env = faketime_env(), .file_size_limit = file_size_limit},
                           std::chrono::seconds(60));
    EXPECT_FALSE(child->timed_out()) << "orrery did not finish at the second " << epoch_seconds;
    return {child->exit_code(), child->out(), child->err()};
}

struct InProcess {
    std::string progress;
    std::string report;
};

// What the library makes of the seed, through its public interface.
InProcess generate_in_process(std::uint32_t seed) {
    InProcess run;
    StringProgress sink(run.progress);
    run.report = format_report(Generator().generate(seed, &sink));
    return run;
}

const std::vector<std::string> ONLY_THE_REPORT = {"New.System"};

void require_faketime() {
    // faketime is a declared dependency of the tests; a missing one is a
    // broken setup, not a reason to skip.
    ASSERT_FALSE(find_on_path("faketime").empty()) << "faketime is not installed: run scripts/setup-deps";
}

class Program : public ::testing::Test {
protected:
    void SetUp() override { require_faketime(); }
};

class ProgramAtGoldenSecond : public ::testing::TestWithParam<std::uint32_t> {
protected:
    void SetUp() override { require_faketime(); }
};

TEST_P(ProgramAtGoldenSecond, WritesTheReferenceReportAndProgress) {
    const std::uint32_t seed = GetParam();
    ScratchDir scratch("program");
    Outcome run = run_program_at(scratch, seed);
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    std::string report = read_file(scratch / "New.System");
    EXPECT_EQ(golden_file(seed, "New.System"), report);
    EXPECT_EQ(golden_file(seed, "stdout.txt"), run.out);
    InProcess same = generate_in_process(seed);
    EXPECT_EQ(same.report, report);
    EXPECT_EQ(same.progress, run.out);
    EXPECT_EQ(ONLY_THE_REPORT, list_dir(scratch.path()));
}

INSTANTIATE_TEST_SUITE_P(Seeds, ProgramAtGoldenSecond, ::testing::ValuesIn(golden_seeds()),
                         [](const auto& info) { return "seed_" + std::to_string(info.param); });

TEST_F(Program, RunsInTheSameSecondAgreeWhateverTheArguments) {
    const long long second = 1700000000;  // 2023-11-14, an ordinary clock reading
    const std::vector<std::vector<std::string>> argument_sets = {
        {}, {}, {"--help"}, {"-s", "42", "--seed=7"}, {"New.System", "", "out put"}};
    InProcess expected = generate_in_process(seed_from_time(second));
    for (const auto& args : argument_sets) {
        ScratchDir scratch("program");
        Outcome run = run_program_at(scratch, second, args);
        std::string shown = args.empty() ? "no arguments" : args[0];
        ASSERT_EQ(0, run.status) << shown << ": " << run.err;
        EXPECT_EQ("", run.err) << shown;
        EXPECT_EQ(expected.progress, run.out) << shown;
        EXPECT_EQ(expected.report, read_file(scratch / "New.System")) << shown;
    }
}

TEST_F(Program, ClockReadingsAFullWrapApartGiveTheSameSystem) {
    ScratchDir scratch("program");
    Outcome run = run_program_at(scratch, 4294967296LL + 42);
    ASSERT_EQ(0, run.status) << "faketime could not set the clock past 2106? " << run.err;
    EXPECT_EQ(golden_file(42, "New.System"), read_file(scratch / "New.System"));
    EXPECT_EQ(golden_file(42, "stdout.txt"), run.out);
}

TEST_F(Program, AnEarlierReportIsReplacedEntirely) {
    ScratchDir scratch("program");
    {
        std::ofstream old(scratch / "New.System", std::ios::binary);
        old << std::string(200000, '#') << "\nan earlier system\n";
    }
    Outcome run = run_program_at(scratch, 21);
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ(golden_file(21, "New.System"), read_file(scratch / "New.System"));
}

// What a run that cannot write its report leaves: every progress line, then
// one error line naming the file, and exit status 1.
void expect_report_failure(const Outcome& run, const std::string& reason, std::uint32_t seed) {
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(golden_file(seed, "stdout.txt"), run.out) << "progress lines come first";
    EXPECT_EQ(std::string("New.System: ").append(reason).append("\n"), run.err);
}

TEST_F(Program, ADirectoryInTheWayIsReported) {
    ScratchDir scratch("program");
    fs::create_directory(scratch / "New.System");
    Outcome run = run_program_at(scratch, 42);
    expect_report_failure(run, "Is a directory", 42);
    EXPECT_TRUE(fs::is_directory(scratch / "New.System"));
    EXPECT_TRUE(fs::is_empty(scratch / "New.System"));
}

TEST_F(Program, AFullDiskIsReported) {
    // The file opens, but writing or flushing it fails.
    ScratchDir scratch("program");
    fs::create_symlink("/dev/full", scratch / "New.System");
    Outcome run = run_program_at(scratch, 42);
    expect_report_failure(run, "No space left on device", 42);
}

TEST_F(Program, AFileSizeLimitIsReported) {
    // `ulimit -f 4` lets the progress lines through but not the whole
    // report: the run must say so, not die of SIGXFSZ half-way.
    ScratchDir scratch("program");
    Outcome run = run_program_at(scratch, 42, {}, 4096);
    expect_report_failure(run, "File too large", 42);
}

TEST_F(Program, AReadOnlyDirectoryIsReported) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop a write";
    ScratchDir scratch("program");
    fs::permissions(scratch.path(), fs::perms::owner_read | fs::perms::owner_exec);
    Outcome run = run_program_at(scratch, 42);
    expect_report_failure(run, "Permission denied", 42);
    fs::permissions(scratch.path(), fs::perms::owner_all);
    EXPECT_TRUE(list_dir(scratch.path()).empty());
}

TEST_F(Program, AReadOnlyReportIsReportedAndKept) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop a write";
    ScratchDir scratch("program");
    {
        std::ofstream old(scratch / "New.System", std::ios::binary);
        old << "kept\n";
    }
    fs::permissions(scratch / "New.System", fs::perms::owner_read);
    Outcome run = run_program_at(scratch, 42);
    expect_report_failure(run, "Permission denied", 42);
    EXPECT_EQ("kept\n", read_file(scratch / "New.System"));
}

// Unlike the two read-only tests above, this one runs even as root: the
// program then runs as the unprivileged user.
TEST(OrreryFaults, AnUnwritableDirectoryIsReportedAfterTheProgress) {
    std::string faketime = find_on_path("faketime");
    if (faketime.empty()) GTEST_SKIP() << "faketime is not installed (scripts/setup-deps installs it)";
    ScratchDir dir("unwritable");
    Child::Options options{.dir = dir.path(), .extra_env = faketime_env()};
    std::string why = make_unwritable(dir.path(), ORRERY_BINARY, options);
    if (!why.empty()) GTEST_SKIP() << why;
    if (options.as_nobody && !nobody_can_run(faketime)) GTEST_SKIP() << "the unprivileged user cannot run faketime";

    auto child = run_child({faketime, "-f", "1970-01-01 00:00:42", ORRERY_BINARY}, options);
    EXPECT_EQ(child->describe(), "exit 1");
    EXPECT_EQ(child->err(), "New.System: Permission denied\n");
    // The system was generated: its progress is all there.
    EXPECT_EQ(child->out(), golden_file(42, "stdout.txt"));
    EXPECT_TRUE(list_dir(dir.path()).empty());
}

}  // namespace
}  // namespace orrery::testing
