// The records every stage after the star shares: the central star and one
// planet. Plain values; the stages fill them in the order the run makes them.
#pragma once

namespace orrery {

// Marks a gas giant's surface values as not applicable.
inline constexpr double HUGE_VALUE = 9.9999e37;

// Earth masses per solar mass, as the report and the formulas store it.
inline constexpr double EARTH_MASSES_PER_SOLAR_MASS = 332775.64;

struct Star {
    double mass_ratio = 0.0;          // solar masses
    double luminosity_ratio = 0.0;    // relative to the sun
    double main_sequence_life = 0.0;  // years
    double age = 0.0;                 // years
    double ecosphere_radius = 0.0;    // AU
    double greenhouse_radius = 0.0;   // AU
};

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

}  // namespace orrery
