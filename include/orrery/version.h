// The library's version. Same major version, same systems: a release that
// changed a single byte of any seed's report would be a new major version.
#pragma once

#define ORRERY_VERSION_MAJOR 1
#define ORRERY_VERSION_MINOR 0
#define ORRERY_VERSION_PATCH 0
#define ORRERY_VERSION_STRING "1.0.0"

namespace orrery {

// ORRERY_VERSION_STRING of the library the program runs with.
const char* version();

}  // namespace orrery
