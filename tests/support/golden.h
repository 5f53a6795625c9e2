// The reference outputs kept under tests/golden: for each reference seed the
// report (New.System), the progress lines (stdout.txt), every value of the
// system (dump.json) and, for seed 42, every draw (trace.txt).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace orrery::testing {

// The reference seeds, in the order the tests list them.
const std::vector<std::uint32_t>& golden_seeds();

// The path of one reference file, and its content.
std::string golden_path(std::uint32_t seed, const std::string& file);
std::string golden_file(std::uint32_t seed, const std::string& file);

// The seed's dump.json, parsed.
nlohmann::json golden_dump(std::uint32_t seed);

// A dump value as a double: numbers as they are, "NaN"/"Infinity"/"-Infinity"
// strings as the values they name (anything else fails the test).
double dump_double(const nlohmann::json& v);

}  // namespace orrery::testing
