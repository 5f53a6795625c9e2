// Running a range of seeds on several threads with the results in seed
// order, as if one thread had run them one after another.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <orrery/generator.h>
#include <orrery/system.h>

#include "lab/cli/parse.h"

namespace orrery::lab {

// What each worker thread owns: a generator and a system whose buffers are
// reused seed after seed.
struct Worker {
    Generator generator;
    System system;
    // Grows seed's system into `system` and returns it.
    const System& generate(std::uint32_t seed, ProgressSink* progress = nullptr) {
        generator.generate(seed, system, progress);
        return system;
    }
};

// Runs work for every seed of the range on `threads` threads, each thread with
// its own Worker, and calls emit with each seed's output text strictly in
// seed order, from the calling thread. Memory stays bounded whatever the
// range's size. A progress bar goes to standard error when it is a terminal
// and show_progress is set. work must not touch shared state.
// emit may throw StopSeeds to end the run early (e.g. once enough results
// are out); run_seeds_in_order then stops the workers and returns normally.
// Any other exception, from work or emit, stops the workers and is rethrown.
struct StopSeeds {};
using SeedWork = std::function<void(Worker& w, std::uint32_t seed, std::string& out)>;
using SeedEmit = std::function<void(std::uint32_t seed, const std::string& out)>;
void run_seeds_in_order(SeedRange range, unsigned threads, const SeedWork& work, const SeedEmit& emit,
                        bool show_progress = true);

}  // namespace orrery::lab
