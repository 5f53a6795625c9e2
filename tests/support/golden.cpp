#include "support/golden.h"

#include <limits>

#include <gtest/gtest.h>

#include "support/scratch_dir.h"

namespace orrery::testing {

const std::vector<std::uint32_t>& golden_seeds() {
    static const std::vector<std::uint32_t> seeds = {0u, 21u, 42u, 1546u, 2450u, 4294967295u};
    return seeds;
}

std::string golden_path(std::uint32_t seed, const std::string& file) {
    return std::string(ORRERY_GOLDEN_DIR) + "/seed-" + std::to_string(seed) + "/" + file;
}

std::string golden_file(std::uint32_t seed, const std::string& file) { return read_file(golden_path(seed, file)); }

nlohmann::json golden_dump(std::uint32_t seed) { return nlohmann::json::parse(golden_file(seed, "dump.json")); }

double dump_double(const nlohmann::json& v) {
    if (v.is_number()) return v.get<double>();
    std::string s = v.get<std::string>();
    if (s == "NaN") return std::numeric_limits<double>::quiet_NaN();
    if (s == "Infinity") return std::numeric_limits<double>::infinity();
    if (s == "-Infinity") return -std::numeric_limits<double>::infinity();
    ADD_FAILURE() << "unexpected dump value " << v;
    return 0.0;
}

}  // namespace orrery::testing
