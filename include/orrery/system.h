// A generated planetary system as plain values: the central star, its
// planets in the order the model lists them, and the seed that made them.
//
// Units follow the model throughout: distances in AU, star and planet masses
// in solar masses (the model counts EARTH_MASSES_PER_SOLAR_MASS Earth masses
// to one), radii in km, velocities in cm/s, acceleration in cm/s2, gravity in
// Earth gravities, pressure in millibars, temperatures in kelvin, year in
// days, day in hours, the star's lifetime and age in years. Flags are ints
// holding 0 or 1.
//
// Thread safety: plain values; copy and read them freely.
#pragma once

#include <cstdint>
#include <vector>

namespace orrery {

// Marks a gas giant's surface values (surface_gravity, volatile_inventory,
// surface_pressure, boiling_point, hydrosphere, surface_temp) as not
// applicable.
inline constexpr double HUGE_VALUE = 9.9999e37;

// Earth masses per solar mass, as the report and the formulas store it.
inline constexpr double EARTH_MASSES_PER_SOLAR_MASS = 332775.64;

// The central star.
struct Star {
    double mass_ratio = 0.0;          // solar masses
    double luminosity_ratio = 0.0;    // relative to the sun
    double main_sequence_life = 0.0;  // years
    double age = 0.0;                 // years
    double ecosphere_radius = 0.0;    // AU
    double greenhouse_radius = 0.0;   // AU
};

// One planet. A gas giant's cloud_cover and ice_cover are left at 0 and its
// surface values hold HUGE_VALUE.
struct Planet {
    double distance = 0.0;      // AU, semi-major axis
    double eccentricity = 0.0;
    double mass = 0.0;          // solar masses
    int is_gas_giant = 0;
    int orbit_zone = 0;         // 1, 2 or 3
    double radius = 0.0;        // km, equatorial
    double density = 0.0;       // g/cm3
    double year_days = 0.0;     // days
    double day_hours = 0.0;     // hours
    int in_resonance = 0;       // spin locked in resonance with the orbit
    int axial_tilt = 0;         // degrees
    double escape_velocity = 0.0;       // cm/s
    double surface_accel = 0.0;         // cm/s2
    double surface_gravity = 0.0;       // Earth gravities
    double rms_velocity = 0.0;          // cm/s, molecular weight 28
    double min_molecular_weight = 0.0;  // smallest molecular weight retained
    double volatile_inventory = 0.0;    // Earth-relative
    double surface_pressure = 0.0;      // millibars
    int runaway_greenhouse = 0;
    double boiling_point = 0.0;         // kelvin
    double albedo = 0.0;
    double surface_temp = 0.0;          // kelvin
    double hydrosphere = 0.0;           // fraction of the surface
    double cloud_cover = 0.0;           // fraction of the surface
    double ice_cover = 0.0;             // fraction of the surface
};

// One whole system. planets is in the model's list order: by distance as
// nuclei are inserted, though a merge can leave a planet out of order.
struct System {
    std::uint32_t seed = 0;
    Star star;
    std::vector<Planet> planets;
};

}  // namespace orrery
