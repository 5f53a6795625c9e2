// Running the real programs as a user would: in a directory of their own,
// with output captured to files, a time limit, and signals sent on demand.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace orrery::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& tag) {
        std::string pattern = (std::filesystem::temp_directory_path() / ("orrery-" + tag + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        // Give back write permission first, in case a test took it away.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The names in a directory, sorted.
inline std::vector<std::string> list_dir(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The full path of a program found on PATH, or "" when there is none.
inline std::string find_on_path(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

inline constexpr uid_t NOBODY = 65534;

// Whether the unprivileged user can be taken on and can run `program`: the
// way to test permission faults when the tests run as root, for whom
// permissions stop nothing.
inline bool nobody_can_run(const std::string& program) {
    if (geteuid() != 0) return false;
    pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(NOBODY) != 0 || setuid(NOBODY) != 0) _exit(1);
        _exit(access(program.c_str(), X_OK) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The environment entries a program run under faketime needs besides TZ: in
// a sanitized build the sanitizer's runtime wants to be loaded first, but
// faketime's library is preloaded ahead of it (it only touches the clock).
inline std::vector<std::string> faketime_env() {
    std::vector<std::string> env = {"TZ=UTC"};
#if defined(__SANITIZE_ADDRESS__)
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::string options = asan && *asan ? std::string(asan) + ":" : std::string();
    env.push_back("ASAN_OPTIONS=" + options + "verify_asan_link_order=0");
#endif
    return env;
}

// One child process. Standard input is /dev/null; standard output and error
// go to files of the child's own (or to the paths given), never into the
// working directory under test.
class Child {
public:
    struct Options {
        std::filesystem::path dir{};              // working directory
        std::vector<std::string> extra_env{};     // "NAME=value", added to or replacing this process's
        std::filesystem::path stdout_path{};      // default: a file of the child's own
        std::filesystem::path stderr_path{};      // default: a file of the child's own
        bool as_nobody = false;                   // run as the unprivileged user 65534 (needs root)
        long long file_size_limit = -1;           // bytes, as `ulimit -f` sets it (SIGXFSZ left at its default)
    };

    Child(const std::vector<std::string>& argv, Options options) : options_(std::move(options)) {
        if (options_.stdout_path.empty()) options_.stdout_path = io_ / "stdout";
        if (options_.stderr_path.empty()) options_.stderr_path = io_ / "stderr";
        // Everything the child needs is prepared before fork: after it, only
        // async-signal-safe calls.
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        std::vector<std::string> env_strings;
        auto name_of = [](const std::string& e) { return e.substr(0, e.find('=')); };
        for (char** e = environ; *e; ++e) {
            std::string entry(*e);
            bool replaced = false;
            for (const std::string& extra : options_.extra_env) replaced = replaced || name_of(extra) == name_of(entry);
            if (!replaced) env_strings.push_back(entry);
        }
        for (const std::string& e : options_.extra_env) env_strings.push_back(e);
        std::vector<char*> env;
        for (std::string& e : env_strings) env.push_back(e.data());
        env.push_back(nullptr);
        std::string dir = options_.dir.string();
        std::string out = options_.stdout_path.string();
        std::string err = options_.stderr_path.string();
        std::string exe = argv.at(0);
        bool as_nobody = options_.as_nobody;
        long long size_limit = options_.file_size_limit;

        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            int in_fd = open("/dev/null", O_RDONLY);
            int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (in_fd < 0 || out_fd < 0 || err_fd < 0 || chdir(dir.c_str()) != 0) _exit(126);
            dup2(in_fd, 0);
            dup2(out_fd, 1);
            dup2(err_fd, 2);
            if (size_limit >= 0) {
                struct rlimit rl;
                rl.rlim_cur = rl.rlim_max = static_cast<rlim_t>(size_limit);
                // SIGXFSZ keeps its default (ending the process), as under a
                // user's `ulimit -f`: the program must cope with it itself.
                if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(125);
            }
            if (as_nobody && (setgroups(0, nullptr) != 0 || setgid(NOBODY) != 0 || setuid(NOBODY) != 0)) _exit(125);
            execve(exe.c_str(), args.data(), env.data());
            _exit(127);
        }
    }
    ~Child() {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void signal(int sig) { ::kill(pid_, sig); }

    // Waits until the child ends or `limit` passes; on time-out the child is
    // killed and timed_out() is true.
    void wait(std::chrono::milliseconds limit) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (!reaped_) {
            int status = 0;
            pid_t r = waitpid(pid_, &status, WNOHANG);
            if (r == pid_) {
                reaped_ = true;
                status_ = status;
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                timed_out_ = true;
                ::kill(pid_, SIGKILL);
                waitpid(pid_, &status_, 0);
                reaped_ = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // Polls `ready` until it holds, the child ends, or `limit` passes;
    // returns whether it held.
    bool wait_until(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (ready()) return true;
            int status = 0;
            if (!reaped_ && waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
                status_ = status;
            }
            if (reaped_) return ready();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    // Whether the child has not ended yet.
    bool running() {
        int status = 0;
        if (!reaped_ && waitpid(pid_, &status, WNOHANG) == pid_) {
            reaped_ = true;
            status_ = status;
        }
        return !reaped_;
    }

    bool timed_out() const { return timed_out_; }
    bool exited() const { return reaped_ && WIFEXITED(status_); }
    int exit_code() const { return exited() ? WEXITSTATUS(status_) : -1; }
    int term_signal() const { return reaped_ && WIFSIGNALED(status_) ? WTERMSIG(status_) : 0; }
    std::string out() const { return slurp(options_.stdout_path); }
    std::string err() const { return slurp(options_.stderr_path); }

    // "exit 1", "killed by signal 2", "timed out": for failure messages.
    std::string describe() const {
        if (timed_out_) return "timed out";
        if (exited()) return "exit " + std::to_string(exit_code());
        if (term_signal()) return "killed by signal " + std::to_string(term_signal());
        return "still running";
    }

private:
    ScratchDir io_{"io"};
    Options options_;
    pid_t pid_ = -1;
    bool reaped_ = false;
    bool timed_out_ = false;
    int status_ = 0;
};

// Runs argv to completion (at most `limit`) and returns the finished child.
inline std::unique_ptr<Child> run_child(const std::vector<std::string>& argv, Child::Options options,
                                        std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    auto child = std::make_unique<Child>(argv, std::move(options));
    child->wait(limit);
    return child;
}

}  // namespace orrery::testing
