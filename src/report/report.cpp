#include "report/report.h"

#include <cerrno>
#include <cstdio>

#include "report/fixed_format.h"

namespace orrery {

namespace {

struct GasBound {
    double below;
    const char* label;
};

constexpr GasBound GAS_LABELS[] = {
    {2.0, "   (H2)\n"},   {4.0, "   (He)\n"},   {16.0, "   (CH4)\n"}, {17.0, "   (NH3)\n"},
    {18.0, "   (H2O)\n"}, {20.2, "   (Ne)\n"},   {28.0, "   (N2)\n"},  {30.0, "   (NO)\n"},
    {32.0, "   (O2)\n"},  {34.1, "   (H2S)\n"},  {39.9, "   (Ar)\n"},  {44.0, "   (CO2)\n"},
    {46.0, "   (NO2)\n"}, {48.0, "   (O3)\n"},   {64.1, "   (SO2)\n"}, {80.1, "   (SO3)\n"},
    {83.8, "   (Kr)\n"},  {131.3, "   (Xe)\n"},
};

void line(std::string& out, const char* label, double value, int width, int precision, const char* tail) {
    out.append(label);
    append_fixed(out, value, width, precision);
    out.append(tail);
}

}  // namespace

const char* gas_label(double w) {
    for (const GasBound& gas : GAS_LABELS)
        if (w < gas.below) return gas.label;
    return "\n";
}

void append_system_report(std::string& out, const Star& star, const std::vector<Planet>& planets) {
    out.append("                         SYSTEM  CHARACTERISTICS\n");
    line(out, "Mass of central star:          ", star.mass_ratio, 6, 3, " solar masses\n");
    line(out, "Luminosity of central star:    ", star.luminosity_ratio, 6, 3, " (relative to the sun)\n");
    line(out, "Total main sequence lifetime:  ", star.main_sequence_life / 1000000.0, 6, 0, " million years\n");
    line(out, "Current age of stellar system: ", star.age / 1000000.0, 6, 0, " million years\n");
    line(out, "Radius of habitable ecosphere: ", star.ecosphere_radius, 6, 3, " AU\n\n");

    int number = 1;
    for (const Planet& p : planets) {
        out.append("Planet #");
        append_int(out, number, 0);
        out.append(":\n");
        if (p.is_gas_giant) out.append("Gas giant...\n");
        if (p.in_resonance) out.append("In resonant period with primary.\n");
        line(out, "   Distance from primary star (in A.U.): ", p.distance, 7, 3, "\n");
        line(out, "   Eccentricity of orbit:                ", p.eccentricity, 7, 3, "\n");
        line(out, "   Mass (in Earth masses):               ", p.mass * EARTH_MASSES_PER_SOLAR_MASS, 7, 3, "\n");
        line(out, "   Equatorial radius (in Km):            ", p.radius, 7, 1, "\n");
        line(out, "   Density (in g/cc):                    ", p.density, 7, 3, "\n");
        line(out, "   Escape Velocity (in km/sec):          ", p.escape_velocity / 100000.0, 7, 2, "\n");
        line(out, "   Smallest molecular weight retained:   ", p.min_molecular_weight, 7, 2,
             gas_label(p.min_molecular_weight));
        line(out, "   Surface acceleration (in cm/sec2):    ", p.surface_accel, 7, 2, "\n");
        if (!p.is_gas_giant) {
            line(out, "   Surface Gravity (in Earth gees):      ", p.surface_gravity, 7, 2, "\n");
            if (p.boiling_point > 0.1)
                line(out, "   Boiling point of water (celcius):     ", p.boiling_point - 273.0, 7, 1, "\n");
            if (p.surface_pressure > 1e-5)
                line(out, "   Surface Pressure (in atmospheres):    ", p.surface_pressure / 1000.0, 7, 3,
                     p.runaway_greenhouse ? "     RUNAWAY GREENHOUSE EFFECT\n" : "\n");
            line(out, "   Surface temperature (Celcius):        ", p.surface_temp - 273.0, 7, 2, "\n");
            if (p.hydrosphere > 0.01)
                line(out, "   Hydrosphere percentage: ", p.hydrosphere * 100.0, 6, 2, "\n");
            if (p.cloud_cover > 0.01)
                line(out, "   Cloud cover percentage: ", p.cloud_cover * 100.0, 6, 2, "\n");
            if (p.ice_cover > 0.01)
                line(out, "   Ice cover percentage:   ", p.ice_cover * 100.0, 6, 2, "\n");
        }
        out.append("   Axial tilt (in degrees):   ");
        append_int(out, p.axial_tilt, 7);
        out.append("\n");
        line(out, "   Planetary albedo:          ", p.albedo, 7, 3, "\n");
        line(out, "   Length of year (in years): ", p.year_days / 365.25, 7, 2, "\n");
        line(out, "   Length of day (in hours):  ", p.day_hours, 7, 2, "\n\n");
        ++number;
    }
}

bool write_text_file(const char* path, const std::string& text) {
    std::FILE* f = std::fopen(path, "w");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (ok && std::fflush(f) != 0) ok = false;
    int saved = errno;
    if (std::fclose(f) != 0) {
        if (ok) saved = errno;
        ok = false;
    }
    errno = saved;
    return ok;
}

}  // namespace orrery
