// Surface climate of a rocky planet: a fixed-point iteration on the surface
// temperature, with water, cloud and ice cover and a freshly drawn albedo in
// every pass.
#include <cmath>

#include "environment/environment.h"
#include "generation/constants.h"
#include "generation/generation.h"

namespace orrery {

double compute_optical_depth(double min_molecular_weight, double surface_pressure) {
    double m = min_molecular_weight;
    double base;
    if (m < 0) base = 0;
    else if (m < 10) base = 3.0;
    else if (m < 20) base = 2.34;
    else if (m < 30) base = 1.0;
    else if (m < 45) base = 0.15;
    else if (m < 100) base = 0.05;
    else base = 0;
    double p = surface_pressure;
    if (p >= 70000) return base * 8.333;
    if (p >= 50000) return base * 6.666;
    if (p >= 30000) return base * 3.333;
    if (p >= 10000) return base + base;
    if (p >= 5000) return base * 1.5;
    return base;
}

double compute_distance_scale(double ecosphere_radius, double distance) {
    return std::sqrt(ecosphere_radius / distance);
}

double effective_temp_at_scale(double distance_scale, double albedo) {
    return std::pow((1 - albedo) / 0.7, 0.25) * distance_scale * 255;
}

double compute_effective_temp(double ecosphere_radius, double distance, double albedo) {
    return effective_temp_at_scale(compute_distance_scale(ecosphere_radius, distance), albedo);
}

GreenhouseTerms compute_greenhouse_terms(double optical_depth, double surface_pressure) {
    return {std::pow(0.75 * optical_depth + 1, 0.25) - 1, std::pow(surface_pressure / 1000, 0.25) * 0.43};
}

double greenhouse_rise_with_terms(const GreenhouseTerms& terms, double effective_temp) {
    return terms.depth * effective_temp * terms.pressure;
}

double compute_greenhouse_rise(double optical_depth, double effective_temp, double surface_pressure) {
    return greenhouse_rise_with_terms(compute_greenhouse_terms(optical_depth, surface_pressure), effective_temp);
}

double compute_hydrosphere(double volatile_inventory, double radius) {
    double q = EARTH_RADIUS_KM / radius;
    double h = (q * q) * (volatile_inventory * 0.71 / 1000);
    return h <= 1 ? h : 1;
}

double compute_cloud_cover(double temperature, double min_molecular_weight, double radius,
                           double hydrosphere) {
    if (min_molecular_weight > 18) return 0;  // water vapour escapes
    double area = radius * radius * FOUR_PI;
    double water = area * hydrosphere * 3.83e15 * 1e-8;
    double c = std::exp((temperature - 288) * 0.0698) * water * 1.839e-8 / area;
    return c <= 1 ? c : 1;
}

double compute_ice_cover(double hydrosphere, double temperature) {
    double t = temperature <= 328 ? temperature : 328;
    double base = (328 - t) / 90;
    double cap = 1.5 * hydrosphere;
    // Ice is limited by the water there is to freeze: on a cold or dry world
    // the cap is far below the fifth power, whose exact value then does not
    // matter. Four products give that power within a few parts in 1e16 (in
    // the normal range), the library's within one unit in the last place, so
    // a product clear of the cap by 1e-12 decides the comparison and the
    // library call is needed only near it or below it. Hot surfaces hold no
    // ice: the base is then exactly +0, whose fifth power is +0.
    double i;
    if (base == 0) {
        i = 0.0;
    } else {
        double b2 = base * base;
        double lower = b2 * b2 * base * (1 - 1e-12);
        if (lower >= 1e-290 && lower <= 1e290 && cap < lower) return cap <= 1 ? cap : 1;
        i = std::pow(base, 5.0);
    }
    double j = cap < i ? cap : i;
    return j <= 1 ? j : 1;
}

double compute_albedo(RandomState& r, double water, double cloud, double ice, double surface_pressure) {
    double cloud_albedo;
    double rock_albedo;
    double water_albedo;
    double ice_albedo;
    // Bare rock and frost look different without an atmosphere.
    if (surface_pressure == 0.0) {
        cloud_albedo = vary_around(r, 0.52, 0.2);
        rock_albedo = vary_around(r, 0.07, 0.3);
        water_albedo = vary_around(r, 0.04, 0.2);
        ice_albedo = vary_around(r, 0.5, 0.4);
    } else {
        cloud_albedo = vary_around(r, 0.52, 0.2);
        rock_albedo = vary_around(r, 0.15, 0.1);
        water_albedo = vary_around(r, 0.04, 0.2);
        ice_albedo = vary_around(r, 0.7, 0.1);
    }
    double rock = (1 - water) - ice;
    double n = (water > 0 ? 1.0 : 0.0) + (ice > 0 ? 1.0 : 0.0) + (rock > 0 ? 1.0 : 0.0);
    // Cloud covers each kind of surface in equal shares.
    double share = cloud / n;
    double rock_part = share <= rock ? rock - share : 0;
    double water_part = share < water ? water - share : 0;
    double ice_part = share < ice ? ice - share : 0;
    return (water_part * water_albedo + (rock_part * rock_albedo + cloud_albedo * cloud)) +
           ice_part * ice_albedo;
}

void settle_surface_temperature(Generation& g, Planet& planet) {
    const double m = planet.min_molecular_weight;
    const double p = planet.surface_pressure;
    const double tau = compute_optical_depth(m, p);
    // The atmosphere's greenhouse terms, the distance scale and the water
    // there is do not change while the temperature settles: each is taken
    // once per planet.
    const GreenhouseTerms greenhouse = compute_greenhouse_terms(tau, p);
    const double scale = compute_distance_scale(g.star.ecosphere_radius, planet.distance);
    // The effective temperature for a start albedo of 0.39, its albedo factor
    // ((1 - 0.39) / 0.7)^0.25 as stored, plus greenhouse.
    double te0 = scale * 0.9661797896193187 * 255;
    double t = greenhouse_rise_with_terms(greenhouse, te0) + te0;
    if (!(std::fabs(t - (t - 5)) > 1)) {
        planet.hydrosphere = 0;
        planet.cloud_cover = 0;
        planet.ice_cover = 0;
        planet.albedo = 0;
        planet.surface_temp = t;
        return;
    }
    const double h = compute_hydrosphere(planet.volatile_inventory, planet.radius);
    for (;;) {
        double c = compute_cloud_cover(t, m, planet.radius, h);
        double i = compute_ice_cover(h, t);
        double w = (t <= 273 || t >= planet.boiling_point) ? 0 : h;  // liquid only between freezing and boiling
        double a = compute_albedo(g.random, w, c, i, p);
        double te = effective_temp_at_scale(scale, a);
        double next = greenhouse_rise_with_terms(greenhouse, te) + te;
        if (std::fabs(next - t) > 1) {
            t = next;
            continue;
        }
        planet.hydrosphere = w;
        planet.cloud_cover = c;
        planet.ice_cover = i;
        planet.albedo = a;
        planet.surface_temp = next;
        return;
    }
}

}  // namespace orrery
