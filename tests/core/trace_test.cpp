// Every generator output of the reference run for seed 42, draw by draw: the
// first difference shows where a run leaves the reference.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core_test_support.h"
#include "support/golden.h"
#include <orrery/orrery.h>

#include "generation/generation.h"
#include "report/report.h"

namespace orrery::testing {
namespace {

struct Draw {
    std::uint64_t number = 0;
    std::string name;
    std::vector<double> args;
    std::uint32_t output = 0;
    double result = 0.0;
};

// One trace line: `7 vary_around(23.4, 0.4) u32=1441649012 -> 23.53`.
bool parse_trace_line(const std::string& line, Draw& d) {
    std::size_t open = line.find('(');
    std::size_t close = line.find(')', open);
    std::size_t space = line.find(' ');
    std::size_t u32 = line.find(" u32=", close);
    std::size_t arrow = line.find(" -> ", u32);
    if (space == std::string::npos || open == std::string::npos || close == std::string::npos ||
        u32 == std::string::npos || arrow == std::string::npos || space > open)
        return false;
    d.number = std::stoull(line.substr(0, space));
    d.name = line.substr(space + 1, open - space - 1);
    d.args.clear();
    std::string args = line.substr(open + 1, close - open - 1);
    const char* p = args.c_str();
    while (*p) {
        char* end = nullptr;
        d.args.push_back(std::strtod(p, &end));
        if (end == p) return false;
        p = end;
        while (*p == ',' || *p == ' ') ++p;
    }
    d.output = static_cast<std::uint32_t>(std::stoul(line.substr(u32 + 5, arrow - u32 - 5)));
    char* end = nullptr;
    std::string result = line.substr(arrow + 4);
    d.result = std::strtod(result.c_str(), &end);
    return end != result.c_str();
}

std::vector<Draw> reference_trace() {
    std::istringstream in(golden_file(42, "trace.txt"));
    std::vector<Draw> draws;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        Draw d;
        if (!parse_trace_line(line, d)) {
            ADD_FAILURE() << "unreadable trace line: " << line;
            break;
        }
        draws.push_back(d);
    }
    return draws;
}

struct Recorder final : DrawObserver {
    const RandomState* random = nullptr;
    std::vector<Draw> draws;
    void on_draw(const char* name, int arg_count, double a, double b, std::uint32_t output,
                 double result) override {
        Draw d;
        d.number = random->outputs;
        d.name = name;
        if (arg_count == 2) d.args = {a, b};
        d.output = output;
        d.result = result;
        draws.push_back(d);
    }
};

TEST(Trace, Seed42MatchesTheReferenceDrawByDraw) {
    const std::vector<Draw> expected = reference_trace();
    auto g = std::make_unique<Generation>();
    Recorder recorder;
    recorder.random = &g->random;
    g->random.observer = &recorder;
    run_generation(*g, 42);
    const std::vector<Draw>& actual = recorder.draws;

    ASSERT_FALSE(expected.empty());
    nlohmann::json dump = golden_dump(42);
    EXPECT_EQ(dump["draws"]["total"].get<std::size_t>(), expected.size()) << "the reference lists every output";
    EXPECT_EQ(expected.size(), actual.size());
    std::size_t n = std::min(expected.size(), actual.size());
    for (std::size_t i = 0; i < n; ++i) {
        const Draw& e = expected[i];
        const Draw& a = actual[i];
        // Stop at the first divergence: everything after it differs anyway.
        ASSERT_EQ(e.number, a.number) << "draw " << i + 1;
        ASSERT_EQ(e.name, a.name) << "draw " << e.number;
        ASSERT_EQ(e.args.size(), a.args.size()) << "draw " << e.number << " " << e.name;
        for (std::size_t k = 0; k < e.args.size(); ++k)
            ASSERT_TRUE(same_double(e.args[k], a.args[k])) << "draw " << e.number << " " << e.name << " argument " << k + 1;
        ASSERT_EQ(e.output, a.output) << "draw " << e.number << " " << e.name;
        ASSERT_TRUE(same_double(e.result, a.result)) << "draw " << e.number << " " << e.name;
    }
}

}  // namespace
}  // namespace orrery::testing
