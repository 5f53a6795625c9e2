// The run of the model: the star, the accretion stage, the star's lifetime
// and age, then every planet's environment, all drawing from one stream.
#include "generation/generation.h"

#include "environment/environment.h"
#include "generation/star.h"

namespace orrery {

void start_generation(Generation& g, std::uint32_t seed) {
    seed_random(g.random, seed);
    g.star = Star{};
    AccretionState& acc = g.accretion;
    acc.dust_bands.clear();
    acc.dust_left = 0;
    acc.cloud_eccentricity = 0.0;
    acc.reduced_mass = 0.0;
    acc.sweep_inner = 0.0;
    acc.sweep_outer = 0.0;
    acc.dust_density = 0.0;
    g.planets.clear();
    g.counts = GenerationCounts{};
    // Room for a large system from the start, so that a single run does not
    // grow its lists step by step (a batch keeps the room between systems).
    acc.dust_bands.reserve(64);
    acc.scratch.reserve(128);
    acc.dust_spans.reserve(32);
    g.planets.reserve(32);
}

void form_star_and_planets(Generation& g) {
    form_star(g);
    // The disc runs from the star out to the outer dust limit; the star's age
    // is drawn only after accretion, so every accretion draw comes before it.
    double outer = outer_dust_limit(g.star.mass_ratio);
    accrete_planets(g, g.star.mass_ratio, g.star.luminosity_ratio, 0.0, outer);
    g.counts.draws_after_accretion = g.random.outputs;
    complete_star(g);
}

void generate_system(Generation& g) {
    form_star_and_planets(g);
    compute_planet_environment(g);
    g.counts.draws_after_pipeline = g.random.outputs;
}

void run_generation(Generation& g, std::uint32_t seed, ProgressSink* progress) {
    struct SinkFor {
        Generation& g;
        ~SinkFor() { g.progress = nullptr; }
    } sink{g};
    g.progress = progress;
    start_generation(g, seed);
    generate_system(g);
}

}  // namespace orrery
