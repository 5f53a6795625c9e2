#include "support/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace orrery::testing {

namespace fs = std::filesystem;

namespace {

constexpr uid_t NOBODY = 65534;

// In the child, between fork and exec.
[[noreturn]] void become(const char* exe, char* const* args, char* const* env, const char* dir, const char* out,
                         const char* err, int err_fd, bool as_nobody, long long size_limit, long long as_limit) {
    int in_fd = open("/dev/null", O_RDONLY);
    int out_fd = open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err_fd < 0) err_fd = open(err, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in_fd < 0 || out_fd < 0 || err_fd < 0 || chdir(dir) != 0) _exit(126);
    if (dup2(in_fd, 0) < 0 || dup2(out_fd, 1) < 0 || dup2(err_fd, 2) < 0) _exit(126);
    // Only the three standard streams go on into the program.
    if (close_range(3, ~0u, 0) != 0)
        for (int fd = 3; fd < 1024; ++fd) close(fd);
    // As from an interactive shell, whatever the test runner was started
    // from: every signal at its default (ignoring survives exec; handlers do
    // not) and none blocked. SIGXFSZ thus ends the program at the file-size
    // limit, as under a user's `ulimit -f`: it must cope with that itself.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &dfl, nullptr);  // SIGKILL and SIGSTOP refuse: fine
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct rlimit rl;
    if (size_limit >= 0) {
        rl.rlim_cur = rl.rlim_max = static_cast<rlim_t>(size_limit);
        if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(125);
    }
    if (as_limit >= 0) {
        rl.rlim_cur = rl.rlim_max = static_cast<rlim_t>(as_limit);
        if (setrlimit(RLIMIT_AS, &rl) != 0) _exit(125);
    }
    if (as_nobody && (setgroups(0, nullptr) != 0 || setgid(NOBODY) != 0 || setuid(NOBODY) != 0)) _exit(125);
    execve(exe, args, env);
    _exit(127);
}

// The file's content when it is a regular file: a device would never end.
std::string captured(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec) ? read_file(p) : std::string();
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, Options options) : options_(std::move(options)) {
    if (options_.stdout_path.empty()) options_.stdout_path = io_ / "stdout";
    if (options_.stderr_path.empty()) options_.stderr_path = io_ / "stderr";
    std::vector<std::string> arg_strings = argv;
    std::vector<char*> args;
    for (std::string& a : arg_strings) args.push_back(a.data());
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
    const std::string dir = options_.dir.string();
    const std::string out = options_.stdout_path.string();
    const std::string err = options_.stderr_path.string();
    const std::string exe = argv.at(0);

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0)
        become(exe.c_str(), args.data(), env.data(), dir.c_str(), out.c_str(), err.c_str(), options_.stderr_fd,
               options_.as_nobody, options_.file_size_limit, options_.address_space_limit);
    // A descriptor that becomes readable when the child ends, so that waiting
    // wakes at once rather than at the next poll (-1 where the kernel has
    // none: then waiting polls).
    pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
}

Child::~Child() {
    if (pid_ > 0 && !reaped_) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (pidfd_ >= 0) close(pidfd_);
}

void Child::pause(std::chrono::steady_clock::time_point deadline, std::chrono::milliseconds longest) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    if (left > longest) left = longest;
    if (pidfd_ >= 0) {
        struct pollfd ended = {pidfd_, POLLIN, 0};
        poll(&ended, 1, static_cast<int>(left.count()) + 1);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void Child::signal(int sig) {
    if (!reaped_) ::kill(pid_, sig);
}

void Child::reap(int status) {
    reaped_ = true;
    status_ = status;
}

void Child::wait(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!reaped_) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            reap(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            timed_out_ = true;
            ::kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            reap(status);
            break;
        }
        pause(deadline, limit);
    }
}

bool Child::wait_until(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (ready()) return true;
        if (!running()) return ready();
        pause(deadline, std::chrono::milliseconds(2));
    }
    return false;
}

bool Child::running() {
    int status = 0;
    if (!reaped_ && waitpid(pid_, &status, WNOHANG) == pid_) reap(status);
    return !reaped_;
}

bool Child::exited() const { return reaped_ && WIFEXITED(status_); }
int Child::exit_code() const { return exited() ? WEXITSTATUS(status_) : -1; }
int Child::term_signal() const { return reaped_ && WIFSIGNALED(status_) ? WTERMSIG(status_) : 0; }
std::string Child::out() const { return captured(options_.stdout_path); }
std::string Child::err() const { return options_.stderr_fd >= 0 ? std::string() : captured(options_.stderr_path); }

std::string Child::describe() const {
    if (timed_out_) return "timed out";
    if (exited()) return "exit " + std::to_string(exit_code());
    if (term_signal()) return "killed by signal " + std::to_string(term_signal());
    return "still running";
}

std::unique_ptr<Child> run_child(const std::vector<std::string>& argv, Child::Options options,
                                 std::chrono::milliseconds limit) {
    auto child = std::make_unique<Child>(argv, std::move(options));
    child->wait(limit);
    return child;
}

std::string find_on_path(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

std::vector<std::string> faketime_env() {
    std::vector<std::string> env = {"TZ=UTC"};
#if defined(__SANITIZE_ADDRESS__)
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::string options = asan && *asan ? std::string(asan) + ":" : std::string();
    env.push_back("ASAN_OPTIONS=" + options + "verify_asan_link_order=0");
#endif
    return env;
}

bool nobody_can_run(const std::string& program) {
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

std::string make_unwritable(const fs::path& dir, const std::string& program, Child::Options& options) {
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    if (geteuid() == 0) {
        if (!nobody_can_run(program)) return "running as root and the unprivileged user cannot run " + program;
        options.as_nobody = true;
    }
    return "";
}

std::string memcheck_unavailable() {
#if defined(__SANITIZE_ADDRESS__)
    return "the sanitizers' own checks replace memcheck in this build";
#else
    if (find_on_path("valgrind").empty()) return "valgrind is not installed (scripts/setup-deps installs it)";
    if (find_on_path("faketime").empty()) return "faketime is not installed (scripts/setup-deps installs it)";
    return "";
#endif
}

std::vector<std::string> memcheck_command(const fs::path& log) {
    return {find_on_path("valgrind"),   "--log-file=" + log.string(), "--error-exitcode=99", "--leak-check=full",
            "--errors-for-leak-kinds=definite,indirect", "--quiet"};
}

}  // namespace orrery::testing
