// Growth of one body: it sweeps the dust (and, above the critical mass, the
// gas) within the reach of its orbit and its gravity until its mass settles.
#include <cmath>

#include "accretion/accretion.h"
#include "driver/generation.h"

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

double inner_reach(const Generation& g, double a, double e, double x) {
    return a * (1 - e) * (1 - x) / (1 + g.accretion.cloud_eccentricity);
}

double outer_reach(const Generation& g, double a, double e) {
    const AccretionState& acc = g.accretion;
    return a * (1 + e) * (1 + acc.reduced_mass) / (1 - acc.cloud_eccentricity);
}

// Above this mass a body at periapsis distance a - e*a holds on to gas.
double critical_mass(double a, double e, double luminosity) {
    return std::pow((a - e * a) * std::sqrt(luminosity), -0.75) * 1.2e-5;
}

double sweep_dust(Generation& g, double mass, double a, double e, double crit) {
    AccretionState& acc = g.accretion;
    double mu = reduced_mass_of(mass);
    double r_in = (1 - mu) * ((1 - e) * a) / (1 + acc.cloud_eccentricity);
    double r_out = (1 + mu) * ((1 + e) * a) / (1 - acc.cloud_eccentricity);
    acc.reduced_mass = mu;
    acc.sweep_outer = r_out;
    acc.sweep_inner = r_in < 0 ? 0 : r_in;
    double lo = acc.sweep_inner;

    // Contributions are summed from the outermost overlapping band inward.
    const std::vector<DustBand>& bands = acc.dust_bands;
    double total = 0.0;
    for (std::size_t i = bands.size(); i-- > 0;) {
        const DustBand& b = bands[i];
        if (b.outer_edge <= lo || b.inner_edge >= r_out) continue;
        double density = b.has_dust ? acc.dust_density : 0;
        // Above the critical mass the body also pulls in gas, which raises
        // the effective density up to fifty-fold.
        if (b.has_gas && mass >= crit) density = density * 50 / (1 + 49 * std::sqrt(crit / mass));
        double width = r_out - lo;
        double beyond = r_out - b.outer_edge;
        if (beyond < 0) beyond = 0;
        double inside = b.inner_edge - lo;
        if (inside < 0) inside = 0;
        double overlap = width - beyond - inside;
        double contribution = (((1 - ((beyond - inside) * e) / width) * ((a * a * 12.5663706144) * mu)) *
                               overlap) *
                              density;
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
