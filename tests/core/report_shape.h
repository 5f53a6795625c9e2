// The shape of what a run writes, checked line by line: the report's header
// and planet blocks (every line in its place, every number a finite value in
// its printf field) and the progress lines. A reader of the report, human or
// program, relies on exactly this shape.
#pragma once

#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace orrery::testing {

namespace shape_detail {

// One line of the report: literal text, then (when width > 0) a number as
// printf("%<width>.<precision>f") or, with precision < 0, printf("%<width>d")
// writes it, then one of the allowed endings.
struct LineShape {
    const char* prefix;
    int width;
    int precision;
    std::vector<std::string_view> endings;
};

inline const std::vector<std::string_view>& gas_endings() {
    static const std::vector<std::string_view> endings = {
        "",         "   (H2)",  "   (He)",  "   (CH4)", "   (NH3)", "   (H2O)", "   (Ne)",
        "   (N2)",  "   (NO)",  "   (O2)",  "   (H2S)", "   (Ar)",  "   (CO2)", "   (NO2)",
        "   (O3)",  "   (SO2)", "   (SO3)", "   (Kr)",  "   (Xe)",
    };
    return endings;
}

struct Shapes {
    LineShape header[5] = {
        {"Mass of central star:          ", 6, 3, {" solar masses"}},
        {"Luminosity of central star:    ", 6, 3, {" (relative to the sun)"}},
        {"Total main sequence lifetime:  ", 6, 0, {" million years"}},
        {"Current age of stellar system: ", 6, 0, {" million years"}},
        {"Radius of habitable ecosphere: ", 6, 3, {" AU"}},
    };
    LineShape orbit[8] = {
        {"   Distance from primary star (in A.U.): ", 7, 3, {""}},
        {"   Eccentricity of orbit:                ", 7, 3, {""}},
        {"   Mass (in Earth masses):               ", 7, 3, {""}},
        {"   Equatorial radius (in Km):            ", 7, 1, {""}},
        {"   Density (in g/cc):                    ", 7, 3, {""}},
        {"   Escape Velocity (in km/sec):          ", 7, 2, {""}},
        {"   Smallest molecular weight retained:   ", 7, 2, gas_endings()},
        {"   Surface acceleration (in cm/sec2):    ", 7, 2, {""}},
    };
    LineShape gravity{"   Surface Gravity (in Earth gees):      ", 7, 2, {""}};
    LineShape boiling{"   Boiling point of water (celcius):     ", 7, 1, {""}};
    LineShape pressure{"   Surface Pressure (in atmospheres):    ", 7, 3, {"", "     RUNAWAY GREENHOUSE EFFECT"}};
    LineShape temperature{"   Surface temperature (Celcius):        ", 7, 2, {""}};
    LineShape cover[3] = {
        {"   Hydrosphere percentage: ", 6, 2, {""}},
        {"   Cloud cover percentage: ", 6, 2, {""}},
        {"   Ice cover percentage:   ", 6, 2, {""}},
    };
    LineShape tail[4] = {
        {"   Axial tilt (in degrees):   ", 7, -1, {""}},
        {"   Planetary albedo:          ", 7, 3, {""}},
        {"   Length of year (in years): ", 7, 2, {""}},
        {"   Length of day (in hours):  ", 7, 2, {""}},
    };
};

inline const Shapes& shapes() {
    static const Shapes s;
    return s;
}

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Checks that text starts with a number exactly as printf writes it into a
// field of the given width and precision: spaces up to the width, an optional
// minus, digits, and (for precision > 0) a point and exactly that many
// digits. The number must parse completely and be finite. On success returns
// the field's length; otherwise returns 0 and says why.
inline std::size_t match_number(std::string_view text, int width, int precision, std::string& why) {
    std::size_t spaces = 0;
    while (spaces < text.size() && text[spaces] == ' ') ++spaces;
    std::size_t i = spaces;
    if (i < text.size() && text[i] == '-') ++i;
    std::size_t int_start = i;
    while (i < text.size() && is_digit(text[i])) ++i;
    if (i == int_start) {
        why = "no number where one belongs";
        return 0;
    }
    if (precision > 0) {
        if (i >= text.size() || text[i] != '.') {
            why = "number without its decimal point";
            return 0;
        }
        ++i;
        std::size_t frac_start = i;
        while (i < text.size() && is_digit(text[i])) ++i;
        if (i - frac_start != static_cast<std::size_t>(precision)) {
            why = "number with " + std::to_string(i - frac_start) + " decimals instead of " +
                  std::to_string(precision);
            return 0;
        }
    }
    std::size_t token = i - spaces;
    std::size_t want_spaces = token < static_cast<std::size_t>(width) ? width - token : 0;
    if (spaces != want_spaces) {
        why = "number padded with " + std::to_string(spaces) + " spaces instead of " +
              std::to_string(want_spaces);
        return 0;
    }
    std::string number(text.substr(spaces, token));
    char* end = nullptr;
    double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size() || !std::isfinite(value)) {
        why = "number '" + number + "' does not parse as a finite value";
        return 0;
    }
    return i;
}

inline bool match_line(std::string_view line, const LineShape& shape, std::string& why) {
    std::string_view prefix(shape.prefix);
    if (line.substr(0, prefix.size()) != prefix) {
        why = "expected a line starting '" + std::string(prefix) + "'";
        return false;
    }
    std::string_view rest = line.substr(prefix.size());
    if (shape.width > 0) {
        std::size_t n = match_number(rest, shape.width, shape.precision, why);
        if (n == 0) return false;
        rest = rest.substr(n);
    }
    for (std::string_view ending : shape.endings)
        if (rest == ending) return true;
    why = "unexpected text '" + std::string(rest) + "' after the value";
    return false;
}

inline bool starts_with(std::string_view line, const char* prefix) {
    return line.substr(0, std::string_view(prefix).size()) == prefix;
}

}  // namespace shape_detail

// What check_report_shape found: the first fault (empty when the report is
// well formed), the number of planet blocks and, per block, whether it is a
// gas giant's.
struct ReportShape {
    std::string fault;
    std::vector<bool> gas_giant;
    bool ok() const { return fault.empty(); }
};

inline ReportShape check_report_shape(std::string_view report) {
    using namespace shape_detail;
    const Shapes& s = shapes();
    ReportShape result;

    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < report.size();) {
        std::size_t nl = report.find('\n', start);
        if (nl == std::string_view::npos) {
            result.fault = "the last line has no line feed (the file is cut short)";
            return result;
        }
        lines.push_back(report.substr(start, nl - start));
        start = nl + 1;
    }
    for (std::size_t k = 0; k < lines.size(); ++k)
        for (char c : lines[k])
            if (c < ' ' || c > '~') {
                result.fault = "line " + std::to_string(k + 1) + ": a byte that is not printable ASCII";
                return result;
            }

    std::size_t at = 0;
    auto fail = [&](const std::string& why) {
        result.fault = "line " + std::to_string(at + 1) + ": " + why;
        if (at < lines.size()) result.fault += " (found '" + std::string(lines[at]) + "')";
        return result;
    };
    auto more = [&] { return at < lines.size(); };
    auto expect_literal = [&](std::string_view text) {
        if (!more() || lines[at] != text) return false;
        ++at;
        return true;
    };
    std::string why;
    auto expect_shape = [&](const LineShape& shape) {
        if (!more()) {
            why = "the report ends where a line starting '" + std::string(shape.prefix) + "' belongs";
            return false;
        }
        if (!match_line(lines[at], shape, why)) return false;
        ++at;
        return true;
    };
    auto optional_shape = [&](const LineShape& shape) {
        if (more() && starts_with(lines[at], shape.prefix)) return expect_shape(shape);
        return true;
    };

    if (!expect_literal("                         SYSTEM  CHARACTERISTICS"))
        return fail("expected the title line");
    for (const LineShape& shape : s.header)
        if (!expect_shape(shape)) return fail(why);
    if (!expect_literal("")) return fail("expected the blank line after the header");

    for (int number = 1; more(); ++number) {
        if (!expect_literal("Planet #" + std::to_string(number) + ":"))
            return fail("expected the heading of planet " + std::to_string(number));
        bool giant = expect_literal("Gas giant...");
        expect_literal("In resonant period with primary.");
        for (const LineShape& shape : s.orbit)
            if (!expect_shape(shape)) return fail(why);
        if (!giant) {
            if (!expect_shape(s.gravity)) return fail(why);
            if (!optional_shape(s.boiling) || !optional_shape(s.pressure)) return fail(why);
            if (!expect_shape(s.temperature)) return fail(why);
            for (const LineShape& shape : s.cover)
                if (!optional_shape(shape)) return fail(why);
        }
        for (const LineShape& shape : s.tail)
            if (!expect_shape(shape)) return fail(why);
        if (!expect_literal("")) return fail("expected the blank line that ends planet " + std::to_string(number));
        result.gas_giant.push_back(giant);
    }
    return result;
}

// Checks the progress lines of one generation: each is one of the known
// messages, "...maybe: " carries a finite number as "%f" writes it, and every
// accretion message comes before every planet-pipeline message. Returns the
// first fault, or "" when there is none.
inline std::string check_progress_shape(std::string_view progress) {
    using namespace shape_detail;
    if (!progress.empty() && progress.back() != '\n') return "the last progress line has no line feed";
    bool pipeline_started = false;
    std::size_t number = 0;
    for (std::size_t start = 0; start < progress.size();) {
        std::size_t nl = progress.find('\n', start);
        std::string_view line = progress.substr(start, nl - start);
        start = nl + 1;
        ++number;
        std::string where = "progress line " + std::to_string(number) + " '" + std::string(line) + "': ";
        bool accretion = line == ".. Injecting protoplanet." || line == ".. failed due to large neighbor." ||
                         line == "Collision between two planetesimals!";
        if (accretion) {
            if (pipeline_started) return where + "an accretion message after the planet pipeline began";
            continue;
        }
        pipeline_started = true;
        if (line == "...resonance...") continue;
        if (starts_with(line, "...maybe: ")) {
            std::string why;
            std::string_view value = line.substr(10);
            std::size_t n = match_number(value, 0, 6, why);
            if (n == 0) return where + why;
            if (n != value.size()) return where + "text after the value";
            continue;
        }
        return where + "not a message the program writes";
    }
    return "";
}

}  // namespace orrery::testing
