// The bench's default range and its signature hash.
#pragma once

#include <cstdint>
#include <string_view>

namespace orrery::lab {

// A range that takes a couple of seconds on one core.
inline constexpr std::uint32_t BENCH_FIRST_SEED = 1;
inline constexpr std::uint32_t BENCH_LAST_SEED = 40000;

// FNV-1a, 64 bits: byte by byte, xor then multiply. Simple enough to check
// by hand in any language, and independent of the machine's byte order.
inline constexpr std::uint64_t FNV1A64_OFFSET = 0xcbf29ce484222325ull;
inline constexpr std::uint64_t FNV1A64_PRIME = 0x100000001b3ull;
std::uint64_t fnv1a64(std::uint64_t hash, std::string_view bytes);

}  // namespace orrery::lab
