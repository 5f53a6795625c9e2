// Systems as JSON. nlohmann's writer gives each double its shortest text
// that reads back as the same value.
#include <orrery/formats.h>

#include <cmath>

#include <nlohmann/json.hpp>

#include "formats/fields.h"

namespace orrery {

namespace {

using Json = nlohmann::ordered_json;

Json number_or_null(double v) { return std::isfinite(v) ? Json(v) : Json(nullptr); }

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

Json system_json(const System& system) {
    Json j = Json::object();
    j["seed"] = system.seed;
    j["star"] = star_json(system.star);
    Json list = Json::array();
    int number = 1;
    for (const Planet& p : system.planets) list.push_back(planet_json(p, number++));
    j["planets"] = std::move(list);
    return j;
}

}  // namespace

std::string to_json(const System& system) { return system_json(system).dump(); }

std::string to_json_document(const System& system) {
    std::string text = system_json(system).dump(2);
    text += '\n';
    return text;
}

std::string planet_to_json(const Planet& planet, int number) { return planet_json(planet, number).dump(); }

std::string found_planet_json(std::uint32_t seed, int number, const Planet& planet) {
    Json j = Json::object();
    j["seed"] = seed;
    j["planet"] = planet_json(planet, number);
    return j.dump();
}

}  // namespace orrery
