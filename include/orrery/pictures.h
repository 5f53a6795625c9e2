// Pictures of one system: the diagram (SVG) and a page about it (HTML). Both
// are complete documents that fetch nothing from elsewhere, so they open
// offline, from a file or any web server, and can be mailed as they are.
//
// Thread safety: pure functions of their arguments.
#pragma once

#include <orrery/export.h>

#include <string>

#include <orrery/system.h>

namespace orrery {

// The system diagram: the star at the left, the planets along a logarithmic
// distance axis, drawn by kind, size and climate, with the habitable zone.
ORRERY_API std::string system_svg(const System& system);

// The page: the diagram inline, the star's values and a table of the
// planets with units.
ORRERY_API std::string system_page(const System& system);

}  // namespace orrery
