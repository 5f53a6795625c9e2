// Making systems: one call for one seed, or a generator that keeps its
// working buffers from one seed to the next for loops over many seeds.
//
//   orrery::System s = orrery::make_system(42);
//
//   orrery::Generator gen;            // one per thread
//   orrery::System sys;               // reused: its planet list keeps its room
//   for (std::uint32_t seed = 0; seed < 1000; ++seed) gen.generate(seed, sys);
#pragma once

#include <orrery/export.h>

#include <cstdint>
#include <memory>

#include <orrery/progress.h>
#include <orrery/system.h>

namespace orrery {

// The system the model grows from seed: the same seed gives the same system,
// bit for bit, on every call, thread and process.
// Thread-safe: no shared state; throws std::bad_alloc when memory runs out.
ORRERY_API System make_system(std::uint32_t seed);

// A reusable generation. Each generate() starts afresh from its seed, exactly
// as make_system does; only the buffers are kept, so that a long run of seeds
// does not allocate per system.
//
// Thread safety: one Generator serves one thread at a time; give each thread
// its own. Different Generators share nothing.
class ORRERY_API Generator {
public:
    Generator();
    ~Generator();
    Generator(Generator&&) noexcept;
    Generator& operator=(Generator&&) noexcept;
    Generator(const Generator&) = delete;
    Generator& operator=(const Generator&) = delete;

    // Grows seed's system into out (replacing what it held; out's planet list
    // keeps its capacity). progress, when not null, receives the progress
    // lines as the model writes them, in order.
    void generate(std::uint32_t seed, System& out, ProgressSink* progress = nullptr);

    // The same, returning a new System.
    System generate(std::uint32_t seed, ProgressSink* progress = nullptr);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace orrery
