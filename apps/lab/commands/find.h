// The lines find writes for a planet that meets the criteria.
#pragma once

#include <cstdint>
#include <string>

#include <orrery/system.h>

namespace orrery::lab {

// text: "seed S planet N: ..." with the values the criteria look at;
// jsonl: {"seed": S, "planet": {...}} with every field of the planet.
void append_found_line(std::string& out, std::uint32_t seed, int number, const Planet& p, bool jsonl);

}  // namespace orrery::lab
