#include "json.h"

#include <cmath>

#include "fields.h"

namespace orrery::lab {

namespace {

Json number_or_null(double v) { return std::isfinite(v) ? Json(v) : Json(nullptr); }

}  // namespace

Json star_json(const Star& star) {
    Json j = Json::object();
    for (const StarField& f : STAR_FIELDS) j[f.name] = number_or_null(star.*(f.real));
    return j;
}

Json planet_json(const Planet& p, int number) {
    Json j = Json::object();
    j["number"] = number;
    j["kind"] = planet_kind(p);
    for (const PlanetField& f : PLANET_FIELDS) {
        if (!has_value(p, f))
            j[f.name] = nullptr;
        else if (f.integer)
            j[f.name] = p.*(f.integer);
        else
            j[f.name] = p.*(f.real);
    }
    return j;
}

Json system_json(std::uint32_t seed, const Star& star, const std::vector<Planet>& planets) {
    Json j = Json::object();
    j["seed"] = seed;
    j["star"] = star_json(star);
    Json list = Json::array();
    int number = 1;
    for (const Planet& p : planets) list.push_back(planet_json(p, number++));
    j["planets"] = std::move(list);
    return j;
}

void append_json_line(std::string& out, const Json& j) {
    out += j.dump();
    out += '\n';
}

}  // namespace orrery::lab
