// The page about one system: the diagram, the star and a table of the
// planets. One file that opens anywhere, offline, with no script: it can be
// mailed, archived or put on a web site as it is.
#include <cmath>
#include <string>
#include <vector>

#include <orrery/pictures.h>

#include "pictures/look.h"
#include "pictures/plot.h"
#include "pictures/xml.h"

namespace orrery {
namespace {

constexpr char DEGREES_C[] = "\xC2\xB0" "C";
constexpr char DASH[] = "\xE2\x80\x94";  // em dash: no value

// Written to read the same in any browser, and well formed as XML too, so
// that a checker can parse it strictly.
constexpr char STYLE[] = R"(
:root { color-scheme: light; }
body { margin: 0; background: #FFFFFF; color: #1A1A1A;
  font: 16px/1.45 'DejaVu Sans', 'Segoe UI', Roboto, 'Helvetica Neue', Arial, sans-serif; }
main { max-width: 1280px; margin: 0 auto; padding: 16px; }
h1 { font-size: 1.6em; margin: 0.3em 0 0.2em; }
h2 { font-size: 1.25em; margin: 1.4em 0 0.5em; }
.scroll { overflow-x: auto; -webkit-overflow-scrolling: touch; }
figure { margin: 0; }
figure svg { display: block; width: 100%; min-width: 720px; height: auto; }
figcaption { color: #444444; font-size: 0.9em; margin-top: 0.4em; }
dl.star { display: grid; grid-template-columns: max-content auto; gap: 0.25em 1.2em; margin: 0; }
dl.star dt { font-weight: bold; }
dl.star dd { margin: 0; font-variant-numeric: tabular-nums; }
table { border-collapse: collapse; font-variant-numeric: tabular-nums; white-space: nowrap; font-size: 0.94em; }
caption { text-align: left; color: #444444; padding-bottom: 0.4em; }
th, td { padding: 0.35em 0.45em; border-bottom: 1px solid #D8D8D8; }
tbody th, td { vertical-align: middle; }
td.notes { white-space: normal; min-width: 11em; color: #444444; }
th { text-align: right; vertical-align: bottom; background: #F2F2F2; }
th .unit { display: block; font-weight: normal; color: #555555; font-size: 0.9em; }
th.text, td.text { text-align: left; }
td { text-align: right; }
tr.gas-giant td { background: #FDF6E7; }
td.none { color: #777777; text-align: center; }
.swatch { display: inline-block; width: 0.85em; height: 0.85em; border-radius: 50%;
  border: 1px solid #1A1A1A; vertical-align: -0.1em; margin-right: 0.4em; }
.swatch.gas-giant { background: repeating-linear-gradient(180deg, #E69F00 0 22%, #B77E00 22% 32%); }
.swatch.hot { background: #D55E00; }
.swatch.temperate { background: #009E73; }
.swatch.cold { background: #56B4E9; }
.swatch.unknown { background: #999999; }
.notes { color: #444444; font-size: 0.92em; }
footer { margin-top: 2em; color: #666666; font-size: 0.85em; }
@media (max-width: 600px) { body { font-size: 15px; } main { padding: 10px; } }
)";

struct Kind {
    const char* css;
    const char* text;
};

Kind kind_of(const Planet& p) {
    switch (planet_look(p)) {
        case PlanetLook::gas_giant: return {"gas-giant", "Gas giant"};
        case PlanetLook::rocky_hot: return {"hot", "Rocky, hot"};
        case PlanetLook::rocky_temperate: return {"temperate", "Rocky, temperate"};
        case PlanetLook::rocky_cold: return {"cold", "Rocky, cold"};
        case PlanetLook::rocky_unknown: break;
    }
    return {"unknown", "Rocky"};
}

std::string notes_of(const Planet& p) {
    std::vector<std::string> notes;
    if (!p.is_gas_giant && p.runaway_greenhouse) notes.push_back("runaway greenhouse");
    if (p.in_resonance)
        notes.push_back("spin in resonance with the orbit");
    else if (spin_locked(p))
        notes.push_back("spin locked: one day per year");
    if (!p.is_gas_giant && p.ice_cover > 0.01 && p.ice_cover <= 1.0)
        notes.push_back("ice " + fixed(p.ice_cover * 100.0, 0) + "%");
    if (!p.is_gas_giant && p.cloud_cover > 0.01 && p.cloud_cover <= 1.0)
        notes.push_back("clouds " + fixed(p.cloud_cover * 100.0, 0) + "%");
    std::string s;
    for (const std::string& n : notes) s += (s.empty() ? "" : "; ") + n;
    return s;
}

void number_cell(XmlWriter& w, const std::string& text) { w.element("td", {}, text); }

void none_cell(XmlWriter& w, const char* why) { w.element("td", {{"class", "none"}, {"title", why}}, DASH); }

void planet_row(XmlWriter& w, std::size_t number, const Planet& p) {
    const Kind kind = kind_of(p);
    const bool giant = p.is_gas_giant != 0;
    w.open("tr", {{"class", giant ? "gas-giant" : "rocky"}});
    w.element("th", {{"scope", "row"}}, std::to_string(number));
    w.open("td", {{"class", "text"}});
    w.element("span", {{"class", std::string("swatch ") + kind.css}, {"aria-hidden", "true"}}, "");
    w.text(kind.text);
    w.close();
    number_cell(w, fixed(p.distance, 3));
    number_cell(w, fixed(p.eccentricity, 3));
    number_cell(w, fixed_significant(p.mass * EARTH_MASSES_PER_SOLAR_MASS, 3, 3));
    number_cell(w, fixed(p.radius, 0));
    if (giant) {
        // A gas giant has no solid surface to stand on: no gravity,
        // temperature, pressure or ocean to give.
        for (int i = 0; i < 4; ++i) none_cell(w, "no solid surface");
    } else {
        number_cell(w, fixed(p.surface_gravity, 2));
        number_cell(w, fixed(p.surface_temp - 273.0, 1));
        if (p.surface_pressure > 1e-5)
            number_cell(w, fixed_significant(p.surface_pressure / 1000.0, 3, 3));
        else
            none_cell(w, "no atmosphere");
        number_cell(w, fixed(p.hydrosphere * 100.0, 1));
    }
    number_cell(w, fixed(p.day_hours, 1));
    number_cell(w, fixed(p.year_days / 365.25, 2));
    w.element("td", {{"class", "text notes"}}, notes_of(p));
    w.close();
}

void star_entry(XmlWriter& w, const std::string& term, const std::string& value) {
    w.element("dt", {}, term);
    w.element("dd", {}, value);
}

}  // namespace

std::string system_page(const System& system) {
    const Star& star = system.star;
    const std::vector<Planet>& planets = system.planets;
    const std::string seed_text = std::to_string(system.seed);

    std::string diagram = system_svg(system);
    // Inline, the diagram is part of the page: it needs no XML declaration.
    if (diagram.rfind("<?xml", 0) == 0) diagram.erase(0, diagram.find('\n') + 1);

    XmlWriter w;
    open_html_page(w, "Planetary system of seed " + seed_text, STYLE);

    w.open("body");
    w.open("main");
    w.element("h1", {}, "Planetary system of seed " + seed_text);
    w.open("figure", {{"class", "diagram"}});
    w.open("div", {{"class", "scroll"}});
    w.raw(diagram);
    w.close();
    w.element("figcaption", {},
              "Distances on a logarithmic scale. Disc size follows the planet's radius; the line through each "
              "planet runs from its closest to its farthest point from the star.");
    w.close();

    w.element("h2", {}, "The star");
    w.open("dl", {{"class", "star"}});
    star_entry(w, "Mass", fixed(star.mass_ratio, 3) + " solar masses");
    star_entry(w, "Luminosity", fixed(star.luminosity_ratio, 3) + " (Sun = 1)");
    star_entry(w, "Age", fixed(star.age / 1e6, 0) + " million years");
    star_entry(w, "Main-sequence lifetime", fixed(star.main_sequence_life / 1e6, 0) + " million years");
    star_entry(w, "Ecosphere radius", fixed(star.ecosphere_radius, 3) + " AU");
    star_entry(w, "Runaway greenhouse inside", fixed(star.greenhouse_radius, 3) + " AU");
    w.close();

    w.element("h2", {}, "The planets");
    if (planets.empty()) {
        w.element("p", {}, "No planet formed around this star.");
    } else {
        w.open("div", {{"class", "scroll"}});
        w.open("table", {{"id", "planets"}});
        w.element("caption", {},
                  "Numbered as in the report. Gas giants have no solid surface, so they have no surface "
                  "values.");
        w.open("thead");
        w.open("tr");
        // Each heading names the value and, on a line of its own, its unit.
        struct Heading {
            const char* name;
            const char* unit;
            bool text;
        };
        const Heading headings[] = {
            {"#", "", false},
            {"Kind", "", true},
            {"Distance", "AU", false},
            {"Eccentricity", "", false},
            {"Mass", "Earth masses", false},
            {"Radius", "km", false},
            {"Gravity", "Earth g", false},
            {"Temperature", DEGREES_C, false},
            {"Pressure", "atm", false},
            {"Water", "% of surface", false},
            {"Day", "hours", false},
            {"Year", "Earth years", false},
            {"Notes", "", true},
        };
        for (const Heading& h : headings) {
            if (h.text)
                w.open("th", {{"scope", "col"}, {"class", "text"}});
            else
                w.open("th", {{"scope", "col"}});
            w.text(h.name);
            if (*h.unit) w.element("span", {{"class", "unit"}}, h.unit);
            w.close();
        }
        w.close();
        w.close();
        w.open("tbody");
        for (std::size_t i = 0; i < planets.size(); ++i) planet_row(w, i + 1, planets[i]);
        w.close();
        w.close();
        w.close();
        w.element("p", {{"class", "notes"}},
                  std::string("Temperatures in ") + DEGREES_C +
                      " are the kelvin value less 273; pressure in atmospheres is millibars / 1000, as in the "
                      "report.");
    }
    w.element("footer", {}, "Made by orrery-lab page --seed " + seed_text + ".");
    w.close();
    w.close();
    w.close();
    return w.finish();
}

}  // namespace orrery
