// The two ways an orrery-lab command fails, each with its own exit status.
#pragma once

#include <stdexcept>

namespace orrery::lab {

// A usage error: reported as "orrery-lab: <message>" on standard error, exit
// status 2, nothing written.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An output or system error: message names the file and the system's error;
// exit status 1.
struct OutputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace orrery::lab
