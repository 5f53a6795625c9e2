// Planets as CSV: one row per planet, the seed and planet number first.
#include <orrery/formats.h>

#include <charconv>

#include "formats/fields.h"

namespace orrery {

namespace {

template <typename T>
void append_number(std::string& out, T value) {
    char buf[32];
    // Shortest text that reads back as the same value.
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, result.ptr);
}

}  // namespace

std::string csv_header() {
    std::string h = "seed,number,kind";
    for (const PlanetField& f : PLANET_FIELDS) {
        h += ',';
        h += f.name;
    }
    h += '\n';
    return h;
}

void append_csv_rows(std::string& out, const System& system) {
    int number = 1;
    for (const Planet& p : system.planets) {
        append_number(out, system.seed);
        out += ',';
        append_number(out, number++);
        out += ',';
        out += planet_kind(p);
        for (const PlanetField& f : PLANET_FIELDS) {
            out += ',';
            if (!has_value(p, f)) continue;
            if (f.integer)
                append_number(out, p.*(f.integer));
            else
                append_number(out, p.*(f.real));
        }
        out += '\n';
    }
}

}  // namespace orrery
