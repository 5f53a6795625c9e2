// Running the real programs as a user would: in a directory of their own,
// with standard output and error captured to files, a clean start (standard
// input from /dev/null, no other descriptor inherited, every signal at its
// default and none blocked, as from an interactive shell), limits and an
// environment of the test's choosing, a time limit, and signals sent on
// demand.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace orrery::testing {

// One child process, started by the constructor. Everything it needs is
// prepared before the fork; after it, the child makes only
// async-signal-safe calls.
class Child {
public:
    struct Options {
        std::filesystem::path dir{};           // working directory
        std::vector<std::string> extra_env{};  // "NAME=value", added to or replacing this process's
        std::filesystem::path stdout_path{};   // default: a file of the child's own
        std::filesystem::path stderr_path{};   // default: a file of the child's own
        int stderr_fd = -1;                    // when >= 0, standard error is this descriptor (a terminal, say)
        bool as_nobody = false;                // run as the unprivileged user 65534 (needs root)
        long long file_size_limit = -1;        // bytes, as `ulimit -f` sets it (SIGXFSZ at its default)
        long long address_space_limit = -1;    // bytes, as `ulimit -v` sets it
    };

    // argv[0] is the program's path (no PATH lookup: see find_on_path).
    Child(const std::vector<std::string>& argv, Options options);
    ~Child();  // a child still running is killed
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void signal(int sig);

    // Waits until the child ends or `limit` passes; on time-out the child is
    // killed and timed_out() is true.
    void wait(std::chrono::milliseconds limit);

    // Polls `ready` until it holds, the child ends, or `limit` passes;
    // returns whether it held.
    bool wait_until(const std::function<bool()>& ready, std::chrono::milliseconds limit);

    // Whether the child has not ended yet.
    bool running();

    bool timed_out() const { return timed_out_; }
    bool exited() const;
    int exit_code() const;    // -1 unless it exited
    int term_signal() const;  // 0 unless a signal ended it
    // What it wrote to standard output and error, when those went to regular
    // files ("" for a device such as /dev/full, or a terminal).
    std::string out() const;
    std::string err() const;

    // "exit 1", "killed by signal 2", "timed out": for failure messages.
    std::string describe() const;

private:
    void reap(int status);
    // Until the child ends, `longest` passes or the deadline comes.
    void pause(std::chrono::steady_clock::time_point deadline, std::chrono::milliseconds longest);

    ScratchDir io_{"io"};
    Options options_;
    pid_t pid_ = -1;
    int pidfd_ = -1;
    bool reaped_ = false;
    bool timed_out_ = false;
    int status_ = 0;
};

// Runs argv to completion (at most `limit`) and returns the finished child.
std::unique_ptr<Child> run_child(const std::vector<std::string>& argv, Child::Options options,
                                 std::chrono::milliseconds limit = std::chrono::seconds(60));

// The full path of a program found on PATH, or "" when there is none.
std::string find_on_path(const std::string& name);

// The environment entries a program run under faketime needs besides its
// clock: UTC, and in a sanitized build the sanitizer's consent to faketime's
// library being loaded ahead of its own (it only touches the clock).
std::vector<std::string> faketime_env();

// Whether the unprivileged user can be taken on and can run `program`: the
// way to test permission faults when the tests run as root, for whom
// permissions stop nothing.
bool nobody_can_run(const std::string& program);

// Makes `dir` unwritable for a child running `program`: by permissions, and
// (when the tests run as root) by running the child as the unprivileged user.
// Returns why that cannot be done here, or "".
std::string make_unwritable(const std::filesystem::path& dir, const std::string& program, Child::Options& options);

// valgrind's memcheck: why it cannot run here ("" when it can), and the
// command line that runs a program under it with its findings in `log`
// (append the program and its arguments). Any error or definite or indirect
// leak makes the run exit with status 99.
std::string memcheck_unavailable();
std::vector<std::string> memcheck_command(const std::filesystem::path& log);

}  // namespace orrery::testing
