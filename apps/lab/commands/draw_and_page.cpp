// draw and page: one system as a picture, an SVG diagram or a web page.
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include <orrery/generator.h>
#include <orrery/pictures.h>

#include "lab/cli/options.h"
#include "lab/commands/commands.h"
#include "lab/run/output.h"

namespace orrery::lab {
namespace {

using Render = std::string (*)(const System&);

void add_one_system_command(CLI::App& app, const char* name, const char* description, const char* output_help,
                            Render render) {
    struct Options {
        std::uint32_t seed = 0;
        std::string output;
    };
    auto opt = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(name, description);
    add_seed_options(*cmd, &opt->seed);
    add_output_option(*cmd, &opt->output);
    cmd->get_option("--output")->description(output_help);
    cmd->callback([opt, render] {
        const std::string text = render(make_system(opt->seed));
        Output out(opt->output);
        out.write(text);
        out.commit();
    });
}

}  // namespace

void add_draw_and_page_commands(CLI::App& app) {
    add_one_system_command(app, "draw",
                           "One system as a picture: an SVG diagram of the star and its planets along a "
                           "logarithmic distance axis",
                           "SVG file to write (default: standard output)", system_svg);
    add_one_system_command(app, "page",
                           "One system as a web page: one self-contained HTML file with the diagram, the star "
                           "and a table of the planets",
                           "HTML file to write (default: standard output)", system_page);
}

}  // namespace orrery::lab
