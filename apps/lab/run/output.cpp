// Output files that are either complete or absent: a named file is written to
// a temporary file beside it and renamed over it only once everything is
// written and closed. A user who stops a long batch with Ctrl-C keeps the
// file they had, not a truncated one that looks finished.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <stdexcept>

#include "lab/cli/errors.h"
#include "lab/run/output.h"
#include "lab/run/progress_bar.h"

namespace orrery::lab {

namespace {

// Temporary files that a signal must not leave behind. A slot's state: 0
// free, 1 being filled in, 2 holds a live path. The handler reads only slots
// in state 2, so it never sees a half-written path.
struct PendingFile {
    std::atomic<int> state{0};
    char path[PATH_MAX];
};
constexpr int MAX_PENDING = 64;
PendingFile pending_files[MAX_PENDING];
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int CLEANUP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void remove_pending_and_reraise(int sig) {
    const int saved_errno = errno;
    for (PendingFile& f : pending_files)
        if (f.state.load(std::memory_order_acquire) == 2) unlink(f.path);
    // Die of the same signal, so the caller sees the usual status (130, 143).
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(sig, &dfl, nullptr);
    raise(sig);
    errno = saved_errno;
}

// A file-size limit (ulimit -f) would otherwise kill the process mid-write,
// leaving a temporary file or a cut-off standard output with no word said;
// ignored, the write fails with EFBIG and is reported like a full disk.
void report_oversized_writes() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, nullptr);
    });
}

void install_cleanup_handlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int sig : CLEANUP_SIGNALS) {
            struct sigaction old {};
            sigaction(sig, nullptr, &old);
            if (old.sa_handler == SIG_IGN) continue;  // started immune (nohup): stay so
            struct sigaction sa {};
            sa.sa_handler = remove_pending_and_reraise;
            sigemptyset(&sa.sa_mask);
            sigaction(sig, &sa, nullptr);
        }
    });
}

int register_pending(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < MAX_PENDING; ++i) {
        int expected = 0;
        if (pending_files[i].state.compare_exchange_strong(expected, 1)) {
            std::memcpy(pending_files[i].path, path.c_str(), path.size() + 1);
            pending_files[i].state.store(2, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void unregister_pending(int slot) {
    if (slot >= 0) pending_files[slot].state.store(0, std::memory_order_release);
}

// Blocks the cleanup signals for as long as it lives, so that a temporary
// file is never created without being registered.
class CleanupSignalsBlocked {
public:
    CleanupSignalsBlocked() {
        sigset_t set;
        sigemptyset(&set);
        for (int sig : CLEANUP_SIGNALS) sigaddset(&set, sig);
        pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~CleanupSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

private:
    sigset_t old_;
};

mode_t file_creation_mask() {
    static const mode_t mask = [] {
        const mode_t m = umask(022);
        umask(m);
        return m;
    }();
    return mask;
}

std::string directory_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string base_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void fail(const std::string& name, int err) {
    throw OutputError(name + ": " + std::strerror(err));
}

constexpr std::size_t FLUSH_AT = std::size_t(1) << 20;

}  // namespace

struct Output::Impl {
    std::string path;    // as the user gave it
    std::string name;    // for messages
    std::string target;  // where the finished file goes (a symlink followed)
    std::string temp;    // the temporary file while writing, else empty
    int fd = -1;
    bool to_stdout = false;
    bool to_terminal = false;  // someone is reading as it comes
    bool committed = false;
    int slot = -1;
    std::string buffer;

    void flush() {
        std::size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t n = ::write(fd, buffer.data() + done, buffer.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                fail(name, errno);
            }
            done += std::size_t(n);
        }
        buffer.clear();
    }
};

Output::Output(const std::string& path) : impl_(std::make_unique<Impl>()) {
    Impl& o = *impl_;
    o.path = path;
    o.buffer.reserve(FLUSH_AT + 65536);
    report_oversized_writes();
    if (path.empty() || path == "-") {
        o.to_stdout = true;
        o.name = "standard output";
        o.fd = STDOUT_FILENO;
        o.to_terminal = ::isatty(STDOUT_FILENO);
        std::cout.flush();
        std::fflush(stdout);
        return;
    }
    o.name = path;

    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) fail(path, EISDIR);
    if (exists && !S_ISREG(st.st_mode)) {
        // A device, a pipe or a socket cannot be replaced by renaming; it
        // receives the output directly.
        o.fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (o.fd < 0) fail(path, errno);
        return;
    }

    o.target = path;
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        // Replace the file the link points to, not the link.
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            o.target = real;
            std::free(real);
        }
    }
    const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~file_creation_mask());

    install_cleanup_handlers();
    std::string temp = directory_of(o.target) + "/." + base_of(o.target) + ".tmp-XXXXXX";
    {
        CleanupSignalsBlocked blocked;
        o.fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (o.fd < 0) fail(path, errno);
        o.temp = temp;
        o.slot = register_pending(temp);
    }
    if (o.slot < 0) fail(path, EMFILE);
    if (::fchmod(o.fd, mode) != 0) fail(path, errno);
}

Output::~Output() {
    Impl& o = *impl_;
    if (o.fd >= 0 && !o.to_stdout) ::close(o.fd);
    if (!o.committed && !o.temp.empty()) ::unlink(o.temp.c_str());
    unregister_pending(o.slot);
}

void Output::write(std::string_view text) {
    Impl& o = *impl_;
    if (o.committed) throw std::logic_error("write after commit");
    o.buffer.append(text);
    if (o.to_terminal) {
        clear_progress_line();
        o.flush();
    } else if (o.buffer.size() >= FLUSH_AT) {
        o.flush();
    }
}

void Output::commit() {
    Impl& o = *impl_;
    if (o.committed) return;
    o.flush();
    if (o.to_stdout) {
        o.committed = true;
        return;
    }
    if (!o.temp.empty() && ::fsync(o.fd) != 0) fail(o.name, errno);
    const int fd = o.fd;
    o.fd = -1;
    if (::close(fd) != 0) fail(o.name, errno);
    if (!o.temp.empty()) {
        if (::rename(o.temp.c_str(), o.target.c_str()) != 0) fail(o.name, errno);
        unregister_pending(o.slot);
        o.slot = -1;
    }
    o.committed = true;
}

const std::string& Output::path() const { return impl_->path; }

void check_output_path(const std::string& path) {
    if (path.empty() || path == "-") return;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw UsageError("output '" + path + "' is a directory");
    const std::string dir = directory_of(path);
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw UsageError("output '" + path + "': directory '" + dir + "' does not exist");
}

}  // namespace orrery::lab
