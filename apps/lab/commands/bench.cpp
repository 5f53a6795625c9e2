// bench: how fast this build generates and formats systems, and a signature
// of everything it produced so that any build can be checked against another.
#include <chrono>
#include <cstdio>
#include <memory>

#include <CLI/CLI.hpp>

#include <orrery/progress.h>
#include <orrery/report.h>

#include "lab/cli/options.h"
#include "lab/commands/bench.h"
#include "lab/commands/commands.h"
#include "lab/run/output.h"
#include "lab/run/seeds_in_order.h"

namespace orrery::lab {

std::uint64_t fnv1a64(std::uint64_t hash, std::string_view bytes) {
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= FNV1A64_PRIME;
    }
    return hash;
}

void add_bench_command(CLI::App& app) {
    struct Options {
        SeedRange range{BENCH_FIRST_SEED, BENCH_LAST_SEED};
        unsigned threads = 1;
    };
    auto opt = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "bench",
        "Generate and format a range of systems in memory; print systems per second and a signature: "
        "FNV-1a 64 over each seed's progress lines then report, in seed order");
    add_seed_range_option(*cmd, &opt->range,
                          "Inclusive range of seeds A..B (default " + std::to_string(BENCH_FIRST_SEED) + ".." +
                              std::to_string(BENCH_LAST_SEED) + ")");
    add_threads_option(*cmd, &opt->threads);
    cmd->callback([opt] {
        std::uint64_t hash = FNV1A64_OFFSET;
        const auto start = std::chrono::steady_clock::now();
        run_seeds_in_order(
            opt->range, opt->threads,
            [](Worker& w, std::uint32_t seed, std::string& text) {
                StringProgress progress(text);
                append_report(text, w.generate(seed, &progress));
            },
            [&hash](std::uint32_t, const std::string& text) { hash = fnv1a64(hash, text); });
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::uint64_t n = opt->range.size();
        std::string text;
        char buf[160];
        std::snprintf(buf, sizeof buf, "seeds %u..%u on %u thread%s: %.3f s\n", opt->range.first,
                      opt->range.last, opt->threads, opt->threads == 1 ? "" : "s", seconds);
        text += buf;
        std::snprintf(buf, sizeof buf, "%.0f systems/s\n", seconds > 0.0 ? double(n) / seconds : 0.0);
        text += buf;
        std::snprintf(buf, sizeof buf, "signature %016llx\n", static_cast<unsigned long long>(hash));
        text += buf;
        Output out("");
        out.write(text);
        out.commit();
    });
}

}  // namespace orrery::lab
