// The program under an address-space limit: whatever the limit, it either
// writes a whole report and exits 0, or writes no report and exits non-zero
// with a line saying why; it never dies of a signal or leaves half a report.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "golden_support.h"

namespace orrery::testing {
namespace {

namespace fs = std::filesystem;

struct LimitedRun {
    bool exited = false;
    int status = -1;
    int signal = 0;
};

// Unused in the sanitized build, which skips the test below.
[[maybe_unused]] LimitedRun run_with_address_limit(const fs::path& dir, rlim_t bytes) {
    fs::remove(dir / "New.System");
    pid_t pid = ::fork();
    if (pid == 0) {
        int out = ::open((dir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = ::open((dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::chdir(dir.c_str()) != 0) ::_exit(126);
        ::dup2(out, 1);
        ::dup2(err, 2);
        struct rlimit limit = {bytes, bytes};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(126);
        ::execl(ORRERY_BINARY, ORRERY_BINARY, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    LimitedRun run;
    int wstatus = 0;
    if (pid < 0 || ::waitpid(pid, &wstatus, 0) != pid) return run;
    run.exited = WIFEXITED(wstatus);
    if (run.exited) run.status = WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus)) run.signal = WTERMSIG(wstatus);
    return run;
}

TEST(ProgramOutOfMemory, FailsCleanlyAtEveryLimit) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves far more address space than any limit tried here";
#else
    char pattern[] = "/tmp/orrery-oom-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    fs::path dir = pattern;
    int out_of_memory_lines = 0;
    int successes = 0;
    // From too little to load the program at all up to plenty, in steps fine
    // enough to land between the loader's needs and the run's own.
    for (rlim_t kb = 2000; kb <= 8000; kb += 10) {
        LimitedRun run = run_with_address_limit(dir, kb * 1024);
        ASSERT_TRUE(run.exited) << "limit " << kb << " KiB: killed by signal " << run.signal;
        std::string err = read_file((dir / "stderr").string());
        if (run.status == 0) {
            ++successes;
            std::string report = read_file((dir / "New.System").string());
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
    fs::remove_all(dir);
    EXPECT_GT(successes, 0) << "no limit up to 8000 KiB was enough to run";
    EXPECT_GT(out_of_memory_lines, 0) << "no limit landed on the program's own out-of-memory path";
#endif
}

}  // namespace
}  // namespace orrery::testing
