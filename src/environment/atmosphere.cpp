// Which gases a planet keeps, how much volatile gas it holds, and the
// pressure and boiling point of water at its surface.
#include <cmath>

#include "environment/environment.h"
#include "generation/constants.h"
#include "generation/generation.h"

namespace orrery {

// rms speed of a gas of that molecular weight at the exospheric temperature
// 1273 K / distance^2.
double compute_rms_velocity(double molecular_weight, double distance) {
    return std::sqrt(((1273 / (distance * distance)) * 24943.23) / molecular_weight) * 100;
}

// The molecular weight whose rms speed at 1273 K is a fifth of the escape
// velocity.
double compute_min_molecular_weight(double mass, double radius) {
    double v = compute_escape_velocity(mass, radius);
    return 7938182947500.0 / (v * v);
}

int test_runaway_greenhouse(int orbit_zone, double distance, double greenhouse_radius) {
    return orbit_zone == 1 && distance < greenhouse_radius ? 1 : 0;
}

double compute_volatile_inventory(Generation& g, int orbit_zone, int runaway_greenhouse, double mass,
                                  double escape_velocity, double rms_velocity, double star_mass) {
    double ratio = escape_velocity / rms_velocity;
    if (!(ratio >= 5.0)) return 0.0;  // too light to hold gas (or not a number)
    double proportion;
    switch (orbit_zone) {
        case 1: proportion = 100000.0; break;
        case 2: proportion = 75000.0; break;
        case 3: proportion = 250.0; break;
        default:
            g.report_progress("Error: orbital zone not initialized correctly!\n");
            proportion = 10.0;
            break;
    }
    double base = ((mass * EARTH_MASSES_PER_SOLAR_MASS) * proportion) / star_mass;
    double drawn = vary_around(g.random, base, 0.2);
    double inventory = runaway_greenhouse ? drawn : drawn / 100;
    // The spread is absolute, so a small distant planet can draw less than
    // nothing; a planet cannot hold negative gas, so it keeps none.
    if (inventory < 0) inventory = 0.0;
    return inventory;
}

double compute_surface_pressure(double volatile_inventory, double radius, double surface_gravity) {
    return (volatile_inventory * surface_gravity) / ((EARTH_RADIUS_KM / radius) * (EARTH_RADIUS_KM / radius));
}

// Clausius-Clapeyron through 373 K at 1000 millibars.
double compute_boiling_point(double surface_pressure) {
    return 1 / ((std::log(surface_pressure / 1000) / -5050.5) + 0.002680965147453083);
}

}  // namespace orrery
