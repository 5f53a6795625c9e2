// orrery: grows one random planetary system, seeded by the clock second, and
// writes it to "New.System". Arguments are ignored.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <new>

#include "driver/generation.h"
#include "driver/run.h"

namespace {

// Out of memory: say so in one line and stop before any report is written.
// Runs inside the failed allocation, so it allocates nothing itself.
[[noreturn]] void out_of_memory() {
    static const char message[] = "orrery: out of memory; no report written\n";
    std::fflush(stdout);
    ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    _exit(1);
}

}  // namespace

int main() {
    std::set_new_handler(out_of_memory);
    // Under a file-size limit (ulimit -f) the write must fail and be reported
    // like a full disk, not kill the run with a cut-off report.
    std::signal(SIGXFSZ, SIG_IGN);
    return orrery::run_program(orrery::seed_from_time(static_cast<std::int64_t>(std::time(nullptr))));
}
