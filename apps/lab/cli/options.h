// The options several orrery-lab commands share, each added to a subcommand
// with its help text and checked while the command line is read.
#pragma once

#include <cstdint>
#include <string>

#include "lab/cli/parse.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace orrery::lab {

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

// Adds -o,--output FILE (default: standard output), checked with
// check_output_path while the command line is read.
void add_output_option(CLI::App& cmd, std::string* path);

}  // namespace orrery::lab
