// orrery: grows one random planetary system, seeded by the clock second, and
// writes it to "New.System". Arguments are ignored.
#include <cstdio>
#include <ctime>
#include <new>

#include "driver/generation.h"
#include "driver/run.h"

int main() {
    try {
        return orrery::run_program(orrery::seed_from_time(static_cast<std::int64_t>(std::time(nullptr))));
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fputs("orrery: out of memory; no report written\n", stderr);
        return 1;
    }
}
