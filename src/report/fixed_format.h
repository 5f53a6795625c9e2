// printf-exact formatting of doubles and ints for the report.
#pragma once

#include <cstddef>
#include <string>

namespace orrery {

// Longest text format_fixed can write: a finite double's 309 integer digits,
// sign, point and precision digits, with room to spare.
inline constexpr std::size_t FIXED_FORMAT_MAX = 352;

// Writes exactly what printf("%*.*f", width, precision, value) writes in the
// C locale into out (at least FIXED_FORMAT_MAX bytes, or |width| + 1 if larger;
// no terminating NUL) and returns the length. precision is 0 to 17.
std::size_t format_fixed(char* out, double value, int width, int precision);

// Appends printf("%*.*f", width, precision, value) to s.
void append_fixed(std::string& s, double value, int width, int precision);

// Appends printf("%*d", width, value) to s.
void append_int(std::string& s, int value, int width);

// Room format_int needs beyond the width: a sign, ten digits and a margin
// that lets it pad in blocks.
inline constexpr std::size_t FIXED_INT_MAX = 20;

// Writes exactly what printf("%*d", width, value) writes into out (at least
// FIXED_INT_MAX + |width| bytes; no terminating NUL) and returns the length.
std::size_t format_int(char* out, int value, int width);

}  // namespace orrery
