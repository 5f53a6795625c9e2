// orrery-lab's subcommands. Each adds itself to the application; the parsed
// command then runs through the callback it registered.
#pragma once

namespace CLI {
class App;
}

namespace orrery::lab {

void add_show_command(CLI::App& app);
void add_batch_command(CLI::App& app);
void add_find_command(CLI::App& app);
void add_bench_command(CLI::App& app);
void add_draw_and_page_commands(CLI::App& app);
void add_stats_command(CLI::App& app);

}  // namespace orrery::lab
