// Planets as CSV: one row per planet, the seed and planet number first, then
// the kind and every record field. A value that does not apply or is not a
// number is an empty cell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orrery/orrery.h"

namespace orrery::lab {

// The header row, newline included.
std::string csv_header();
// One row per planet of the system.
void append_csv_rows(std::string& out, std::uint32_t seed, const std::vector<Planet>& planets);

}  // namespace orrery::lab
