#include "lab/run/seeds_in_order.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "lab/run/progress_bar.h"

namespace orrery::lab {

namespace {

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

}  // namespace orrery::lab
