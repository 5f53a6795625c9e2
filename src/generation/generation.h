// One generation: everything a run of the model needs, owned by the caller and
// passed explicitly, so that a test or a thread can run its own.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <orrery/progress.h>
#include <orrery/system.h>

#include "accretion/accretion.h"
#include "random/random.h"

namespace orrery {

// Running totals a caller may want to check (not part of the model).
struct GenerationCounts {
    std::uint64_t accretion_passes = 0;
    std::uint64_t draws_after_star_mass = 0;
    std::uint64_t draws_after_accretion = 0;
    std::uint64_t draws_after_age = 0;
    std::uint64_t draws_after_pipeline = 0;
};

struct Generation {
    RandomState random;
    Star star;
    AccretionState accretion;
    std::vector<Planet> planets;  // list order, which merges can leave out of distance order
    ProgressSink* progress = nullptr;  // null: progress lines are dropped
    GenerationCounts counts;

    void report_progress(std::string_view line) {
        if (progress) progress->write(line);
    }
};

// Puts g back into the state of a fresh process (keeping its buffers) and
// seeds the random source.
void start_generation(Generation& g, std::uint32_t seed);

// Draws the star, accretes the planets, completes the star and runs the
// planet pipeline. g must have been started.
void generate_system(Generation& g);

// start_generation then generate_system, with progress lines going to
// `progress` (null: dropped) for this run only: g.progress is null again
// afterwards, also when the run throws.
void run_generation(Generation& g, std::uint32_t seed, ProgressSink* progress = nullptr);

// The first half of generate_system, for callers that time or check the
// stages apart: the star, the accretion stage, then the star's lifetime, age
// and radii. generate_system is this followed by compute_planet_environment.
void form_star_and_planets(Generation& g);

}  // namespace orrery
