// The system report: the star's header and one block per planet, as text.
#pragma once

#include <string>
#include <vector>

#include "driver/planet.h"

namespace orrery {

// The label naming the lightest listed gas heavier than the smallest
// molecular weight retained, e.g. "   (N2)\n"; "\n" when there is none.
const char* gas_label(double min_molecular_weight);

// Appends the whole report to out.
void append_system_report(std::string& out, const Star& star, const std::vector<Planet>& planets);

// Writes text to path (created or truncated). On failure to open, write,
// flush or close, returns false and leaves errno describing the failure.
bool write_text_file(const char* path, const std::string& text);

}  // namespace orrery
