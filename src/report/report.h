// The system report: the star's header and one block per planet, as text.
#pragma once

#include <string>
#include <vector>

#include <orrery/system.h>

namespace orrery {

// The label naming the lightest listed gas heavier than the smallest
// molecular weight retained, e.g. "   (N2)\n"; "\n" when there is none.
const char* gas_label(double min_molecular_weight);

// Appends the whole report to out (what format_report returns).
void append_system_report(std::string& out, const Star& star, const std::vector<Planet>& planets);

}  // namespace orrery
