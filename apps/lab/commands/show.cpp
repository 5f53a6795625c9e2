// show: one system, named by its seed or by the second orrery would have
// written it.
#include <cstdio>
#include <memory>

#include <CLI/CLI.hpp>

#include <orrery/formats.h>
#include <orrery/generator.h>
#include <orrery/progress.h>
#include <orrery/report.h>

#include "lab/cli/options.h"
#include "lab/commands/commands.h"
#include "lab/run/output.h"

namespace orrery::lab {

void add_show_command(CLI::App& app) {
    struct Options {
        std::uint32_t seed = 0;
        std::string format = "text";
        std::string output;
        bool progress = false;
    };
    auto opt = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "show", "One system: the report orrery writes to New.System in that second, or every value as JSON");
    add_seed_options(*cmd, &opt->seed);
    cmd->add_option("--format", opt->format, "text: the New.System report; json: every value of star and planets")
        ->check(CLI::IsMember({"text", "json"}))
        ->capture_default_str();
    add_output_option(*cmd, &opt->output);
    cmd->add_flag("--progress", opt->progress, "Print the generation's progress lines on standard error");
    cmd->callback([opt] {
        StreamProgress sink(stderr);
        const System system = Generator().generate(opt->seed, opt->progress ? &sink : nullptr);
        std::fflush(stderr);
        const std::string text = opt->format == "json" ? to_json_document(system) : format_report(system);
        Output out(opt->output);
        out.write(text);
        out.commit();
    });
}

}  // namespace orrery::lab
