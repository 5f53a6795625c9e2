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

#include "child_process.h"
#include "core_test_support.h"
#include "golden_support.h"
#include <orrery/orrery.h>

#include "generation/generation.h"
#include "report/report.h"

namespace orrery::testing {
namespace {

namespace fs = std::filesystem;

// A fresh directory to run in, removed afterwards whatever the test left
// in it.
class Scratch {
public:
    Scratch() {
        std::string pattern = ::testing::TempDir() + "orrery-program-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (::mkdtemp(buf.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed for " << pattern;
        root_ = buf.data();
        fs::create_directory(cwd());
    }
    ~Scratch() {
        std::error_code ec;
        fs::permissions(cwd(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root_, ec);
    }
    Scratch(const Scratch&) = delete;
    fs::path cwd() const { return root_ / "run"; }
    fs::path report() const { return cwd() / "New.System"; }
    fs::path root() const { return root_; }

private:
    fs::path root_;
};

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the program in scratch.cwd() with the clock reading `epoch_seconds`.
// `file_size_limit` is in bytes, as `ulimit -f` sets it.
Outcome run_program_at(const Scratch& scratch, long long epoch_seconds, const std::vector<std::string>& args = {},
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
                           {.dir = scratch.cwd(),
                            .extra_env = faketime_env(),
                            .stdout_path = scratch.root() / "stdout",
                            .stderr_path = scratch.root() / "stderr",
                            .file_size_limit = file_size_limit},
                           std::chrono::seconds(60));
    EXPECT_FALSE(child->timed_out()) << "orrery did not finish at the second " << epoch_seconds;
    return {child->exit_code(), child->out(), child->err()};
}

struct InProcess {
    std::string progress;
    std::string report;
};

InProcess generate_in_process(std::uint32_t seed) {
    InProcess run;
    auto g = fresh_generation(seed);
    StringProgress sink(run.progress);
    g->progress = &sink;
    generate_system(*g);
    g->progress = nullptr;
    append_system_report(run.report, g->star, g->planets);
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
    Scratch scratch;
    Outcome run = run_program_at(scratch, seed);
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    std::string report = read_file(scratch.report().string());
    EXPECT_EQ(golden_file(seed, "New.System"), report);
    EXPECT_EQ(golden_file(seed, "stdout.txt"), run.out);
    InProcess same = generate_in_process(seed);
    EXPECT_EQ(same.report, report);
    EXPECT_EQ(same.progress, run.out);
    EXPECT_EQ(ONLY_THE_REPORT, list_dir(scratch.cwd()));
}

INSTANTIATE_TEST_SUITE_P(Seeds, ProgramAtGoldenSecond, ::testing::ValuesIn(golden_seeds()),
                         [](const auto& info) { return "seed_" + std::to_string(info.param); });

TEST_F(Program, RunsInTheSameSecondAgreeWhateverTheArguments) {
    const long long second = 1700000000;  // 2023-11-14, an ordinary clock reading
    const std::vector<std::vector<std::string>> argument_sets = {
        {}, {}, {"--help"}, {"-s", "42", "--seed=7"}, {"New.System", "", "out put"}};
    InProcess expected = generate_in_process(seed_from_time(second));
    for (const auto& args : argument_sets) {
        Scratch scratch;
        Outcome run = run_program_at(scratch, second, args);
        std::string shown = args.empty() ? "no arguments" : args[0];
        ASSERT_EQ(0, run.status) << shown << ": " << run.err;
        EXPECT_EQ("", run.err) << shown;
        EXPECT_EQ(expected.progress, run.out) << shown;
        EXPECT_EQ(expected.report, read_file(scratch.report().string())) << shown;
    }
}

TEST_F(Program, ClockReadingsAFullWrapApartGiveTheSameSystem) {
    Scratch scratch;
    Outcome run = run_program_at(scratch, 4294967296LL + 42);
    ASSERT_EQ(0, run.status) << "faketime could not set the clock past 2106? " << run.err;
    EXPECT_EQ(golden_file(42, "New.System"), read_file(scratch.report().string()));
    EXPECT_EQ(golden_file(42, "stdout.txt"), run.out);
}

TEST_F(Program, AnEarlierReportIsReplacedEntirely) {
    Scratch scratch;
    {
        std::ofstream old(scratch.report(), std::ios::binary);
        old << std::string(200000, '#') << "\nan earlier system\n";
    }
    Outcome run = run_program_at(scratch, 21);
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ(golden_file(21, "New.System"), read_file(scratch.report().string()));
}

// What a run that cannot write its report leaves: every progress line, then
// one error line naming the file, and exit status 1.
void expect_report_failure(const Outcome& run, const std::string& reason, std::uint32_t seed) {
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(golden_file(seed, "stdout.txt"), run.out) << "progress lines come first";
    EXPECT_EQ(std::string("New.System: ").append(reason).append("\n"), run.err);
}

TEST_F(Program, ADirectoryInTheWayIsReported) {
    Scratch scratch;
    fs::create_directory(scratch.report());
    Outcome run = run_program_at(scratch, 42);
    expect_report_failure(run, "Is a directory", 42);
    EXPECT_TRUE(fs::is_directory(scratch.report()));
    EXPECT_TRUE(fs::is_empty(scratch.report()));
}

TEST_F(Program, AFullDiskIsReported) {
    // The file opens, but writing or flushing it fails.
    Scratch scratch;
    fs::create_symlink("/dev/full", scratch.report());
    Outcome run = run_program_at(scratch, 42);
    expect_report_failure(run, "No space left on device", 42);
}

TEST_F(Program, AFileSizeLimitIsReported) {
    // `ulimit -f 4` lets the progress lines through but not the whole
    // report: the run must say so, not die of SIGXFSZ half-way.
    Scratch scratch;
    Outcome run = run_program_at(scratch, 42, {}, 4096);
    expect_report_failure(run, "File too large", 42);
}

TEST_F(Program, AReadOnlyDirectoryIsReported) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop a write";
    Scratch scratch;
    fs::permissions(scratch.cwd(), fs::perms::owner_read | fs::perms::owner_exec);
    Outcome run = run_program_at(scratch, 42);
    expect_report_failure(run, "Permission denied", 42);
    fs::permissions(scratch.cwd(), fs::perms::owner_all);
    EXPECT_TRUE(list_dir(scratch.cwd()).empty());
}

TEST_F(Program, AReadOnlyReportIsReportedAndKept) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop a write";
    Scratch scratch;
    {
        std::ofstream old(scratch.report(), std::ios::binary);
        old << "kept\n";
    }
    fs::permissions(scratch.report(), fs::perms::owner_read);
    Outcome run = run_program_at(scratch, 42);
    expect_report_failure(run, "Permission denied", 42);
    EXPECT_EQ("kept\n", read_file(scratch.report().string()));
}

}  // namespace
}  // namespace orrery::testing
