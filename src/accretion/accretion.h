// Accretion: the dust disc as a list of bands, the growth of one nucleus,
// merging, and the loop that injects nuclei until no dust is left.
#pragma once

#include <vector>

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
    // When set, the band invariants are checked after every update (debug aid).
    bool check_invariants = false;
};

// Disc and injection limits, AU, for a star of M solar masses.
double outer_dust_limit(double star_mass);
double injection_inner_limit(double star_mass);
double injection_outer_limit(double star_mass);

// Dust bands.
void reset_disc(Generation& g, double inner, double outer);
int dust_in_range(const Generation& g, double lo, double hi);
void update_dust_bands(Generation& g, double lo, double hi, double mass, double crit,
                       double inj_lo, double inj_hi);
// Throws std::logic_error naming the broken invariant, if any.
void check_dust_bands(const AccretionState& acc, double inner, double outer);

// Nucleus growth.
double reduced_mass_of(double mass);
double inner_reach(const Generation& g, double a, double e, double x);
double outer_reach(const Generation& g, double a, double e);
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
