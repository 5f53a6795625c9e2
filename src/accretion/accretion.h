// Accretion: the dust disc as a list of bands, the growth of one nucleus,
// merging, and the loop that injects nuclei until no dust is left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <orrery/system.h>

namespace orrery {

struct Generation;

// Mass of a freshly injected nucleus, solar masses.
inline constexpr double SEED_MASS = 1e-15;

// One band of the disc, [inner_edge, outer_edge] in AU. The bands are kept
// ordered outward and contiguous.
struct DustBand {
    double inner_edge = 0.0;
    double outer_edge = 0.0;
    int has_dust = 0;
    int has_gas = 0;
};

// Remembered values of mu(m) = (m / (1 + m))^0.25. Every collision test
// needs each planet's term, and a planet's mass changes only when it merges,
// so the pow is taken once per mass instead of once per test. A pure function
// of the mass: the memory never needs clearing, and the empty slot (mass +0,
// whose mu is +0) is itself correct.
struct ReducedMassMemo {
    static constexpr int SLOTS = 64;
    std::uint64_t mass_bits[SLOTS] = {};
    double mu[SLOTS] = {};
};

// A run of consecutive bands that all hold dust. The accretion loop asks on
// every pass whether any dust lies within a nucleus's reach; the runs answer
// it without walking the dust-free bands.
struct DustSpan {
    double inner_edge = 0.0;
    double outer_edge = 0.0;
    bool starts_the_disc = false;  // begins with the innermost band
};

struct AccretionState {
    std::vector<DustBand> dust_bands;  // ordered outward, contiguous
    int dust_left = 0;                 // some band with dust touches the injection zone
    double cloud_eccentricity = 0.0;   // eccentricity of the dust particles' orbits
    double reduced_mass = 0.0;         // latest mu(m) from a sweep or a collision test
    double sweep_inner = 0.0;          // AU, latest sweep
    double sweep_outer = 0.0;          // AU, latest sweep
    double dust_density = 0.0;         // around the nucleus being grown
    // Scratch space for rebuilding the band list, kept to avoid allocation.
    std::vector<DustBand> scratch;
    ReducedMassMemo reduced_mass_memo;
    // Counts the changes to dust_bands made by reset_disc and
    // update_dust_bands; dust_spans describe the bands as they were at
    // change number spans_of_change.
    std::uint64_t band_changes = 0;
    std::uint64_t spans_of_change = ~std::uint64_t{0};
    std::vector<DustSpan> dust_spans;
    // When set, the bands and the planets are checked after every growth and
    // merge (a debug aid, on by default in debug builds; costs a walk of both
    // lists per nucleus).
#ifdef NDEBUG
    bool check_invariants = false;
#else
    bool check_invariants = true;
#endif
};

// Disc and injection limits, AU, for a star of M solar masses.
double outer_dust_limit(double star_mass);
double injection_inner_limit(double star_mass);
double injection_outer_limit(double star_mass);

// Dust bands.
void reset_disc(Generation& g, double inner, double outer);
int dust_in_range(const Generation& g, double lo, double hi);
// Rebuilds acc.dust_spans from acc.dust_bands.
void collect_dust_spans(AccretionState& acc);
// dust_in_range over the bands that acc.dust_spans describe, for lo <= hi.
// (The first band reaching lo starts below lo unless it is the innermost, so
// with lo <= hi the answer is whether some dust band reaches lo and starts
// below hi, or is the innermost band.)
inline int dust_in_spans(const AccretionState& acc, double lo, double hi) {
    for (const DustSpan& span : acc.dust_spans)
        if (span.outer_edge >= lo) return span.inner_edge < hi || span.starts_the_disc ? 1 : 0;
    return 0;
}
void update_dust_bands(Generation& g, double lo, double hi, double mass, double crit,
                       double inj_lo, double inj_hi);
// Throws std::logic_error naming the broken invariant, if any.
void check_dust_bands(const AccretionState& acc, double inner, double outer);
// Throws std::logic_error naming the first planet with a mass that is not
// positive and finite, a distance that is not positive and finite, or an
// eccentricity outside [0, 1).
void check_planets(const std::vector<Planet>& planets);

// Nucleus growth.
double reduced_mass_of(double mass);
// reduced_mass_of(mass), bit for bit, remembered in acc.
double remembered_reduced_mass(AccretionState& acc, double mass);
double inner_reach(const Generation& g, double a, double e, double x);
double outer_reach(const Generation& g, double a, double e);
// The same reaches, inline for the accretion loop, which asks them on every
// pass.
inline double inner_reach(const AccretionState& acc, double a, double e, double x) {
    return a * (1 - e) * (1 - x) / (1 + acc.cloud_eccentricity);
}
inline double outer_reach(const AccretionState& acc, double a, double e) {
    return a * (1 + e) * (1 + acc.reduced_mass) / (1 - acc.cloud_eccentricity);
}
double critical_mass(double a, double e, double luminosity);
double sweep_dust(Generation& g, double mass, double a, double e, double crit);
void grow_nucleus(Generation& g, double& mass, double a, double e, double crit,
                  double inj_lo, double inj_hi);

// Merging and insertion into the planet list.
void merge_or_insert_planet(Generation& g, double a, double e, double mass, double crit,
                            double luminosity, double inj_lo, double inj_hi);

// The whole accretion stage; fills g.planets.
void accrete_planets(Generation& g, double star_mass, double luminosity,
                     double inner_dust, double outer_dust);

}  // namespace orrery
