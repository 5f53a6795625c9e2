// find: the planets of a range of seeds that meet every criterion. It needs
// no report text, so it runs at the speed of generation itself.
#include <cstdio>
#include <memory>

#include <CLI/CLI.hpp>

#include <orrery/criteria.h>
#include <orrery/formats.h>
#include <orrery/system.h>

#include "lab/cli/errors.h"
#include "lab/cli/options.h"
#include "lab/cli/parse.h"
#include "lab/commands/commands.h"
#include "lab/commands/find.h"
#include "lab/run/output.h"
#include "lab/run/seeds_in_order.h"

namespace orrery::lab {

void append_found_line(std::string& out, std::uint32_t seed, int number, const Planet& p, bool jsonl) {
    if (jsonl) {
        out += found_planet_json(seed, number, p);
        out += '\n';
        return;
    }
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "seed %u planet %d: %.3f AU, %.3f Earth masses, %.2f g, %.2f C, %.3f atm, %.2f %% water%s\n",
                  seed, number, p.distance, p.mass * EARTH_MASSES_PER_SOLAR_MASS, p.surface_gravity,
                  p.surface_temp - 273.0, p.surface_pressure / 1000.0, p.hydrosphere * 100.0,
                  p.runaway_greenhouse ? ", runaway greenhouse" : "");
    out += buf;
}

void add_find_command(CLI::App& app) {
    struct Options {
        SeedRange range;
        Criteria criteria;
        unsigned threads = 1;
        std::uint64_t limit = 0;  // 0: no limit
        std::string format = "text";
        std::string output;
    };
    auto opt = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "find",
        "The planets of a range of seeds that meet every criterion; by default Earth-like worlds. "
        "A range LO:HI is inclusive; leave a side empty to leave it open (e.g. 10: or :1.5)");
    add_seed_range_option(*cmd, &opt->range)->required();
    auto interval_option = [&](const char* name, Interval* target, const char* what) {
        cmd->add_option_function<std::string>(
            name,
            [name, target](const std::string& s) {
                try {
                    *target = parse_interval(s);
                } catch (const UsageError& e) {
                    throw UsageError(std::string(name) + ": " + e.what());
                }
            },
            what)
            ->type_name("LO:HI");
    };
    interval_option("--temp-c", &opt->criteria.temp_c, "Surface temperature in degrees C (default 0:30)");
    interval_option("--gravity", &opt->criteria.gravity, "Surface gravity in Earth gravities (default 0.8:1.2)");
    interval_option("--pressure", &opt->criteria.pressure_atm,
                    "Surface pressure in atmospheres as the report counts them, millibars / 1000 (default 0.5:2)");
    interval_option("--hydrosphere", &opt->criteria.hydrosphere_pct,
                    "Surface covered by water, percent (default 30:90)");
    cmd->add_flag("--allow-runaway", opt->criteria.allow_runaway_greenhouse,
                  "Also accept planets with a runaway greenhouse effect");
    cmd->add_option_function<std::string>(
        "--limit",
        [opt](const std::string& s) {
            std::uint64_t v = 0;
            bool ok = !s.empty() && s.size() <= 18;
            for (char c : s) ok = ok && c >= '0' && c <= '9';
            if (ok) v = std::stoull(s);
            if (!ok || v == 0) throw UsageError("--limit: '" + s + "' is not a count of 1 or more");
            opt->limit = v;
        },
        "Stop after the first K planets found (in seed order)")
        ->type_name("K");
    cmd->add_option("--format", opt->format, "text: one readable line per planet; jsonl: seed and planet as JSON")
        ->check(CLI::IsMember({"text", "jsonl"}))
        ->capture_default_str();
    add_threads_option(*cmd, &opt->threads);
    add_output_option(*cmd, &opt->output);
    cmd->callback([opt] {
        Output out(opt->output);
        const Criteria criteria = opt->criteria;
        const bool jsonl = opt->format == "jsonl";
        std::uint64_t left = opt->limit;
        run_seeds_in_order(
            opt->range, opt->threads,
            [criteria, jsonl](Worker& w, std::uint32_t seed, std::string& text) {
                int number = 1;
                for (const Planet& p : w.generate(seed).planets) {
                    if (meets(p, criteria)) append_found_line(text, seed, number, p, jsonl);
                    ++number;
                }
            },
            [&](std::uint32_t, const std::string& text) {
                if (opt->limit == 0) {
                    out.write(text);
                    return;
                }
                std::size_t end = 0;
                while (left > 0 && end < text.size()) {
                    end = text.find('\n', end) + 1;
                    --left;
                }
                out.write(std::string_view(text).substr(0, end));
                if (left == 0) throw StopSeeds{};
            });
        out.commit();
    });
}

}  // namespace orrery::lab
