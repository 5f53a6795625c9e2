// The progress bar of a long run: a line on standard error, redrawn at most
// ten times a second, shown only when standard error is a terminal.
#pragma once

#include <chrono>
#include <cstdint>

namespace orrery::lab {

// Drawn only by the thread that emits results, which also writes the output.
class ProgressBar {
public:
    // Draws the empty bar at once when wanted and standard error is a terminal.
    ProgressBar(std::uint64_t total, bool wanted);

    // Shows `done` of the total, unless the bar was drawn less than 0.1 s ago.
    void update(std::uint64_t done) {
        if (!enabled_) return;
        const auto now = Clock::now();
        if (now - last_draw_ < std::chrono::milliseconds(100)) return;
        draw(done);
    }

    // Shows the final count, then clears the line for whatever follows.
    void finish(std::uint64_t done);

private:
    using Clock = std::chrono::steady_clock;

    void draw(std::uint64_t done);

    std::uint64_t total_;
    bool enabled_;
    Clock::time_point start_;
    Clock::time_point last_draw_{};
};

// Takes the progress bar off the terminal so that other text can be written
// there; the bar comes back at its next update.
void clear_progress_line();

}  // namespace orrery::lab
