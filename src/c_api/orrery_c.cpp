// The C interface: the C++ library behind plain structs and status codes.
// Nothing may unwind into a C caller, so every entry catches everything.
#include <orrery/orrery_c.h>

#include <orrery/formats.h>
#include <orrery/generator.h>
#include <orrery/report.h>
#include <orrery/version.h>

#include <cstring>
#include <new>
#include <string>

struct orrery_system {
    orrery::System system;
};

static_assert(ORRERY_HUGE_VALUE == orrery::HUGE_VALUE, "the C marker must be the model's");

namespace {

size_t copy_out(const std::string& text, char* buf, size_t size) {
    if (size > 0 && buf) {
        const size_t n = text.size() < size - 1 ? text.size() : size - 1;
        std::memcpy(buf, text.data(), n);
        buf[n] = '\0';
    }
    return text.size();
}

}  // namespace

extern "C" {

orrery_system* orrery_system_new(uint32_t seed) {
    try {
        auto* s = new orrery_system;
        try {
            s->system = orrery::make_system(seed);
        } catch (...) {
            delete s;
            return nullptr;
        }
        return s;
    } catch (...) {
        return nullptr;
    }
}

uint32_t orrery_system_seed(const orrery_system* s) { return s ? s->system.seed : 0; }

size_t orrery_system_planet_count(const orrery_system* s) { return s ? s->system.planets.size() : 0; }

int orrery_system_star(const orrery_system* s, orrery_star* out) {
    if (!s || !out) return 1;
    const orrery::Star& star = s->system.star;
    *out = orrery_star{star.mass_ratio,       star.luminosity_ratio, star.main_sequence_life,
                       star.age,              star.ecosphere_radius, star.greenhouse_radius};
    return 0;
}

int orrery_system_planet(const orrery_system* s, size_t index, orrery_planet* out) {
    if (!s || !out || index >= s->system.planets.size()) return 1;
    const orrery::Planet& p = s->system.planets[index];
    orrery_planet c;
    c.distance = p.distance;
    c.eccentricity = p.eccentricity;
    c.mass = p.mass;
    c.is_gas_giant = p.is_gas_giant;
    c.orbit_zone = p.orbit_zone;
    c.radius = p.radius;
    c.density = p.density;
    c.year_days = p.year_days;
    c.day_hours = p.day_hours;
    c.in_resonance = p.in_resonance;
    c.axial_tilt = p.axial_tilt;
    c.escape_velocity = p.escape_velocity;
    c.surface_accel = p.surface_accel;
    c.surface_gravity = p.surface_gravity;
    c.rms_velocity = p.rms_velocity;
    c.min_molecular_weight = p.min_molecular_weight;
    c.volatile_inventory = p.volatile_inventory;
    c.surface_pressure = p.surface_pressure;
    c.runaway_greenhouse = p.runaway_greenhouse;
    c.boiling_point = p.boiling_point;
    c.albedo = p.albedo;
    c.surface_temp = p.surface_temp;
    c.hydrosphere = p.hydrosphere;
    c.cloud_cover = p.cloud_cover;
    c.ice_cover = p.ice_cover;
    *out = c;
    return 0;
}

size_t orrery_system_report(const orrery_system* s, char* buf, size_t size) {
    if (!s) return 0;
    try {
        return copy_out(orrery::format_report(s->system), buf, size);
    } catch (...) {
        return 0;
    }
}

size_t orrery_system_json(const orrery_system* s, char* buf, size_t size) {
    if (!s) return 0;
    try {
        return copy_out(orrery::to_json(s->system), buf, size);
    } catch (...) {
        return 0;
    }
}

void orrery_system_free(orrery_system* s) { delete s; }

const char* orrery_version(void) { return orrery::version(); }

}  // extern "C"
