#include "lab/run/seeds_in_order.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <thread>

#include <CLI/CLI.hpp>

#include <orrery/seed.h>

namespace orrery::lab {

// ---------------------------------------------------------------------------
// Seeds, moments and ranges

std::uint32_t parse_seed(const std::string& text) {
    const std::string bad = "'" + text + "' is not a seed (a whole number from 0 to 4294967295)";
    if (text.empty()) throw UsageError(bad);
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') throw UsageError(bad);
        v = v * 10 + std::uint64_t(c - '0');
        if (v > 0xFFFFFFFFull) throw UsageError(bad);
    }
    return static_cast<std::uint32_t>(v);
}

std::uint32_t seed_from_utc(const std::string& text) {
    try {
        return orrery::seed_from_utc(std::string_view(text));
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
}

SeedRange parse_seed_range(const std::string& text) {
    const std::size_t dots = text.find("..");
    SeedRange r;
    try {
        if (dots == std::string::npos) {
            r.first = r.last = parse_seed(text);
        } else {
            r.first = parse_seed(text.substr(0, dots));
            r.last = parse_seed(text.substr(dots + 2));
        }
    } catch (const UsageError& e) {
        throw UsageError("'" + text + "' is not a seed range A..B (" + e.what() + ")");
    }
    if (r.first > r.last)
        throw UsageError("seed range '" + text + "' starts after it ends");
    return r;
}

void add_seed_options(CLI::App& cmd, std::uint32_t* seed) {
    CLI::App* group = cmd.add_option_group("system", "Which system: give one of these");
    group->add_option_function<std::string>(
        "--seed", [seed](const std::string& s) {
            try {
                *seed = parse_seed(s);
            } catch (const UsageError& e) {
                throw UsageError(std::string("--seed: ") + e.what());
            }
        },
        "The seed: 0 to 4294967295")
        ->type_name("N");
    group->add_option_function<std::string>(
        "--at", [seed](const std::string& s) {
            try {
                *seed = seed_from_utc(s);
            } catch (const UsageError& e) {
                throw UsageError(std::string("--at: ") + e.what());
            }
        },
        "The system orrery writes in that second, read as UTC")
        ->type_name("\"YYYY-MM-DD HH:MM:SS\"");
    group->require_option(1);
}

unsigned default_threads() { return std::max(1u, std::thread::hardware_concurrency()); }

CLI::Option* add_seed_range_option(CLI::App& cmd, SeedRange* range, const std::string& help) {
    return cmd
        .add_option_function<std::string>(
            "--seeds", [range](const std::string& s) { *range = parse_seed_range(s); }, help)
        ->type_name("A..B");
}

void add_threads_option(CLI::App& cmd, unsigned* threads) {
    *threads = default_threads();
    cmd.add_option_function<std::string>(
        "--threads", [threads](const std::string& s) {
            constexpr unsigned MAX_THREADS = 1024;
            unsigned long v = 0;
            bool ok = !s.empty() && s.size() <= 6;
            for (char c : s) ok = ok && c >= '0' && c <= '9';
            if (ok) v = std::stoul(s);
            if (!ok || v < 1 || v > MAX_THREADS)
                throw UsageError("--threads: '" + s + "' is not a thread count from 1 to " +
                                 std::to_string(MAX_THREADS));
            *threads = static_cast<unsigned>(v);
        },
        "Worker threads (default: all cores, " + std::to_string(default_threads()) +
            " here); the output is the same whatever the count")
        ->type_name("N");
}

// ---------------------------------------------------------------------------
// Progress bar

namespace {

// Whether a bar is on the terminal now. The thread that emits results draws
// the bar and writes output; atomic all the same, in case a caller writes
// from elsewhere.
std::atomic<bool> bar_on_screen{false};

class ProgressBar {
public:
    ProgressBar(std::uint64_t total, bool wanted)
        : total_(total), enabled_(wanted && isatty(STDERR_FILENO)), start_(Clock::now()) {
        if (enabled_) draw(0);
    }

    void update(std::uint64_t done) {
        if (!enabled_) return;
        const auto now = Clock::now();
        if (now - last_draw_ < std::chrono::milliseconds(100)) return;
        draw(done);
    }

    // Shows the final count, then clears the line for whatever follows.
    void finish(std::uint64_t done) {
        if (!enabled_) return;
        draw(done);
        clear_progress_line();
    }

private:
    using Clock = std::chrono::steady_clock;

    static std::string duration_text(double seconds) {
        if (!(seconds < 1e7)) return "--:--";
        const long s = std::lround(seconds);
        char buf[32];
        if (s >= 3600)
            std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
        else
            std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
        return buf;
    }

    void draw(std::uint64_t done) {
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

    std::uint64_t total_;
    bool enabled_;
    Clock::time_point start_;
    Clock::time_point last_draw_{};
};

// One chunk of consecutive seeds in flight between a worker and the emitter.
// Aligned so that two workers finishing neighbouring chunks do not share a
// cache line.
struct alignas(64) Chunk {
    std::vector<std::string> outs;  // one per seed; capacity reused chunk after chunk
    bool ready = false;             // guarded by the run's mutex
};

void run_inline(SeedRange range, const SeedWork& work, const SeedEmit& emit, ProgressBar& bar) {
    auto w = std::make_unique<Worker>();
    std::string out;
    std::uint64_t done = 0;
    try {
        for (std::uint64_t s = range.first; s <= range.last; ++s) {
            out.clear();
            work(*w, static_cast<std::uint32_t>(s), out);
            emit(static_cast<std::uint32_t>(s), out);
            bar.update(++done);
        }
    } catch (const StopSeeds&) {
    } catch (...) {
        bar.finish(done);
        throw;
    }
    bar.finish(done);
}

}  // namespace

void clear_progress_line() {
    if (!bar_on_screen.exchange(false)) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

void run_seeds_in_order(SeedRange range, unsigned threads, const SeedWork& work, const SeedEmit& emit,
                        bool show_progress) {
    const std::uint64_t total = range.size();
    ProgressBar bar(total, show_progress);
    threads = std::max(1u, threads);
    // Chunks big enough that handing them out costs nothing next to the
    // work, small enough that every thread gets several.
    const std::uint64_t chunk_size = std::clamp<std::uint64_t>(total / (std::uint64_t(threads) * 8), 1, 256);
    const std::uint64_t chunk_count = (total + chunk_size - 1) / chunk_size;
    if (threads == 1 || chunk_count == 1) {
        run_inline(range, work, emit, bar);
        return;
    }
    threads = static_cast<unsigned>(std::min<std::uint64_t>(threads, chunk_count));

    // A window of chunks: a worker may run ahead of the emitter by at most
    // `window` chunks, so memory stays flat however long the range.
    const std::uint64_t window = std::uint64_t(threads) * 2 + 2;
    std::vector<Chunk> chunks(window);

    std::mutex mutex;
    std::condition_variable chunk_done;   // a worker finished a chunk
    std::condition_variable window_moved; // the emitter freed a chunk, or the run stops
    std::uint64_t next_chunk = 0;         // guarded by mutex
    std::uint64_t emitted = 0;            // chunks emitted so far; guarded by mutex
    bool stopping = false;                // guarded by mutex
    std::exception_ptr failure;           // first failure of a worker; guarded by mutex

    auto worker = [&] {
        std::unique_ptr<Worker> w;
        try {
            w = std::make_unique<Worker>();
            for (;;) {
                std::uint64_t c;
                {
                    std::unique_lock lock(mutex);
                    if (stopping || next_chunk == chunk_count) return;
                    c = next_chunk++;
                    window_moved.wait(lock, [&] { return stopping || c < emitted + window; });
                    if (stopping) return;
                }
                Chunk& chunk = chunks[c % window];
                const std::uint64_t first = range.first + c * chunk_size;
                const std::uint64_t n = std::min(chunk_size, std::uint64_t(range.last) - first + 1);
                chunk.outs.resize(n);
                for (std::uint64_t i = 0; i < n; ++i) {
                    chunk.outs[i].clear();
                    work(*w, static_cast<std::uint32_t>(first + i), chunk.outs[i]);
                }
                {
                    std::lock_guard lock(mutex);
                    chunk.ready = true;
                }
                chunk_done.notify_one();
            }
        } catch (...) {
            {
                std::lock_guard lock(mutex);
                if (!failure) failure = std::current_exception();
                stopping = true;
            }
            chunk_done.notify_one();
            window_moved.notify_all();
        }
    };

    std::vector<std::thread> pool;
    auto stop_and_join = [&] {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        window_moved.notify_all();
        for (std::thread& t : pool) t.join();
        pool.clear();
    };

    std::uint64_t done = 0;
    try {
        for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
        for (std::uint64_t c = 0; c < chunk_count; ++c) {
            Chunk& chunk = chunks[c % window];
            {
                std::unique_lock lock(mutex);
                chunk_done.wait(lock, [&] { return chunk.ready || failure; });
                if (!chunk.ready) break;  // a worker failed before this chunk
            }
            const std::uint64_t first = range.first + c * chunk_size;
            for (std::size_t i = 0; i < chunk.outs.size(); ++i)
                emit(static_cast<std::uint32_t>(first + i), chunk.outs[i]);
            done += chunk.outs.size();
            {
                std::lock_guard lock(mutex);
                chunk.ready = false;
                emitted = c + 1;
            }
            window_moved.notify_all();
            bar.update(done);
        }
    } catch (const StopSeeds&) {
        stop_and_join();
        bar.finish(done);
        return;
    } catch (...) {
        stop_and_join();
        bar.finish(done);
        throw;
    }
    stop_and_join();
    bar.finish(done);
    if (failure) std::rethrow_exception(failure);
}

// ---------------------------------------------------------------------------
// Criteria

Interval parse_interval(const std::string& text) {
    const std::string bad = "'" + text + "' is not a range lo:hi of numbers with lo <= hi";
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos) throw UsageError(bad);
    // An empty side leaves that end open.
    auto end_value = [&](const std::string& part, double open) {
        if (part.empty()) return open;
        double v = 0.0;
        const char* end = part.data() + part.size();
        const auto [ptr, ec] = std::from_chars(part.data(), end, v);
        if (ec != std::errc() || ptr != end || std::isnan(v)) throw UsageError(bad);
        return v;
    };
    Interval r;
    r.lo = end_value(text.substr(0, colon), -HUGE_VAL);
    r.hi = end_value(text.substr(colon + 1), HUGE_VAL);
    if (r.lo > r.hi) throw UsageError(bad);
    return r;
}

}  // namespace orrery::lab

namespace orrery::lab {

void add_output_option(CLI::App& cmd, std::string* path) {
    cmd.add_option_function<std::string>(
        "-o,--output", [path](const std::string& p) {
            check_output_path(p);
            *path = p;
        },
        "Write to FILE instead of standard output; the file appears only once complete")
        ->type_name("FILE");
}

}  // namespace orrery::lab
