// The public way to make systems: a generation owned by a Generator, its
// buffers kept between seeds.
#include <orrery/generator.h>
#include <orrery/version.h>

#include <utility>

#include "generation/generation.h"

namespace orrery {

struct Generator::State {
    Generation g;
};

Generator::Generator() : state_(std::make_unique<State>()) {}
Generator::~Generator() = default;
Generator::Generator(Generator&&) noexcept = default;
Generator& Generator::operator=(Generator&&) noexcept = default;

void Generator::generate(std::uint32_t seed, System& out, ProgressSink* progress) {
    if (!state_) state_ = std::make_unique<State>();  // a moved-from generator works again
    Generation& g = state_->g;
    run_generation(g, seed, progress);
    out.seed = seed;
    out.star = g.star;
    // The generation keeps the caller's old list as its next buffer, so both
    // sides keep their room and nothing is copied.
    std::swap(out.planets, g.planets);
}

System Generator::generate(std::uint32_t seed, ProgressSink* progress) {
    System out;
    generate(seed, out, progress);
    return out;
}

System make_system(std::uint32_t seed) {
    Generator gen;
    return gen.generate(seed);
}

const char* version() { return ORRERY_VERSION_STRING; }

}  // namespace orrery
