// Systems as JSON: one object per system with the star's values and every
// planet field under its record name. Numbers read back as the same double;
// a value that does not apply or is not a number is null.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "orrery/orrery.h"

namespace orrery::lab {

using Json = nlohmann::ordered_json;

Json star_json(const Star& star);
// number: the planet's place in the list, from 1.
Json planet_json(const Planet& p, int number);
Json system_json(std::uint32_t seed, const Star& star, const std::vector<Planet>& planets);

// One line of JSON Lines (compact, newline-terminated).
void append_json_line(std::string& out, const Json& j);

}  // namespace orrery::lab
