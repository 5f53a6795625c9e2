// The injection loop: nuclei are dropped one at a time at random distances
// where dust remains, until no dust touches the injection zone.
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "accretion/accretion.h"
#include "generation/generation.h"

namespace orrery {

void accrete_planets(Generation& g, double star_mass, double luminosity,
                     double inner_dust, double outer_dust) {
    AccretionState& acc = g.accretion;
    reset_disc(g, inner_dust, outer_dust);
    const double inj_lo = injection_inner_limit(star_mass);
    const double inj_hi = injection_outer_limit(star_mass);
    do {
        ++g.counts.accretion_passes;
        double a = uniform_between(g.random, inj_lo, inj_hi);
        // Most passes find no dust within reach, and the exact eccentricity
        // costs a pow. A larger eccentricity only widens the reach, inward and
        // outward, so the question is first asked with an upper bound of it:
        // no dust within the wider reach means none within the true one.
        // (Drawing the output is what moves the stream on; the value is
        // computed only when it is used, or watched.)
        std::uint32_t e_output = next_random_u32(g.random);
        bool may_reach_dust = true;
        if (!acc.dust_bands.empty()) {
            double e_bound = eccentricity_upper_bound(e_output);
            double lo = inner_reach(acc, a, e_bound, SEED_MASS);
            double hi = outer_reach(acc, a, e_bound);
            if (acc.spans_of_change != acc.band_changes) collect_dust_spans(acc);
            may_reach_dust = lo <= hi ? dust_in_spans(acc, lo, hi) : dust_in_range(g, lo, hi);
            if (acc.check_invariants && may_reach_dust != (dust_in_range(g, lo, hi) != 0))
                throw std::logic_error("accretion: the dust spans disagree with the bands");
        }
        if (!may_reach_dust && !g.random.observer && !acc.check_invariants) continue;
        double e = eccentricity_from_output(g.random, e_output);
        // The outer limit uses whatever reduced mass the latest sweep or
        // collision test left behind, not one of the new nucleus.
        if (acc.dust_bands.empty() ||
            !dust_in_range(g, inner_reach(acc, a, e, SEED_MASS), outer_reach(acc, a, e)))
            continue;
        if (!may_reach_dust) throw std::logic_error("accretion: dust within reach beyond the eccentricity bound's");
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
            if (acc.check_invariants) {
                check_dust_bands(acc, inner_dust, outer_dust);
                check_planets(g.planets);
            }
        }
    } while (acc.dust_left);
}

}  // namespace orrery
