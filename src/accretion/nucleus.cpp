// Growth of one body: it sweeps the dust (and, above the critical mass, the
// gas) within the reach of its orbit and its gravity until its mass settles.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "accretion/accretion.h"
#include "generation/constants.h"
#include "generation/generation.h"

namespace orrery {

double outer_dust_limit(double star_mass) {
    return 200.0 * std::pow(star_mass, 0.3333333333333333);
}

double injection_inner_limit(double star_mass) {
    return 0.3 * std::pow(star_mass, 0.3333333333333333);
}

double injection_outer_limit(double star_mass) {
    return 50.0 * std::pow(star_mass, 0.3333333333333333);
}

// mu(m) = (m / (1 + m))^(1/4), how far a body's gravity widens its reach.
double reduced_mass_of(double mass) {
    return std::pow(mass / (mass + 1), 0.25);
}

double remembered_reduced_mass(AccretionState& acc, double mass) {
    std::uint64_t bits;
    std::memcpy(&bits, &mass, sizeof bits);
    ReducedMassMemo& memo = acc.reduced_mass_memo;
    unsigned slot = static_cast<unsigned>((bits * 0x9e3779b97f4a7c15ull) >> 58);
    if (memo.mass_bits[slot] == bits) return memo.mu[slot];
    double mu = reduced_mass_of(mass);
    memo.mass_bits[slot] = bits;
    memo.mu[slot] = mu;
    return mu;
}

double inner_reach(const Generation& g, double a, double e, double x) {
    return inner_reach(g.accretion, a, e, x);
}

double outer_reach(const Generation& g, double a, double e) {
    return outer_reach(g.accretion, a, e);
}

// Above this mass a body at periapsis distance a - e*a holds on to gas.
double critical_mass(double a, double e, double luminosity) {
    return std::pow((a - e * a) * std::sqrt(luminosity), -0.75) * 1.2e-5;
}

double sweep_dust(Generation& g, double mass, double a, double e, double crit) {
    AccretionState& acc = g.accretion;
    double mu = remembered_reduced_mass(acc, mass);
    double r_in = (1 - mu) * ((1 - e) * a) / (1 + acc.cloud_eccentricity);
    double r_out = (1 + mu) * ((1 + e) * a) / (1 - acc.cloud_eccentricity);
    acc.reduced_mass = mu;
    acc.sweep_outer = r_out;
    acc.sweep_inner = r_in < 0 ? 0 : r_in;
    double lo = acc.sweep_inner;

    // Contributions are summed from the outermost overlapping band inward.
    // The bands' edges rise outward, so once a band ends inside lo every band
    // further in does too, and the walk stops there.
    //
    // Above the critical mass the body also pulls in gas, which raises the
    // effective density up to fifty-fold. The terms that do not depend on
    // the band are formed once per sweep, as each band would form them.
    const bool takes_gas = mass >= crit;
    const double gas_gain = takes_gas ? 1 + 49 * std::sqrt(crit / mass) : 1;
    const double dust_only = acc.dust_density;
    const double dust_and_gas = takes_gas ? dust_only * 50 / gas_gain : dust_only;
    const double gas_only = takes_gas ? 0.0 * 50 / gas_gain : 0.0;
    const double width = r_out - lo;
    const double swept_area = (a * a * FOUR_PI) * mu;
    const std::vector<DustBand>& bands = acc.dust_bands;
    double total = 0.0;
    for (std::size_t i = bands.size(); i-- > 0;) {
        const DustBand& b = bands[i];
        if (b.outer_edge <= lo) break;
        if (b.inner_edge >= r_out) continue;
        double density = b.has_gas ? (b.has_dust ? dust_and_gas : gas_only) : (b.has_dust ? dust_only : 0);
        double beyond = r_out - b.outer_edge;
        if (beyond < 0) beyond = 0;
        double inside = b.inner_edge - lo;
        if (inside < 0) inside = 0;
        double overlap = width - beyond - inside;
        double contribution = (((1 - ((beyond - inside) * e) / width) * swept_area) * overlap) * density;
        total = total + contribution;
    }
    return total;
}

void grow_nucleus(Generation& g, double& mass, double a, double e, double crit,
                  double inj_lo, double inj_hi) {
    double estimate = mass;
    double swept;
    for (;;) {
        swept = sweep_dust(g, estimate, a, e, crit);
        if (estimate * 1e-4 > swept - estimate) break;
        estimate = swept;
    }
    mass = mass + swept;
    AccretionState& acc = g.accretion;
    update_dust_bands(g, acc.sweep_inner, acc.sweep_outer, mass, crit, inj_lo, inj_hi);
}

}  // namespace orrery
