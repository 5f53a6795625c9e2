// batch: every system of a range of seeds, as JSON Lines or CSV, in seed
// order whatever the number of threads.
#include <memory>

#include <CLI/CLI.hpp>

#include <orrery/formats.h>

#include "lab/cli/options.h"
#include "lab/commands/commands.h"
#include "lab/run/output.h"
#include "lab/run/seeds_in_order.h"

namespace orrery::lab {

void add_batch_command(CLI::App& app) {
    struct Options {
        SeedRange range;
        std::string format = "jsonl";
        unsigned threads = 1;
        std::string output;
    };
    auto opt = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand("batch", "Every system of a range of seeds, for programs to read");
    add_seed_range_option(*cmd, &opt->range)->required();
    cmd->add_option("--format", opt->format, "jsonl: one JSON object per system per line; csv: one row per planet")
        ->check(CLI::IsMember({"jsonl", "csv"}))
        ->capture_default_str();
    add_threads_option(*cmd, &opt->threads);
    add_output_option(*cmd, &opt->output);
    cmd->callback([opt] {
        Output out(opt->output);
        const bool csv = opt->format == "csv";
        if (csv) out.write(csv_header());
        run_seeds_in_order(
            opt->range, opt->threads,
            [csv](Worker& w, std::uint32_t seed, std::string& text) {
                const System& system = w.generate(seed);
                if (csv) {
                    append_csv_rows(text, system);
                } else {
                    text += to_json(system);
                    text += '\n';
                }
            },
            [&out](std::uint32_t, const std::string& text) { out.write(text); });
        out.commit();
    });
}

}  // namespace orrery::lab
