// Fills in every derived property of every planet, in list order, making the
// planet's draws before moving on to the next one.
#include "generation/generation.h"
#include "environment/environment.h"

namespace orrery {

void compute_planet_environment(Generation& g) {
    const Star& star = g.star;
    for (Planet& p : g.planets) {
        p.orbit_zone = compute_orbit_zone(star, p.distance);
        if (p.is_gas_giant) {
            p.density = compute_empirical_density(star, p.is_gas_giant, p.mass, p.distance);
            p.radius = radius_from_density(p.mass, p.density);
        } else {
            p.radius = radius_from_composition(0, p.orbit_zone, p.mass);
            p.density = density_from_radius(p.mass, p.radius);
        }
        p.year_days = compute_orbital_period(p.distance, p.mass, star.mass_ratio);
        DayLength day =
            compute_day_length(g.progress, p.is_gas_giant, p.mass, p.radius, p.year_days, p.eccentricity);
        p.day_hours = day.day_hours;
        p.in_resonance = day.in_resonance;
        p.axial_tilt = draw_axial_tilt(g.random, p.distance);
        p.escape_velocity = compute_escape_velocity(p.mass, p.radius);
        p.surface_accel = compute_surface_accel(p.mass, p.radius);
        p.rms_velocity = compute_rms_velocity(28.0, p.distance);
        p.min_molecular_weight = compute_min_molecular_weight(p.mass, p.radius);
        if (p.is_gas_giant) {
            p.surface_gravity = HUGE_VALUE;
            p.volatile_inventory = HUGE_VALUE;
            p.surface_pressure = HUGE_VALUE;
            p.boiling_point = HUGE_VALUE;
            p.hydrosphere = HUGE_VALUE;
            p.surface_temp = HUGE_VALUE;
            p.runaway_greenhouse = 0;
            p.albedo = vary_around(g.random, 0.5, 0.1);
            continue;
        }
        p.surface_gravity = compute_surface_gravity(p.surface_accel);
        p.runaway_greenhouse = test_runaway_greenhouse(p.orbit_zone, p.distance, star.greenhouse_radius);
        p.volatile_inventory = compute_volatile_inventory(g, p.orbit_zone, p.runaway_greenhouse, p.mass,
                                                          p.escape_velocity, p.rms_velocity, star.mass_ratio);
        p.surface_pressure = compute_surface_pressure(p.volatile_inventory, p.radius, p.surface_gravity);
        p.boiling_point = p.surface_pressure == 0.0 ? 0.0 : compute_boiling_point(p.surface_pressure);
        settle_surface_temperature(g, p);
    }
}

}  // namespace orrery
