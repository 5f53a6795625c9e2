// orrery: grows one random planetary system, seeded by the clock second, and
// writes it to "New.System" in the current directory; the progress lines go
// to standard output. Arguments are ignored.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <new>
#include <string>

#include <orrery/generator.h>
#include <orrery/report.h>
#include <orrery/seed.h>

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

    const std::uint32_t seed = orrery::seed_from_time(static_cast<std::int64_t>(std::time(nullptr)));
    orrery::StreamProgress progress(stdout);
    orrery::Generator generator;
    orrery::System system;
    generator.generate(seed, system, &progress);
    const std::string text = orrery::format_report(system);
    // Progress lines come first, even when the report then fails.
    std::fflush(stdout);
    if (!orrery::write_text_file("New.System", text)) {
        std::perror("New.System");
        return 1;
    }
    return 0;
}
