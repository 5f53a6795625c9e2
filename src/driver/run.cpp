#include "driver/run.h"

#include <cstdio>
#include <string>

#include "driver/generation.h"
#include "report/report.h"

namespace orrery {

int run_program(std::uint32_t seed) {
    static Generation g;  // one generation per process; kept off the stack
    StreamProgress progress(stdout);
    g.progress = &progress;
    start_generation(g, seed);
    generate_system(g);

    std::string text;
    text.reserve(16384);
    append_system_report(text, g.star, g.planets);
    // Progress lines come first, even when the report then fails.
    std::fflush(stdout);
    if (!write_text_file("New.System", text)) {
        std::perror("New.System");
        return 1;
    }
    return 0;
}

}  // namespace orrery
