// Planet environment: bulk and orbital properties, atmosphere retention and
// pressure, and the surface climate of rocky planets.
#pragma once

#include <orrery/system.h>

namespace orrery {

class ProgressSink;
struct Generation;
struct RandomState;

// The whole pipeline over g.planets, in list order.
void compute_planet_environment(Generation& g);

// Bulk and orbital properties.
int compute_orbit_zone(const Star& star, double distance);
double compute_empirical_density(const Star& star, int is_gas_giant, double mass, double distance);
double radius_from_density(double mass, double density);
double radius_from_composition(int is_gas_giant, int orbit_zone, double mass);
double density_from_radius(double mass, double radius);
double compute_orbital_period(double separation, double mass1, double mass2);
// A planet's day: its length and whether its spin is locked in resonance
// with the orbit (0 or 1), as the pipeline stores them in the planet.
struct DayLength {
    double day_hours;
    int in_resonance;
};
// A spin that the orbit has locked writes "...maybe: " and the locked day to
// `progress` (null: dropped), and "...resonance..." when it is in resonance.
DayLength compute_day_length(ProgressSink* progress, int is_gas_giant, double mass, double radius,
                             double year_days, double eccentricity);
int draw_axial_tilt(RandomState& r, double distance);
double compute_escape_velocity(double mass, double radius);
double compute_surface_accel(double mass, double radius);
double compute_surface_gravity(double acceleration);

// Atmosphere retention and pressure.
double compute_rms_velocity(double molecular_weight, double distance);
double compute_min_molecular_weight(double mass, double radius);
int test_runaway_greenhouse(int orbit_zone, double distance, double greenhouse_radius);
double compute_volatile_inventory(Generation& g, int orbit_zone, int runaway_greenhouse, double mass,
                                  double escape_velocity, double rms_velocity, double star_mass);
double compute_surface_pressure(double volatile_inventory, double radius, double surface_gravity);
double compute_boiling_point(double surface_pressure);

// Surface climate.
double compute_optical_depth(double min_molecular_weight, double surface_pressure);
double compute_effective_temp(double ecosphere_radius, double distance, double albedo);
// The effective temperature in two steps, for a climate that settles at one
// distance: sqrt(ecosphere_radius / distance), how a black body's temperature
// scales with the distance from the star (1 at the ecosphere radius), then
// the albedo's share. compute_effective_temp(e, d, A) is
// effective_temp_at_scale(compute_distance_scale(e, d), A).
double compute_distance_scale(double ecosphere_radius, double distance);
double effective_temp_at_scale(double distance_scale, double albedo);
double compute_greenhouse_rise(double optical_depth, double effective_temp, double surface_pressure);
// The greenhouse rise is the effective temperature times two terms that the
// atmosphere alone fixes, one of its optical depth and one of its pressure.
// compute_greenhouse_rise(tau, Te, P) is
// greenhouse_rise_with_terms(compute_greenhouse_terms(tau, P), Te).
struct GreenhouseTerms {
    double depth;     // (0.75 tau + 1)^0.25 - 1
    double pressure;  // (P / 1000)^0.25 x 0.43
};
GreenhouseTerms compute_greenhouse_terms(double optical_depth, double surface_pressure);
double greenhouse_rise_with_terms(const GreenhouseTerms& terms, double effective_temp);
double compute_hydrosphere(double volatile_inventory, double radius);
double compute_cloud_cover(double temperature, double min_molecular_weight, double radius,
                           double hydrosphere);
double compute_ice_cover(double hydrosphere, double temperature);
double compute_albedo(RandomState& r, double water, double cloud, double ice, double surface_pressure);
void settle_surface_temperature(Generation& g, Planet& planet);

}  // namespace orrery
