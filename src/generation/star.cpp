#include "generation/star.h"

#include <cmath>

#include "generation/generation.h"

namespace orrery {

// Main-sequence mass-luminosity relation; both branches meet with exponent
// 4.9 at one solar mass.
double luminosity_from_mass(double mass) {
    if (mass < 1.0) return std::pow(mass, 1.75 * (mass - 0.1) + 3.325);
    return std::pow(mass, 0.5 * (2.0 - mass) + 4.4);
}

void form_star(Generation& g) {
    Star& star = g.star;
    star.mass_ratio = uniform_between(g.random, 0.6, 1.3);
    g.counts.draws_after_star_mass = g.random.outputs;
    star.luminosity_ratio = luminosity_from_mass(star.mass_ratio);
}

void complete_star(Generation& g) {
    Star& star = g.star;
    star.main_sequence_life = (star.mass_ratio / star.luminosity_ratio) * 1e10;
    double upper = 6e9 < star.main_sequence_life ? 6e9 : star.main_sequence_life;
    star.age = uniform_between(g.random, 1e9, upper);
    g.counts.draws_after_age = g.random.outputs;
    star.ecosphere_radius = std::sqrt(star.luminosity_ratio);
    star.greenhouse_radius = star.ecosphere_radius * 0.93;
}

}  // namespace orrery
