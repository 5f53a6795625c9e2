// A grown nucleus either merges with the first planet whose orbit it comes too
// close to, or joins the planet list in distance order.
#include <cmath>
#include <stdexcept>
#include <string>

#include "accretion/accretion.h"
#include "generation/generation.h"

namespace orrery {

void merge_or_insert_planet(Generation& g, double a, double e, double mass, double crit,
                            double luminosity, double inj_lo, double inj_hi) {
    AccretionState& acc = g.accretion;
    std::vector<Planet>& planets = g.planets;
    for (Planet& p : planets) {
        // The nucleus's reach uses the reduced mass left by the previous test
        // (the planet before this one), not a term of its own.
        double mu_n = acc.reduced_mass;
        double mu_p = remembered_reduced_mass(acc, p.mass);
        acc.reduced_mass = mu_p;
        double gap = p.distance - a;
        double d_n;
        double d_p;
        if (gap > 0) {
            d_n = a * (1 + e) * (1 + mu_n) - a;
            d_p = p.distance - p.distance * (1 - p.eccentricity) * (1 - mu_p);
        } else {
            d_n = a - a * (1 - e) * (1 - mu_n);
            d_p = p.distance * (1 + p.eccentricity) * (1 + mu_p) - p.distance;
        }
        if (std::fabs(gap) <= std::fabs(d_n) || std::fabs(gap) <= std::fabs(d_p)) {
            g.report_progress("Collision between two planetesimals!\n");
            // Mass and angular momentum are pooled; the merged body then sweeps
            // the disc again, with the star's luminosity as its critical mass.
            double total = mass + p.mass;
            double new_a = total / (mass / a + p.mass / p.distance);
            double t = ((std::sqrt(a) * mass) * std::sqrt(std::sqrt(1 - e * e)) +
                        std::sqrt(1 - p.eccentricity * p.eccentricity) * (std::sqrt(p.distance) * p.mass)) /
                       (std::sqrt(new_a) * total);
            double x = 1 - t * t;
            if (x < 0 || x >= 1) x = 0;
            double new_e = std::sqrt(x);
            double grown = total;
            grow_nucleus(g, grown, new_a, new_e, luminosity, inj_lo, inj_hi);
            p.distance = new_a;
            p.eccentricity = new_e;
            p.mass = grown;
            return;
        }
    }

    Planet planet;
    planet.distance = a;
    planet.eccentricity = e;
    planet.mass = mass;
    planet.is_gas_giant = mass >= crit ? 1 : 0;
    // Before the first planet farther out; after merges the list need not be
    // in distance order, and the walk still goes from the head.
    auto at = planets.begin();
    while (at != planets.end() && !(at->distance > a)) ++at;
    planets.insert(at, planet);
}

void check_planets(const std::vector<Planet>& planets) {
    for (std::size_t i = 0; i < planets.size(); ++i) {
        const Planet& p = planets[i];
        auto fail = [i](const char* what) {
            throw std::logic_error("planet " + std::to_string(i + 1) + ": " + what);
        };
        // Negated comparisons so that a NaN fails too.
        if (!(p.mass > 0 && std::isfinite(p.mass))) fail("mass is not positive and finite");
        if (!(p.distance > 0 && std::isfinite(p.distance))) fail("distance is not positive and finite");
        if (!(p.eccentricity >= 0 && p.eccentricity < 1)) fail("eccentricity is outside [0, 1)");
    }
}

}  // namespace orrery
