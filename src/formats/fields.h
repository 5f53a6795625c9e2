// The planet record's fields by name, in record order, for every format that
// writes planets out field by field (JSON, CSV).
#pragma once

#include <cmath>
#include <span>

#include <orrery/system.h>

namespace orrery {

struct PlanetField {
    const char* name;
    double Planet::*real = nullptr;  // set for a double field
    int Planet::*integer = nullptr;  // set for an int field
    // A gas giant has no surface: the model leaves these values unset or
    // holding HUGE_VALUE, so they are written as "no value".
    bool surface_only = false;
};

inline constexpr PlanetField PLANET_FIELDS[] = {
    {"distance", &Planet::distance},
    {"eccentricity", &Planet::eccentricity},
    {"mass", &Planet::mass},
    {"is_gas_giant", nullptr, &Planet::is_gas_giant},
    {"orbit_zone", nullptr, &Planet::orbit_zone},
    {"radius", &Planet::radius},
    {"density", &Planet::density},
    {"year_days", &Planet::year_days},
    {"day_hours", &Planet::day_hours},
    {"in_resonance", nullptr, &Planet::in_resonance},
    {"axial_tilt", nullptr, &Planet::axial_tilt},
    {"escape_velocity", &Planet::escape_velocity},
    {"surface_accel", &Planet::surface_accel},
    {"surface_gravity", &Planet::surface_gravity, nullptr, true},
    {"rms_velocity", &Planet::rms_velocity},
    {"min_molecular_weight", &Planet::min_molecular_weight},
    {"volatile_inventory", &Planet::volatile_inventory, nullptr, true},
    {"surface_pressure", &Planet::surface_pressure, nullptr, true},
    {"runaway_greenhouse", nullptr, &Planet::runaway_greenhouse},
    {"boiling_point", &Planet::boiling_point, nullptr, true},
    {"albedo", &Planet::albedo},
    {"surface_temp", &Planet::surface_temp, nullptr, true},
    {"hydrosphere", &Planet::hydrosphere, nullptr, true},
    {"cloud_cover", &Planet::cloud_cover, nullptr, true},
    {"ice_cover", &Planet::ice_cover, nullptr, true},
};

struct StarField {
    const char* name;
    double Star::*real;
};

inline constexpr StarField STAR_FIELDS[] = {
    {"mass_ratio", &Star::mass_ratio},
    {"luminosity_ratio", &Star::luminosity_ratio},
    {"main_sequence_life", &Star::main_sequence_life},
    {"age", &Star::age},
    {"ecosphere_radius", &Star::ecosphere_radius},
    {"greenhouse_radius", &Star::greenhouse_radius},
};

inline const char* planet_kind(const Planet& p) { return p.is_gas_giant ? "gas giant" : "rocky"; }

// False when the field has no value for this planet: a gas giant's surface,
// or a result that is not a finite number.
inline bool has_value(const Planet& p, const PlanetField& f) {
    if (f.surface_only && p.is_gas_giant) return false;
    return f.integer || std::isfinite(p.*(f.real));
}

}  // namespace orrery
