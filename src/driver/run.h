// The orrery program's run: seed from the clock, generate one system, write
// "New.System" in the current directory.
#pragma once

#include <cstdint>

namespace orrery {

// Runs the program for the given seed and returns its exit status: 0 when the
// report was written, 1 (after a perror-style line on standard error) when
// "New.System" could not be opened, written or closed.
int run_program(std::uint32_t seed);

}  // namespace orrery
