// Seeds from calendar time: the program orrery seeds itself with the clock
// second it starts in, so every second since 1970 names a system.
//
// Thread safety: pure functions.
#pragma once

#include <orrery/export.h>

#include <cstdint>
#include <string_view>

namespace orrery {

// The seed the clock gives at `seconds` since 1970-01-01 00:00:00 UTC: the
// low 32 bits of the count (the seeds repeat every 2^32 seconds, about 136
// years).
inline std::uint32_t seed_from_time(std::int64_t seconds) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds));
}

// The seed orrery uses in the second "YYYY-MM-DD HH:MM:SS" (UTC; a 'T' may
// stand for the space). Years 0000 to 9999 of the Gregorian calendar.
// Throws std::invalid_argument, with a message quoting the text, when the
// text is not of that form or names a date or time that does not exist.
ORRERY_API std::uint32_t seed_from_utc(std::string_view text);

}  // namespace orrery
