// The values orrery-lab's options take: seeds, moments, ranges of seeds and
// intervals of values. Each throws UsageError naming the text it could not
// read.
#pragma once

#include <cstdint>
#include <string>

#include <orrery/criteria.h>

namespace orrery::lab {

// An unsigned 32-bit seed in decimal ("0" to "4294967295").
std::uint32_t parse_seed(const std::string& text);

// The seed orrery's clock gives in that second, from "YYYY-MM-DD HH:MM:SS"
// read as UTC.
std::uint32_t seed_from_utc(const std::string& text);

// An inclusive range of seeds, "A..B" with A <= B.
struct SeedRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::uint64_t size() const { return std::uint64_t(last) - first + 1; }
};
SeedRange parse_seed_range(const std::string& text);

// A closed interval of values from "lo:hi"; an empty side is open.
Interval parse_interval(const std::string& text);

}  // namespace orrery::lab
