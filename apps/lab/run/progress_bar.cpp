#include "lab/run/progress_bar.h"

#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>

namespace orrery::lab {

namespace {

// Whether a bar is on the terminal now. The thread that emits results draws
// the bar and writes output; atomic all the same, in case a caller writes
// from elsewhere.
std::atomic<bool> bar_on_screen{false};

std::string duration_text(double seconds) {
    if (!(seconds < 1e7)) return "--:--";
    const long s = std::lround(seconds);
    char buf[32];
    if (s >= 3600)
        std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
    return buf;
}

}  // namespace

ProgressBar::ProgressBar(std::uint64_t total, bool wanted)
    : total_(total), enabled_(wanted && isatty(STDERR_FILENO)), start_(Clock::now()) {
    if (enabled_) draw(0);
}

void ProgressBar::finish(std::uint64_t done) {
    if (!enabled_) return;
    draw(done);
    clear_progress_line();
}

void ProgressBar::draw(std::uint64_t done) {
    const auto now = Clock::now();
    last_draw_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double rate = elapsed > 0.0 ? double(done) / elapsed : 0.0;
    constexpr int WIDTH = 24;
    const int filled = total_ ? int(double(done) / double(total_) * WIDTH) : WIDTH;
    std::string bar(std::size_t(filled), '#');
    bar.resize(WIDTH, '.');
    const std::string left = rate > 0.0 ? duration_text(double(total_ - done) / rate) : "--:--";
    std::fprintf(stderr, "\r[%s] %llu/%llu  %.0f systems/s  %s left\033[K", bar.c_str(),
                 static_cast<unsigned long long>(done), static_cast<unsigned long long>(total_), rate,
                 left.c_str());
    std::fflush(stderr);
    bar_on_screen = true;
}

void clear_progress_line() {
    if (!bar_on_screen.exchange(false)) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

}  // namespace orrery::lab
