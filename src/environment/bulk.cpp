// Bulk and orbital properties of a planet: zone, size, density, year, day,
// tilt and gravity.
#include <cmath>
#include <cstddef>
#include <string_view>

#include <orrery/progress.h>

#include "environment/environment.h"
#include "generation/constants.h"
#include "random/random.h"
#include "report/fixed_format.h"

namespace orrery {

// Zone 1 lies inside four times the ecosphere's scale, zone 3 beyond fifteen.
int compute_orbit_zone(const Star& star, double distance) {
    double s = std::sqrt(star.luminosity_ratio);
    if (distance < 4 * s) return 1;
    if (distance < 15 * s) return 2;
    return 3;
}

double compute_empirical_density(const Star& star, int is_gas_giant, double mass, double distance) {
    double factor = is_gas_giant ? 1.2 : 5.5;
    return std::pow(mass * EARTH_MASSES_PER_SOLAR_MASS, 0.125) *
           std::pow(star.ecosphere_radius / distance, 0.25) * factor;
}

// Radius in km of a sphere of that mass (in grams) and density.
double radius_from_density(double mass, double density) {
    return std::pow(((mass * GRAMS_PER_SOLAR_MASS) / density) * 3 / FOUR_PI, 0.3333333333333333) / CM_PER_KM;
}

// Radius of a cold body of the zone's mean composition: the folded constants
// carry grams per solar mass inside the roots.
double radius_from_composition(int is_gas_giant, int orbit_zone, double mass) {
    double weight;
    double number;
    if (orbit_zone == 1) {
        weight = is_gas_giant ? 9.5 : 15.0;
        number = is_gas_giant ? 4.5 : 8.0;
    } else if (orbit_zone == 2) {
        weight = is_gas_giant ? 2.47 : 10.0;
        number = is_gas_giant ? 2.0 : 5.0;
    } else {
        weight = is_gas_giant ? 7.0 : 10.0;
        number = is_gas_giant ? 4.0 : 5.0;
    }
    double a = std::pow(weight * number, 0.3333333333333333);
    double n = 1.4361871333769151e24 / (a * 6.485e12);
    double c = std::pow(mass, 0.6666666666666666) *
               (4.0032e-8 * std::pow(weight, 1.3333333333333333) * 1.581575232928835e22) /
               (number * number * 6.485e12);
    return std::pow(mass, 0.3333333333333333) * (n / (c + 1)) / CM_PER_KM;
}

double density_from_radius(double mass, double radius) {
    return (mass * GRAMS_PER_SOLAR_MASS) / (std::pow(radius * CM_PER_KM, 3.0) * FOUR_PI / 3);
}

// Kepler's third law with the year as 365.256 days.
double compute_orbital_period(double separation, double mass1, double mass2) {
    return std::sqrt(std::pow(separation, 3.0) / (mass1 + mass2)) * 365.256;
}

DayLength compute_day_length(ProgressSink* progress, int is_gas_giant, double mass, double radius,
                             double year_days, double eccentricity) {
    double k = is_gas_giant ? 0.24 : 0.33;
    double omega = std::sqrt((mass * GRAMS_PER_SOLAR_MASS * 2.92e-19) /
                             ((radius * CM_PER_KM) * (radius * CM_PER_KM) * k));
    double day = 1 / ((omega / RADIANS_PER_ROTATION) * 3600);
    if (day < year_days || std::isunordered(day, year_days)) return {day, 0};

    // The spin is locked to the orbit: the day (hours) reached the year
    // (days). An eccentric orbit locks in resonance at a fraction of the year.
    double s = ((1 - eccentricity) / (1 + eccentricity)) * year_days;
    if (progress) {
        char line[64 + 320];
        std::size_t len = 0;
        static constexpr char prefix[] = "...maybe: ";
        for (char c : std::string_view(prefix)) line[len++] = c;
        len += format_fixed(line + len, s, 0, 6);
        line[len++] = '\n';
        progress->write(std::string_view(line, len));
    }
    if (eccentricity > 0.01) {
        if (progress) progress->write("...resonance...\n");
        return {s * 24.0, 1};
    }
    return {year_days * 24.0, 0};
}

int draw_axial_tilt(RandomState& r, double distance) {
    double p = std::pow(distance, 0.2);
    double v = vary_around(r, 23.4, 0.4);
    double t = v * p;
    return static_cast<int>(t) % 360;
}

double compute_escape_velocity(double mass, double radius) {
    return std::sqrt((mass * GRAMS_PER_SOLAR_MASS * 1.3344e-7) / (radius * CM_PER_KM));
}

double compute_surface_accel(double mass, double radius) {
    return (mass * GRAMS_PER_SOLAR_MASS * 6.672e-8) / ((radius * CM_PER_KM) * (radius * CM_PER_KM));
}

double compute_surface_gravity(double acceleration) {
    return acceleration / 981;
}

}  // namespace orrery
