// orrery-lab: the systems of orrery, named by their seed: one at a time or
// many at once, as text, JSON or CSV, and searched for the worlds one wants.
#include <cstdio>
#include <iostream>
#include <new>

#include <CLI/CLI.hpp>

#include <orrery/version.h>

#include "lab/cli/errors.h"
#include "lab/commands/commands.h"

namespace {

constexpr int EXIT_OUTPUT_ERROR = 1;
constexpr int EXIT_USAGE = 2;

int usage_error(const std::string& message) {
    std::cerr << "orrery-lab: " << message << "\nRun 'orrery-lab --help' for usage.\n";
    return EXIT_USAGE;
}

bool is_command(CLI::App& app, const std::string& word) {
    for (const CLI::App* sub : app.get_subcommands({}))
        if (sub->check_name(word)) return true;
    return false;
}

std::string command_names(CLI::App& app) {
    std::string names;
    for (const CLI::App* sub : app.get_subcommands({})) names += (names.empty() ? "" : ", ") + sub->get_name();
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "orrery-lab: the planetary systems of orrery, named by their seed. Show one, write many as JSON "
        "or CSV, find the worlds you care about, time the build.",
        "orrery-lab"};
    app.set_version_flag("--version", std::string("orrery-lab ") + orrery::version());
    // At most one command; none at all is reported after parsing, so that a
    // misspelt command is named as such rather than as a missing one.
    app.require_subcommand(0, 1);
    orrery::lab::add_show_command(app);
    orrery::lab::add_batch_command(app);
    orrery::lab::add_find_command(app);
    orrery::lab::add_bench_command(app);
    orrery::lab::add_draw_and_page_commands(app);
    orrery::lab::add_stats_command(app);

    // A misspelt command ("shwo") would otherwise be taken for stray
    // arguments; name it as the command it was meant to be.
    if (argc > 1 && argv[1][0] != '-' && !is_command(app, argv[1]))
        return usage_error(std::string("unknown command '") + argv[1] + "'; choose one of " + command_names(app));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version: standard output
        return usage_error(e.what());
    } catch (const orrery::lab::UsageError& e) {
        return usage_error(e.what());
    } catch (const orrery::lab::OutputError& e) {
        std::cerr << "orrery-lab: " << e.what() << "\n";
        return EXIT_OUTPUT_ERROR;
    } catch (const std::bad_alloc&) {
        std::cerr << "orrery-lab: out of memory\n";
        return EXIT_OUTPUT_ERROR;
    }
    if (app.get_subcommands().empty()) return usage_error("no command given; choose one of " + command_names(app));
    return 0;
}
