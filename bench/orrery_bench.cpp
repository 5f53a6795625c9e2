// Timings of the whole generation of a seeded system and of each stage alone,
// of the report's number formatting, and of the random source.
//
//   orrery_bench [Google Benchmark flags]   the timings
//   orrery_bench --count FIRST LAST         generates and formats the seeds
//                                           FIRST..LAST once, in one process,
//                                           and prints their size; run under
//                                           callgrind for instructions per
//                                           system (an empty range, e.g.
//                                           --count 1 0, gives the start-up)
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "environment/environment.h"
#include <orrery/orrery.h>

#include "generation/generation.h"
#include "report/report.h"
#include "random/random.h"
#include "report/fixed_format.h"

namespace {

using namespace orrery;

// Seeds are cycled through 1..SEED_SPAN so that one benchmark sees small and
// large systems in their natural proportions, not one seed's luck.
constexpr std::uint32_t SEED_SPAN = 1000;

// One system in memory through the public interface: progress lines then
// report, as a batch tool keeps them.
void generate_and_report(Generator& generator, System& system, std::uint32_t seed, std::string& text) {
    text.clear();
    StringProgress progress(text);
    generator.generate(seed, system, &progress);
    append_report(text, system);
}

void BM_WholeSystem(benchmark::State& state) {
    Generator generator;
    System system;
    std::string text;
    std::uint32_t seed = 0;
    for (auto _ : state) {
        generate_and_report(generator, system, seed % SEED_SPAN + 1, text);
        benchmark::DoNotOptimize(text.data());
        ++seed;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("systems; seeds 1..1000, generation + progress + report in memory");
}
BENCHMARK(BM_WholeSystem);

// The star and the accretion stage (with the star's age and radii, which are
// a handful of operations).
void BM_Accretion(benchmark::State& state) {
    auto g = std::make_unique<Generation>();
    std::uint32_t seed = 0;
    for (auto _ : state) {
        start_generation(*g, seed % SEED_SPAN + 1);
        form_star_and_planets(*g);
        benchmark::DoNotOptimize(g->planets.data());
        ++seed;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("systems");
}
BENCHMARK(BM_Accretion);

// Generations stopped just before the planet pipeline.
const std::vector<Generation>& formed_systems() {
    static const std::vector<Generation> systems = [] {
        std::vector<Generation> v(SEED_SPAN);
        for (std::uint32_t i = 0; i < SEED_SPAN; ++i) {
            start_generation(v[i], i + 1);
            form_star_and_planets(v[i]);
        }
        return v;
    }();
    return systems;
}

// The planet pipeline over one system, restarted each time from a copy of
// the formed system (the copy, about 3 KB, is included in the time).
void BM_PlanetPipeline(benchmark::State& state) {
    const std::vector<Generation>& formed = formed_systems();
    auto g = std::make_unique<Generation>();
    std::size_t i = 0;
    for (auto _ : state) {
        *g = formed[i];
        compute_planet_environment(*g);
        benchmark::DoNotOptimize(g->planets.data());
        if (++i == formed.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("systems");
}
BENCHMARK(BM_PlanetPipeline);

const std::vector<System>& finished_systems() {
    static const std::vector<System> systems = [] {
        std::vector<System> v;
        for (std::uint32_t i = 0; i < SEED_SPAN; ++i) v.push_back(make_system(i + 1));
        return v;
    }();
    return systems;
}

void BM_Report(benchmark::State& state) {
    const std::vector<System>& done = finished_systems();
    std::string text;
    std::size_t i = 0;
    for (auto _ : state) {
        text.clear();
        append_system_report(text, done[i].star, done[i].planets);
        benchmark::DoNotOptimize(text.data());
        if (++i == done.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("reports");
}
BENCHMARK(BM_Report);

// Values of the magnitudes a report prints, and the conversions it uses.
struct FormatCase {
    double value;
    int width;
    int precision;
};

const std::vector<FormatCase>& format_cases() {
    static const std::vector<FormatCase> cases = [] {
        const std::vector<System>& done = finished_systems();
        std::vector<FormatCase> v;
        for (std::size_t i = 0; i < 64; ++i) {
            for (const Planet& p : done[i].planets) {
                v.push_back({p.distance, 7, 3});
                v.push_back({p.mass * EARTH_MASSES_PER_SOLAR_MASS, 7, 3});
                v.push_back({p.radius, 7, 1});
                v.push_back({p.escape_velocity / 100000.0, 7, 2});
                v.push_back({p.surface_temp - 273.0, 7, 2});
                v.push_back({p.hydrosphere * 100.0, 6, 2});
                v.push_back({p.day_hours, 0, 6});
            }
        }
        return v;
    }();
    return cases;
}

void BM_FormatFixed(benchmark::State& state) {
    const std::vector<FormatCase>& cases = format_cases();
    char buf[FIXED_FORMAT_MAX];
    std::size_t i = 0;
    for (auto _ : state) {
        const FormatCase& c = cases[i];
        benchmark::DoNotOptimize(format_fixed(buf, c.value, c.width, c.precision));
        benchmark::ClobberMemory();
        if (++i == cases.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("numbers");
}
BENCHMARK(BM_FormatFixed);

// The C library on the same values, for the ratio.
void BM_FormatSnprintf(benchmark::State& state) {
    const std::vector<FormatCase>& cases = format_cases();
    char buf[FIXED_FORMAT_MAX];
    std::size_t i = 0;
    for (auto _ : state) {
        const FormatCase& c = cases[i];
        benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "%*.*f", c.width, c.precision, c.value));
        benchmark::ClobberMemory();
        if (++i == cases.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("numbers");
}
BENCHMARK(BM_FormatSnprintf);

// Raw 32-bit outputs, the regeneration of the 624 words included.
void BM_RandomWords(benchmark::State& state) {
    auto r = std::make_unique<RandomState>();
    seed_random(*r, 42);
    std::uint32_t sum = 0;
    for (auto _ : state) {
        for (int k = 0; k < 1024; ++k) sum += next_random_u32(*r);
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 1024);
    state.SetBytesProcessed(state.iterations() * 1024 * 4);
    state.SetLabel("words");
}
BENCHMARK(BM_RandomWords);

// The draw the accretion loop makes most: a distance in the injection zone.
void BM_RandomUniformDraws(benchmark::State& state) {
    auto r = std::make_unique<RandomState>();
    seed_random(*r, 42);
    double sum = 0;
    for (auto _ : state) {
        for (int k = 0; k < 1024; ++k) sum += uniform_between(*r, 0.3, 50.0);
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 1024);
    state.SetLabel("draws");
}
BENCHMARK(BM_RandomUniformDraws);

int count_seeds(const char* first_text, const char* last_text) {
    char* end = nullptr;
    unsigned long first = std::strtoul(first_text, &end, 10);
    bool bad = *end != '\0';
    unsigned long last = std::strtoul(last_text, &end, 10);
    bad = bad || *end != '\0' || first > 0xffffffffu || last > 0xffffffffu;
    if (bad) {
        std::fprintf(stderr, "orrery_bench: --count takes two seeds, FIRST LAST\n");
        return 2;
    }
    Generator generator;
    System system;
    std::string text;
    text.reserve(1 << 16);
    // Only the sizes are summed: hashing the text would cost more per system
    // than the formatting being measured (orrery-lab bench signs the text).
    std::uint64_t bytes = 0;
    unsigned long n = 0;
    for (unsigned long s = first; s <= last; ++s) {
        generate_and_report(generator, system, static_cast<std::uint32_t>(s), text);
        bytes += text.size();
        ++n;
    }
    std::printf("%lu systems, %llu bytes of progress and report\n", n, static_cast<unsigned long long>(bytes));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--count") == 0) {
        if (argc != 4) {
            std::fprintf(stderr, "usage: orrery_bench --count FIRST LAST\n");
            return 2;
        }
        return count_seeds(argv[2], argv[3]);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
