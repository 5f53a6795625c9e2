// The injection loop: nuclei are dropped one at a time at random distances
// where dust remains, until no dust touches the injection zone.
#include <cmath>

#include "accretion/accretion.h"
#include "driver/generation.h"

namespace orrery {

void accrete_planets(Generation& g, double star_mass, double luminosity,
                     double inner_dust, double outer_dust) {
    AccretionState& acc = g.accretion;
    reset_disc(g, inner_dust, outer_dust);
    double r = std::pow(star_mass, 0.3333333333333333);
    double inj_lo = 0.3 * r;
    double inj_hi = 50 * r;
    do {
        ++g.counts.accretion_passes;
        double a = uniform_between(g.random, inj_lo, inj_hi);
        double e = draw_eccentricity(g.random);
        // The outer limit uses whatever reduced mass the latest sweep or
        // collision test left behind, not one of the new nucleus.
        if (acc.dust_bands.empty() ||
            !dust_in_range(g, inner_reach(g, a, e, SEED_MASS), outer_reach(g, a, e)))
            continue;
        g.report_progress(".. Injecting protoplanet.\n");
        acc.dust_density = std::exp(std::pow(a, 0.3333333333333333) * -5) * (std::sqrt(star_mass) * 0.002);
        double crit = critical_mass(a, e, luminosity);
        double mass = SEED_MASS;
        grow_nucleus(g, mass, a, e, crit, inj_lo, inj_hi);
        if (acc.check_invariants) check_dust_bands(acc, inner_dust, outer_dust);
        if (mass == 0 || mass == SEED_MASS) {
            g.report_progress(".. failed due to large neighbor.\n");
        } else {
            merge_or_insert_planet(g, a, e, mass, crit, luminosity, inj_lo, inj_hi);
            if (acc.check_invariants) check_dust_bands(acc, inner_dust, outer_dust);
        }
    } while (acc.dust_left);
}

}  // namespace orrery
