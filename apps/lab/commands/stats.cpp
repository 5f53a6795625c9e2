// stats: the distributions over a range of seeds, as a summary and as plots.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include <orrery/criteria.h>
#include <orrery/stats.h>

#include "lab/cli/errors.h"
#include "lab/cli/options.h"
#include "lab/commands/commands.h"
#include "lab/run/output.h"
#include "lab/run/seeds_in_order.h"

namespace orrery::lab {
namespace {

std::string parent_of(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const std::size_t slash = p.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return p.substr(0, slash);
}

// The plots' directory may be new, but not its parent: a mistyped path
// should not grow a tree of directories.
void check_plot_directory(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) throw UsageError("-o: '" + dir + "' exists and is not a directory");
        return;
    }
    const std::string parent = parent_of(dir);
    if (::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw UsageError("-o: directory '" + parent + "' does not exist");
}

void make_plot_directory(const std::string& dir) {
    if (::mkdir(dir.c_str(), 0777) == 0) return;
    const int err = errno;
    struct stat st {};
    if (err == EEXIST && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return;
    throw OutputError(dir + ": " + std::strerror(err));
}

void write_file(const std::string& path, const std::string& text) {
    Output out(path);
    out.write(text);
    out.commit();
}

}  // namespace

void add_stats_command(CLI::App& app) {
    struct Options {
        SeedRange range;
        unsigned threads = 1;
        std::string dir;
    };
    auto opt = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "stats",
        "The distributions over a range of seeds: a summary on standard output and, with -o, SVG plots and "
        "an index.html that shows them");
    add_seed_range_option(*cmd, &opt->range)->required();
    add_threads_option(*cmd, &opt->threads);
    cmd->add_option_function<std::string>(
        "-o,--output",
        [opt](const std::string& d) {
            if (d.empty()) throw UsageError("-o: the directory name is empty");
            check_plot_directory(d);
            opt->dir = d;
        },
        "Directory for the plots and index.html (created if missing; its parent must exist)")
        ->type_name("DIR");
    cmd->callback([opt] {
        if (!opt->dir.empty()) make_plot_directory(opt->dir);
        const std::string range_text = std::to_string(opt->range.first) + ".." + std::to_string(opt->range.last);
        const Criteria earth_like;
        SystemStats stats;
        run_seeds_in_order(
            opt->range, opt->threads,
            [&earth_like](Worker& w, std::uint32_t seed, std::string& out) {
                const System& system = w.generate(seed);
                bool found = false;
                for (const Planet& p : system.planets) found = found || meets(p, earth_like);
                out = encode_sample(sample_system(system, found));
            },
            [&stats](std::uint32_t, const std::string& out) { stats.add(decode_sample(out)); });
        if (!opt->dir.empty()) {
            const std::vector<PlotFile> plots = stats.plots();
            for (const PlotFile& p : plots) write_file(opt->dir + "/" + p.name, p.svg);
            write_file(opt->dir + "/index.html", stats.index_html(range_text, plots));
        }
        write_file("-", stats.summary(range_text));
    });
}

}  // namespace orrery::lab
