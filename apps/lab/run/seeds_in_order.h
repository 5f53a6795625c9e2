// Shared pieces of orrery-lab's commands: seeds and ranges, running a range of
// seeds on several threads with results in seed order, output files that are
// never left half-written, and the search criteria.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <orrery/criteria.h>
#include <orrery/generator.h>
#include <orrery/system.h>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace orrery::lab {

// A usage error: reported as "orrery-lab: <message>" on standard error, exit
// status 2, nothing written.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An output or system error: message names the file and the system's error;
// exit status 1.
struct OutputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An unsigned 32-bit seed in decimal ("0" to "4294967295").
std::uint32_t parse_seed(const std::string& text);

// The seed orrery's clock gives in that second, from "YYYY-MM-DD HH:MM:SS"
// read as UTC.
std::uint32_t seed_from_utc(const std::string& text);

// An inclusive range of seeds, "A..B" with A <= B.
struct SeedRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::uint64_t size() const { return std::uint64_t(last) - first + 1; }
};
SeedRange parse_seed_range(const std::string& text);

// Adds --seed N and --at "YYYY-MM-DD HH:MM:SS" (mutually exclusive, one
// required) to a subcommand; after parsing, *seed holds the chosen seed.
void add_seed_options(CLI::App& cmd, std::uint32_t* seed);

// Adds --threads N (default: all cores; 0 is a usage error).
void add_threads_option(CLI::App& cmd, unsigned* threads);

// Adds --seeds A..B; after parsing, *range holds the inclusive range.
CLI::Option* add_seed_range_option(CLI::App& cmd, SeedRange* range,
                                   const std::string& help = "Inclusive range of seeds A..B");
// The number of cores, at least 1.
unsigned default_threads();

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

// Takes the progress bar off the terminal so that other text can be written
// there; the bar comes back at its next update.
void clear_progress_line();

// An output destination. "" or "-" is standard output. A named file is
// written to a temporary file beside it and renamed into place by commit();
// if commit() is never reached (an error, an exception, SIGINT or SIGTERM)
// the target is left untouched and the temporary file removed.
// Errors throw OutputError naming the file and the system's error.
class Output {
public:
    explicit Output(const std::string& path);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    void write(std::string_view text);
    void commit();
    const std::string& path() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Checks before any work starts that an output path's directory exists
// (a usage error otherwise).
void check_output_path(const std::string& path);

// Adds -o,--output FILE (default: standard output), checked with
// check_output_path while the command line is read.
void add_output_option(CLI::App& cmd, std::string* path);

// A closed interval of values from "lo:hi"; an empty side is open.
Interval parse_interval(const std::string& text);


}  // namespace orrery::lab
