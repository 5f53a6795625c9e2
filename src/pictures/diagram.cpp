// The diagram of one system: the star on the left, the planets along a
// logarithmic distance axis, each a disc whose size follows its radius and
// whose colour tells what kind of world it is.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <orrery/pictures.h>

#include "pictures/look.h"
#include "pictures/plot.h"
#include "pictures/xml.h"

namespace orrery {

PlanetLook planet_look(const Planet& p) {
    if (p.is_gas_giant) return PlanetLook::gas_giant;
    double celsius = p.surface_temp - 273.0;
    if (!std::isfinite(celsius) || p.surface_temp >= HUGE_VALUE) return PlanetLook::rocky_unknown;
    if (celsius < 0.0) return PlanetLook::rocky_cold;
    if (celsius <= 50.0) return PlanetLook::rocky_temperate;
    return PlanetLook::rocky_hot;
}

bool shows_water(const Planet& p) {
    return !p.is_gas_giant && p.hydrosphere >= 0.5 && p.hydrosphere <= 1.0;
}

bool spin_locked(const Planet& p) {
    // A locked spin keeps one face to the star: the day is the whole year, or
    // the resonant fraction of it on an eccentric orbit.
    return p.in_resonance != 0 || p.day_hours == p.year_days * 24.0;
}

namespace svg {

std::string_view look_colour(PlanetLook look) {
    switch (look) {
        case PlanetLook::gas_giant: return palette::ORANGE;
        case PlanetLook::rocky_hot: return palette::VERMILLION;
        case PlanetLook::rocky_temperate: return palette::BLUISH_GREEN;
        case PlanetLook::rocky_cold: return palette::SKY_BLUE;
        case PlanetLook::rocky_unknown: return UNKNOWN_GREY;
    }
    return UNKNOWN_GREY;
}

std::string look_fill(PlanetLook look) {
    // Gas giants carry cloud bands as well as their colour, so the kind
    // reads even without telling colours apart.
    if (look == PlanetLook::gas_giant) return "url(#gas-giant-bands)";
    return std::string(look_colour(look));
}

double disc_radius(double radius_km) {
    // Area-true sizes would make a Moon-sized world invisible next to a
    // giant; the square root keeps both in view (1,700 km gives about 4 px,
    // 70,000 km about 27 px).
    if (!(radius_km > 0.0) || !std::isfinite(radius_km)) return 3.0;
    return std::clamp(3.2 * std::sqrt(radius_km / 1000.0), 3.0, 34.0);
}

void write_defs(XmlWriter& w) {
    w.open("defs");
    w.open("pattern", {{"id", "gas-giant-bands"},
                       {"patternUnits", "objectBoundingBox"},
                       {"patternContentUnits", "objectBoundingBox"},
                       {"width", "1"},
                       {"height", "1"}});
    w.empty("rect", {{"width", "1"}, {"height", "1"}, {"fill", std::string(palette::ORANGE)}});
    w.empty("rect", {{"y", "0.22"}, {"width", "1"}, {"height", "0.12"}, {"fill", GIANT_BAND}});
    w.empty("rect", {{"y", "0.52"}, {"width", "1"}, {"height", "0.09"}, {"fill", GIANT_BAND}});
    w.empty("rect", {{"y", "0.74"}, {"width", "1"}, {"height", "0.07"}, {"fill", GIANT_BAND}});
    w.close();
    w.open("radialGradient", {{"id", "star-glow"}, {"cx", "0.5"}, {"cy", "0.5"}, {"r", "0.5"}});
    w.empty("stop", {{"offset", "0"}, {"stop-color", "#FFFBE0"}});
    w.empty("stop", {{"offset", "0.55"}, {"stop-color", std::string(palette::YELLOW)}});
    w.empty("stop", {{"offset", "1"}, {"stop-color", std::string(palette::ORANGE)}});
    w.close();
    w.close();
}

void planet_disc(XmlWriter& w, double cx, double cy, double r, PlanetLook look, bool water) {
    w.empty("circle", {{"cx", svg_num(cx)},
                       {"cy", svg_num(cy)},
                       {"r", svg_num(r)},
                       {"fill", look_fill(look)},
                       {"stroke", std::string(OUTLINE)},
                       {"stroke-width", "1.2"}});
    if (water) {
        // An ocean ring inside the rim: the disc keeps its true size.
        double ring = std::max(2.5, r * 0.32);
        w.empty("circle", {{"cx", svg_num(cx)},
                           {"cy", svg_num(cy)},
                           {"r", svg_num(std::max(r - ring / 2, ring / 2))},
                           {"fill", "none"},
                           {"stroke", std::string(palette::BLUE)},
                           {"stroke-width", svg_num(ring)}});
    }
}

}  // namespace svg

namespace {

using namespace svg;

constexpr double WIDTH = 1200;
constexpr double AXIS_LEFT = 150;
constexpr double AXIS_RIGHT = WIDTH - 60;
constexpr double STAR_RADIUS = 78;
// The outer edge of the shaded zone, as a multiple of the ecosphere radius:
// beyond it even a thick carbon-dioxide atmosphere cannot keep water liquid.
// Its inner edge is the star's runaway-greenhouse radius.
constexpr double ZONE_OUTER = 1.37;

struct Placed {
    std::size_t index = 0;  // in the report's order
    double x = 0, peri_x = 0, apo_x = 0, r = 0;
    int lane = 0;
};

bool usable(const Planet& p) {
    return std::isfinite(p.distance) && p.distance > 0.0 && std::isfinite(p.eccentricity);
}

// An orbit that grazes the star is drawn to a hundredth of its distance: the
// log axis has no zero.
double periapsis(const Planet& p) {
    return std::max(p.distance * (1.0 - std::clamp(p.eccentricity, 0.0, 1.0)), p.distance * 0.01);
}
double apoapsis(const Planet& p) { return p.distance * (1.0 + std::clamp(p.eccentricity, 0.0, 1.0)); }

// The distance axis covers 0.1 to 100 AU, where almost every planet lies, so
// that diagrams of different systems compare at a glance; it widens by whole
// decades for anything beyond.
LogAxis distance_axis(const Star& star, const std::vector<Planet>& planets) {
    double lo = 0.1, hi = 100.0;
    auto widen = [&](double v) {
        if (std::isfinite(v) && v > 0.0) lo = std::min(lo, v), hi = std::max(hi, v);
    };
    for (const Planet& p : planets) {
        if (!usable(p)) continue;
        widen(p.distance);
        widen(periapsis(p));
        widen(apoapsis(p));
    }
    widen(star.greenhouse_radius);
    widen(star.ecosphere_radius * ZONE_OUTER);
    lo = std::max(std::pow(10.0, std::floor(std::log10(lo))), 1e-4);
    hi = std::min(std::pow(10.0, std::ceil(std::log10(hi))), 1e6);
    return LogAxis(lo, hi, AXIS_LEFT, AXIS_RIGHT);
}

std::string tooltip(std::size_t number, const Planet& p) {
    std::string s = "Planet " + std::to_string(number) + ": ";
    s += p.is_gas_giant ? "gas giant" : "rocky";
    s += ", " + fixed(p.distance, 3) + " AU, " + fixed(p.mass * EARTH_MASSES_PER_SOLAR_MASS, 3) +
         " Earth masses, radius " + fixed(p.radius, 0) + " km";
    if (!p.is_gas_giant) {
        s += ", " + fixed(p.surface_temp - 273.0, 1) + " \xC2\xB0" "C";
        if (p.hydrosphere > 0.01 && p.hydrosphere <= 1.0) s += ", water " + fixed(p.hydrosphere * 100.0, 0) + "%";
    }
    return s;
}

}  // namespace

std::string system_svg(const System& system) {
    const std::uint32_t seed = system.seed;
    const Star& star = system.star;
    const std::vector<Planet>& planets = system.planets;
    const LogAxis axis = distance_axis(star, planets);

    // Planets in order of distance, each on the first lane (the middle one
    // first, then alternately above and below) where neither its disc, its
    // number nor its span from periapsis to apoapsis touches another's.
    std::vector<Placed> placed;
    double largest = 0;
    for (std::size_t i = 0; i < planets.size(); ++i) {
        const Planet& p = planets[i];
        if (!usable(p)) continue;
        Placed q;
        q.index = i;
        q.x = axis.x(p.distance);
        q.peri_x = axis.x(periapsis(p));
        q.apo_x = axis.x(apoapsis(p));
        q.r = disc_radius(p.radius);
        largest = std::max(largest, q.r);
        placed.push_back(q);
    }
    std::stable_sort(placed.begin(), placed.end(), [&](const Placed& a, const Placed& b) {
        return planets[a.index].distance < planets[b.index].distance;
    });
    constexpr double NUMBER_FONT = 19;
    // Lane k of the search order 0, -1, 1, -2, 2, ... (negative above).
    std::vector<std::vector<std::pair<double, double>>> lanes_taken;
    int lane_min = 0, lane_max = 0;
    for (Placed& q : placed) {
        double half_label = text_width(std::to_string(q.index + 1), NUMBER_FONT) / 2;
        double from = std::min({q.peri_x, q.x - q.r, q.x - half_label}) - 10;
        double to = std::max({q.apo_x, q.x + q.r, q.x + half_label}) + 10;
        for (std::size_t k = 0;; ++k) {
            if (lanes_taken.size() <= k) lanes_taken.resize(k + 1);
            bool clear = true;
            for (auto [a, b] : lanes_taken[k])
                if (from < b && a < to) clear = false;
            if (!clear) continue;
            lanes_taken[k].emplace_back(from, to);
            int lane = (k % 2 == 1) ? -static_cast<int>((k + 1) / 2) : static_cast<int>(k / 2);
            q.lane = lane;
            lane_min = std::min(lane_min, lane);
            lane_max = std::max(lane_max, lane);
            break;
        }
    }

    // Vertical layout.
    const double pitch = std::max(64.0, 2 * largest + NUMBER_FONT + 26);
    const double zone_top = 112;
    const double lanes_top = zone_top + 38;
    const int lane_count = lane_max - lane_min + 1;
    const double axis_y = lanes_top + lane_count * pitch + 8;
    auto lane_y = [&](int lane) { return lanes_top + (lane - lane_min) * pitch + pitch / 2 + 6; };
    const double middle_y = lane_y(0);
    const double legend_top = axis_y + 104;

    // The legend is laid out first: its rows decide the picture's height.
    constexpr double LEGEND_FONT = 18;
    LegendLayout legend(40, WIDTH - 40, legend_top, LEGEND_FONT);
    bool any_unknown = false;
    for (const Placed& q : placed) any_unknown |= planet_look(planets[q.index]) == PlanetLook::rocky_unknown;
    struct Item {
        enum Kind { disc, water, span, zone, eco, earth } kind;
        PlanetLook look;
        std::string text;
        double x = 0, y = 0;
    };
    std::vector<Item> items = {
        {Item::disc, PlanetLook::gas_giant, "gas giant"},
        {Item::disc, PlanetLook::rocky_hot, "rocky, hot: above 50 \xC2\xB0" "C"},
        {Item::disc, PlanetLook::rocky_temperate, "rocky, temperate: 0 to 50 \xC2\xB0" "C"},
        {Item::disc, PlanetLook::rocky_cold, "rocky, cold: below 0 \xC2\xB0" "C"},
    };
    if (any_unknown) items.push_back({Item::disc, PlanetLook::rocky_unknown, "rocky, temperature unknown"});
    items.push_back({Item::water, PlanetLook::rocky_cold, "water on half the surface or more"});
    items.push_back({Item::earth, PlanetLook::rocky_cold, "Earth's size"});
    items.push_back({Item::span, PlanetLook::rocky_cold, "periapsis to apoapsis"});
    items.push_back({Item::eco, PlanetLook::rocky_cold, "ecosphere radius"});
    items.push_back({Item::zone, PlanetLook::rocky_cold,
                     "habitable zone " + fixed(star.greenhouse_radius, 2) + "\xE2\x80\x93" +
                         fixed(star.ecosphere_radius * ZONE_OUTER, 2) + " AU"});
    for (Item& it : items) {
        it.x = legend.place(32, it.text);
        it.y = legend.row_y();
    }
    const double height = std::ceil(legend.bottom() + 14);

    XmlWriter w;
    w.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    w.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                   {"width", svg_num(WIDTH)},
                   {"height", svg_num(height)},
                   {"viewBox", "0 0 " + svg_num(WIDTH) + " " + svg_num(height)},
                   {"font-family", std::string(FONT_STACK)},
                   {"role", "img"},
                   {"aria-labelledby", "diagram-title"}});
    std::size_t giants = 0;
    for (const Planet& p : planets) giants += p.is_gas_giant != 0;
    const std::string headline = "Seed " + std::to_string(seed) + ": " + std::to_string(planets.size()) +
                                 (planets.size() == 1 ? " planet" : " planets") + ", " + std::to_string(giants) +
                                 (giants == 1 ? " gas giant" : " gas giants");
    w.element("title", {{"id", "diagram-title"}}, "Planetary system of seed " + std::to_string(seed));
    write_defs(w);
    w.empty("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "#FFFFFF"}});

    // Title.
    label(w, 40, 48, headline, 30, "start", "bold", INK);
    const std::string star_line = "Star of " + fixed(star.mass_ratio, 3) + " solar masses, luminosity " +
                                  fixed(star.luminosity_ratio, 3) + " (Sun = 1), " +
                                  fixed(star.age / 1e9, 2) + " billion years old";
    label(w, 40, 84, star_line, 21, "start", "normal", SOFT_INK);

    // Habitable zone and ecosphere radius.
    {
        double a = std::clamp(axis.x(star.greenhouse_radius), AXIS_LEFT, AXIS_RIGHT);
        double b = std::clamp(axis.x(star.ecosphere_radius * ZONE_OUTER), AXIS_LEFT, AXIS_RIGHT);
        if (b > a)
            w.empty("rect", {{"x", svg_num(a)},
                             {"y", svg_num(zone_top)},
                             {"width", svg_num(b - a)},
                             {"height", svg_num(axis_y - zone_top)},
                             {"fill", ZONE_FILL}});
    }

    // Grid and axis.
    draw_x_grid(w, axis, zone_top, axis_y);
    if (std::isfinite(star.ecosphere_radius) && star.ecosphere_radius > 0) {
        double x = axis.x(star.ecosphere_radius);
        w.empty("line", {{"x1", svg_num(x)},
                         {"y1", svg_num(zone_top)},
                         {"x2", svg_num(x)},
                         {"y2", svg_num(axis_y)},
                         {"stroke", std::string(palette::BLUISH_GREEN)},
                         {"stroke-width", "2.5"},
                         {"stroke-dasharray", "9 6"}});
        haloed_label(w, x, zone_top + 22, "ecosphere " + fixed(star.ecosphere_radius, 2) + " AU", 18, "middle",
                     "normal");
    }
    axis.draw(w, axis_y, "Distance from the star (AU, logarithmic scale)", 20);

    // The star, half beyond the left edge.
    w.open("g");
    w.element("title", {}, "Star: " + fixed(star.mass_ratio, 3) + " solar masses, luminosity " +
                               fixed(star.luminosity_ratio, 3));
    w.empty("circle", {{"cx", "0"},
                       {"cy", svg_num(middle_y)},
                       {"r", svg_num(STAR_RADIUS)},
                       {"fill", "url(#star-glow)"},
                       {"stroke", std::string(palette::ORANGE)},
                       {"stroke-width", "2"}});
    w.close();
    w.empty("line", {{"x1", svg_num(STAR_RADIUS + 4)},
                     {"y1", svg_num(lane_y(0))},
                     {"x2", svg_num(AXIS_RIGHT)},
                     {"y2", svg_num(lane_y(0))},
                     {"stroke", GRID_MAJOR},
                     {"stroke-width", "1.5"}});

    // Spans first, so that no line crosses a disc.
    for (const Placed& q : placed) {
        double y = lane_y(q.lane);
        double a = std::max(q.peri_x, AXIS_LEFT - 20), b = std::min(q.apo_x, AXIS_RIGHT);
        if (b - a < 1) continue;
        w.empty("line", {{"x1", svg_num(a)},
                         {"y1", svg_num(y)},
                         {"x2", svg_num(b)},
                         {"y2", svg_num(y)},
                         {"stroke", SPAN_INK},
                         {"stroke-width", "2.5"}});
        for (double end : {a, b})
            w.empty("line", {{"x1", svg_num(end)},
                             {"y1", svg_num(y - 7)},
                             {"x2", svg_num(end)},
                             {"y2", svg_num(y + 7)},
                             {"stroke", SPAN_INK},
                             {"stroke-width", "2.5"}});
    }
    for (const Placed& q : placed) {
        const Planet& p = planets[q.index];
        double y = lane_y(q.lane);
        w.open("g", {{"id", "planet-" + std::to_string(q.index + 1)}, {"class", "planet"}});
        w.element("title", {}, tooltip(q.index + 1, p));
        planet_disc(w, q.x, y, q.r, planet_look(p), shows_water(p));
        haloed_label(w, q.x, y - q.r - 7, std::to_string(q.index + 1), NUMBER_FONT, "middle", "bold");
        w.close();
    }
    if (placed.empty())
        label(w, (AXIS_LEFT + AXIS_RIGHT) / 2, middle_y + 8, "No planet formed around this star.", 22, "middle",
              "normal", SOFT_INK);

    // Legend.
    w.open("g", {{"class", "legend"}});
    for (const Item& it : items) {
        double cx = it.x + 16, cy = it.y;
        switch (it.kind) {
            case Item::disc: planet_disc(w, cx, cy, 11, it.look, false); break;
            case Item::water: planet_disc(w, cx, cy, 11, PlanetLook::rocky_cold, true); break;
            case Item::earth:
                w.empty("circle", {{"cx", svg_num(cx)},
                                   {"cy", svg_num(cy)},
                                   {"r", svg_num(disc_radius(6378.0))},
                                   {"fill", "none"},
                                   {"stroke", std::string(OUTLINE)},
                                   {"stroke-width", "1.5"}});
                break;
            case Item::span: {
                std::string d;
                for (double end : {it.x + 2, it.x + 30}) {
                    d += 'M';
                    d += svg_num(end) + ' ' + svg_num(cy - 7) + "v14";
                }
                d += 'M';
                d += svg_num(it.x + 2) + ' ' + svg_num(cy) + 'H' + svg_num(it.x + 30);
                w.empty("path", {{"d", d},
                                 {"stroke", SPAN_INK},
                                 {"stroke-width", "2.5"},
                                 {"fill", "none"}});
                break;
            }
            case Item::eco:
                w.empty("line", {{"x1", svg_num(cx)},
                                 {"y1", svg_num(cy - 13)},
                                 {"x2", svg_num(cx)},
                                 {"y2", svg_num(cy + 13)},
                                 {"stroke", std::string(palette::BLUISH_GREEN)},
                                 {"stroke-width", "2.5"},
                                 {"stroke-dasharray", "6 4"}});
                break;
            case Item::zone:
                w.empty("rect", {{"x", svg_num(it.x)},
                                 {"y", svg_num(cy - 12)},
                                 {"width", "32"},
                                 {"height", "24"},
                                 {"fill", ZONE_FILL}});
                break;
        }
        legend_text(w, it.x + 40, it.y, it.text, LEGEND_FONT);
    }
    w.close();
    w.close();
    return w.finish();
}

}  // namespace orrery
