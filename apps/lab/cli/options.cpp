#include "lab/cli/options.h"

#include <algorithm>
#include <string>
#include <thread>

#include <CLI/CLI.hpp>

#include "lab/cli/errors.h"
#include "lab/run/output.h"

namespace orrery::lab {

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
