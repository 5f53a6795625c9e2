// The library's version. Same major version, same systems: a release that
// changed a single byte of any seed's report would be a new major version.
#pragma once

#include <orrery/export.h>

#define ORRERY_VERSION_MAJOR 1
#define ORRERY_VERSION_MINOR 0
#define ORRERY_VERSION_PATCH 0
#define ORRERY_VERSION_STRING "1.0.0"

namespace orrery {

// ORRERY_VERSION_STRING of the library the program runs with.
ORRERY_API const char* version();

}  // namespace orrery
