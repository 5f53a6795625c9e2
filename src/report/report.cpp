#include "report/report.h"

#include <orrery/report.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "generation/constants.h"
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

// Gathers the report in a buffer on the stack and appends it to the string a
// few kilobytes at a time. A report is a few hundred short lines; appending
// each piece separately would re-check the string's capacity and call the C
// library's copy for every one of them. (Blocks stay below the size at which
// the C library switches to its string-move instruction.)
class ReportWriter {
public:
    explicit ReportWriter(std::string& out) : out_(out) {}
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    // Appends what is still buffered; call once, at the end.
    void finish() { flush(); }

    template <std::size_t N>
    void text(const char (&s)[N]) {
        static_assert(N <= ROOM, "a fixed piece of text longer than a line");
        room(N);
        std::memcpy(cursor_, s, N - 1);
        cursor_ += N - 1;
    }

    void text_of(const char* s) {
        std::size_t n = std::strlen(s);
        if (n > ROOM) {
            flush();
            out_.append(s, n);
            return;
        }
        room(n);
        std::memcpy(cursor_, s, n);
        cursor_ += n;
    }

    // printf's "%*.*f" (the report's widths are small).
    void number(double value, int width, int precision) {
        room(FIXED_FORMAT_MAX + 8);
        cursor_ += format_fixed(cursor_, value, width, precision);
    }

    // printf's "%*d" (the report's widths are small).
    void integer(int value, int width) {
        room(FIXED_INT_MAX + 8);
        cursor_ += format_int(cursor_, value, width);
    }

    // One labelled value.
    template <std::size_t N, std::size_t M>
    void line(const char (&label)[N], double value, int width, int precision, const char (&tail)[M]) {
        text(label);
        number(value, width, precision);
        text(tail);
    }

private:
    static constexpr std::size_t SIZE = 3584;
    static constexpr std::size_t ROOM = 512;  // the most one piece may need

    void room(std::size_t n) {
        if (static_cast<std::size_t>(buf_ + SIZE - cursor_) < n) flush();
    }

    void flush() {
        out_.append(buf_, static_cast<std::size_t>(cursor_ - buf_));
        cursor_ = buf_;
    }

    std::string& out_;
    char buf_[SIZE];
    char* cursor_ = buf_;
};

}  // namespace

const char* gas_label(double w) {
    for (const GasBound& gas : GAS_LABELS)
        if (w < gas.below) return gas.label;
    return "\n";
}

void append_system_report(std::string& out, const Star& star, const std::vector<Planet>& planets) {
    ReportWriter w(out);
    w.text("                         SYSTEM  CHARACTERISTICS\n");
    w.line("Mass of central star:          ", star.mass_ratio, 6, 3, " solar masses\n");
    w.line("Luminosity of central star:    ", star.luminosity_ratio, 6, 3, " (relative to the sun)\n");
    w.line("Total main sequence lifetime:  ", star.main_sequence_life / 1000000.0, 6, 0, " million years\n");
    w.line("Current age of stellar system: ", star.age / 1000000.0, 6, 0, " million years\n");
    w.line("Radius of habitable ecosphere: ", star.ecosphere_radius, 6, 3, " AU\n\n");

    int number = 1;
    for (const Planet& p : planets) {
        w.text("Planet #");
        w.integer(number, 0);
        w.text(":\n");
        if (p.is_gas_giant) w.text("Gas giant...\n");
        if (p.in_resonance) w.text("In resonant period with primary.\n");
        w.line("   Distance from primary star (in A.U.): ", p.distance, 7, 3, "\n");
        w.line("   Eccentricity of orbit:                ", p.eccentricity, 7, 3, "\n");
        w.line("   Mass (in Earth masses):               ", p.mass * EARTH_MASSES_PER_SOLAR_MASS, 7, 3, "\n");
        w.line("   Equatorial radius (in Km):            ", p.radius, 7, 1, "\n");
        w.line("   Density (in g/cc):                    ", p.density, 7, 3, "\n");
        w.line("   Escape Velocity (in km/sec):          ", p.escape_velocity / CM_PER_KM, 7, 2, "\n");
        w.text("   Smallest molecular weight retained:   ");
        w.number(p.min_molecular_weight, 7, 2);
        w.text_of(gas_label(p.min_molecular_weight));
        w.line("   Surface acceleration (in cm/sec2):    ", p.surface_accel, 7, 2, "\n");
        if (!p.is_gas_giant) {
            w.line("   Surface Gravity (in Earth gees):      ", p.surface_gravity, 7, 2, "\n");
            if (p.boiling_point > 0.1)
                w.line("   Boiling point of water (celcius):     ", p.boiling_point - 273.0, 7, 1, "\n");
            if (p.surface_pressure > 1e-5) {
                w.text("   Surface Pressure (in atmospheres):    ");
                w.number(p.surface_pressure / 1000.0, 7, 3);
                if (p.runaway_greenhouse) w.text("     RUNAWAY GREENHOUSE EFFECT\n");
                else w.text("\n");
            }
            w.line("   Surface temperature (Celcius):        ", p.surface_temp - 273.0, 7, 2, "\n");
            if (p.hydrosphere > 0.01) w.line("   Hydrosphere percentage: ", p.hydrosphere * 100.0, 6, 2, "\n");
            if (p.cloud_cover > 0.01) w.line("   Cloud cover percentage: ", p.cloud_cover * 100.0, 6, 2, "\n");
            if (p.ice_cover > 0.01) w.line("   Ice cover percentage:   ", p.ice_cover * 100.0, 6, 2, "\n");
        }
        w.text("   Axial tilt (in degrees):   ");
        w.integer(p.axial_tilt, 7);
        w.text("\n");
        w.line("   Planetary albedo:          ", p.albedo, 7, 3, "\n");
        w.line("   Length of year (in years): ", p.year_days / 365.25, 7, 2, "\n");
        w.line("   Length of day (in hours):  ", p.day_hours, 7, 2, "\n\n");
        ++number;
    }
    w.finish();
}

void append_report(std::string& out, const System& system) {
    append_system_report(out, system.star, system.planets);
}

std::string format_report(const System& system) {
    std::string out;
    // A report is a few hundred lines; room for a large one at once.
    out.reserve(16384);
    append_report(out, system);
    return out;
}

bool write_text_file(const char* path, std::string_view text) {
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
