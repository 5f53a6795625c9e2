#include <cmath>

#include "driver/generation.h"
#include "environment/environment.h"

namespace orrery {

void start_generation(Generation& g, std::uint32_t seed) {
    seed_random(g.random, seed);
    g.radians_per_rotation = 0.0;
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
    g.spin_resonance = 0;
    g.counts = GenerationCounts{};
    // Room for a large system from the start, so that a single run does not
    // grow its lists step by step (a batch keeps the room between systems).
    acc.dust_bands.reserve(64);
    acc.scratch.reserve(128);
    acc.dust_spans.reserve(32);
    g.planets.reserve(32);
}

// Main-sequence mass-luminosity relation; both branches meet with exponent
// 4.9 at one solar mass.
double luminosity_from_mass(double mass) {
    if (mass < 1.0) return std::pow(mass, 1.75 * (mass - 0.1) + 3.325);
    return std::pow(mass, 0.5 * (2.0 - mass) + 4.4);
}

void form_star_and_planets(Generation& g) {
    g.radians_per_rotation = 6.2831853072;
    Star& star = g.star;
    star.mass_ratio = uniform_between(g.random, 0.6, 1.3);
    g.counts.draws_after_star_mass = g.random.outputs;
    star.luminosity_ratio = luminosity_from_mass(star.mass_ratio);

    // The disc runs from the star out to the outer dust limit; the star's age
    // is drawn only after accretion, so every accretion draw comes before it.
    double outer = outer_dust_limit(star.mass_ratio);
    accrete_planets(g, star.mass_ratio, star.luminosity_ratio, 0.0, outer);
    g.counts.draws_after_accretion = g.random.outputs;

    star.main_sequence_life = (star.mass_ratio / star.luminosity_ratio) * 1e10;
    double upper = 6e9 < star.main_sequence_life ? 6e9 : star.main_sequence_life;
    star.age = uniform_between(g.random, 1e9, upper);
    g.counts.draws_after_age = g.random.outputs;
    star.ecosphere_radius = std::sqrt(star.luminosity_ratio);
    star.greenhouse_radius = star.ecosphere_radius * 0.93;
}

void generate_system(Generation& g) {
    form_star_and_planets(g);
    compute_planet_environment(g);
    g.counts.draws_after_pipeline = g.random.outputs;
}

}  // namespace orrery
