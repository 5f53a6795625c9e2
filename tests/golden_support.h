// Reading the reference outputs kept under tests/golden.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace orrery::testing {

inline const std::vector<std::uint32_t>& golden_seeds() {
    static const std::vector<std::uint32_t> seeds = {0u, 21u, 42u, 1546u, 2450u, 4294967295u};
    return seeds;
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string golden_path(std::uint32_t seed, const std::string& file) {
    return std::string(ORRERY_GOLDEN_DIR) + "/seed-" + std::to_string(seed) + "/" + file;
}

inline std::string golden_file(std::uint32_t seed, const std::string& file) {
    return read_file(golden_path(seed, file));
}

inline nlohmann::json golden_dump(std::uint32_t seed) {
    return nlohmann::json::parse(golden_file(seed, "dump.json"));
}

// A dump value as a double: numbers as they are, "NaN"/"Infinity" strings as
// the values they name.
double dump_double(const nlohmann::json& v);

}  // namespace orrery::testing
