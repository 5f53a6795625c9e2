// orrery-lab as its users run it: the real program against the reference
// systems, its answers to bad input and failing output, its output being the
// same whatever the thread count, and find's answers checked against every
// planet of a range. The shared pieces are also checked in-process where a
// fixture shows a fault more directly than a run can.
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/doubles.h"
#include "support/golden.h"
#include "support/scratch_dir.h"
#include "lab/cli/errors.h"
#include "lab/cli/parse.h"
#include "lab/run/seeds_in_order.h"
#include <orrery/orrery.h>
#include <nlohmann/json.hpp>

namespace orrery::testing {
namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

#ifdef ORRERY_LAB_BINARY

struct LabRun {
    int exit_code = -1;  // -1 when the process died of a signal
    int signal = 0;
    std::string out;
    std::string err;
};

// Runs orrery-lab to its end in dir, a directory of its own so that anything
// it writes there can be seen; standard output goes to stdout_path when one
// is given (a device such as /dev/full).
LabRun run_lab(const std::vector<std::string>& args, const ScratchDir& dir, const fs::path& stdout_path = {}) {
    std::vector<std::string> argv = {ORRERY_LAB_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    auto child = run_child(argv, {.dir = dir.path(), .stdout_path = stdout_path}, std::chrono::seconds(300));
    EXPECT_FALSE(child->timed_out()) << "orrery-lab did not end in time";
    LabRun run;
    run.exit_code = child->exit_code();
    run.signal = child->term_signal();
    run.out = child->out();
    run.err = child->err();
    return run;
}

// Runs a command that must succeed quietly and returns its standard output.
std::string lab_output(const std::vector<std::string>& args) {
    ScratchDir dir("lab");
    LabRun r = run_lab(args, dir);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{}) << "wrote files beside its output";
    return r.out;
}

std::string join(const std::vector<std::string>& args) {
    std::string s;
    for (const std::string& a : args) s += (s.empty() ? "" : " ") + a;
    return s;
}

// ---------------------------------------------------------------------------
// The reference systems

class LabGoldenSeed : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(LabGoldenSeed, ShowTextIsTheReportAndProgressGoesToStandardError) {
    const std::string seed = std::to_string(GetParam());
    EXPECT_EQ(lab_output({"show", "--seed", seed}), golden_file(GetParam(), "New.System"));

    ScratchDir dir("lab");
    LabRun r = run_lab({"show", "--seed", seed, "--progress"}, dir);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, golden_file(GetParam(), "New.System"));
    EXPECT_EQ(r.err, golden_file(GetParam(), "stdout.txt"));

    r = run_lab({"show", "--seed", seed, "-o", "system.txt"}, dir);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_file(dir / "system.txt"), golden_file(GetParam(), "New.System"));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"system.txt"});
}

// Every value of the reference dump comes back bit for bit through JSON; the
// values a gas giant does not have are null, never the marker.
TEST_P(LabGoldenSeed, ShowJsonCarriesEveryValueOfTheDump) {
    const Json j = Json::parse(lab_output({"show", "--seed", std::to_string(GetParam()), "--format", "json"}));
    const nlohmann::json dump = golden_dump(GetParam());
    EXPECT_EQ(j.at("seed").get<std::uint32_t>(), GetParam());

    ASSERT_EQ(j.at("star").size(), dump.at("star").size());
    for (const auto& [name, value] : dump.at("star").items())
        EXPECT_TRUE(same_double(dump_double(value), j.at("star").at(name).get<double>())) << "star " << name;

    const std::set<std::string> surface = {"surface_gravity", "volatile_inventory", "surface_pressure",
                                           "boiling_point",   "hydrosphere",        "surface_temp",
                                           "cloud_cover",     "ice_cover"};
    const nlohmann::json& dp = dump.at("planets");
    const Json& jp = j.at("planets");
    ASSERT_EQ(jp.size(), dp.size());
    for (std::size_t i = 0; i < dp.size(); ++i) {
        const std::string at = "planet " + std::to_string(i + 1) + " ";
        const bool giant = dp[i].at("is_gas_giant").get<int>() == 1;
        EXPECT_EQ(jp[i].at("number").get<int>(), int(i + 1));
        EXPECT_EQ(jp[i].at("kind").get<std::string>(), giant ? "gas giant" : "rocky") << at;
        EXPECT_EQ(jp[i].size(), dp[i].size() + 2) << at << "has fields the record does not";
        for (const auto& [name, value] : dp[i].items()) {
            ASSERT_TRUE(jp[i].contains(name)) << at << name;
            const Json& v = jp[i].at(name);
            if ((giant && surface.count(name)) || value.is_null()) {
                EXPECT_TRUE(v.is_null()) << at << name << " = " << v;
            } else if (value.is_number_integer()) {
                EXPECT_TRUE(v.is_number_integer()) << at << name;
                EXPECT_EQ(v.get<long long>(), value.get<long long>()) << at << name;
            } else {
                const double expected = dump_double(value);
                if (std::isfinite(expected))
                    EXPECT_TRUE(same_double(expected, v.get<double>())) << at << name;
                else
                    EXPECT_TRUE(v.is_null()) << at << name;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, LabGoldenSeed, ::testing::ValuesIn(golden_seeds()),
                         [](const auto& info) { return "seed_" + std::to_string(info.param); });

// --at names the second orrery ran in; its clock keeps the low 32 bits.
TEST(LabAt, NamesTheSystemOfThatSecond) {
    struct Case {
        const char* moment;
        std::uint32_t seed;
    };
    const Case cases[] = {
        {"1970-01-01 00:00:42", 42},
        {"1969-12-31 23:59:59", 4294967295u},  // one second before the epoch
        {"2106-02-07 06:28:16", 0},            // 2^32 seconds: the clock's low bits wrap
        {"2106-02-07 06:28:37", 21},
        {"1970-01-01 00:25:46", 1546},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.moment);
        EXPECT_EQ(lab::seed_from_utc(c.moment), c.seed);
        EXPECT_EQ(lab_output({"show", "--at", c.moment}), lab_output({"show", "--seed", std::to_string(c.seed)}));
    }
}

#endif  // ORRERY_LAB_BINARY

// The calendar arithmetic agrees with the C library's over four centuries,
// leap days and century years included.
TEST(LabAt, AgreesWithTheCLibraryCalendar) {
    for (std::int64_t t = -2208988800LL; t < 10413792000LL; t += 86400LL * 7 + 3607) {
        const std::time_t tt = static_cast<std::time_t>(t);
        std::tm tm{};
        ASSERT_NE(gmtime_r(&tt, &tm), nullptr);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
        ASSERT_EQ(lab::seed_from_utc(text), seed_from_time(t)) << text;
    }
    EXPECT_EQ(lab::seed_from_utc("2000-02-29 00:00:00"), 951782400u);
    EXPECT_EQ(lab::seed_from_utc("2024-02-29 23:59:59"), 1709251199u);
}

TEST(LabAt, RejectsWhatIsNotADateAndTime) {
    for (const char* bad : {"2023-02-29 00:00:00", "1900-02-29 00:00:00", "2000-13-01 00:00:00",
                            "2000-04-31 00:00:00", "2000-01-01 24:00:00", "2000-01-01 00:60:00",
                            "2000-01-01 00:00:60", "2000-01-01", "2000-1-01 00:00:00", "2000-01-01 00:00:00Z",
                            "yesterday", ""})
        EXPECT_THROW(lab::seed_from_utc(bad), lab::UsageError) << bad;
}

TEST(LabParse, SeedsAndRanges) {
    EXPECT_EQ(lab::parse_seed("0"), 0u);
    EXPECT_EQ(lab::parse_seed("4294967295"), 4294967295u);
    EXPECT_EQ(lab::parse_seed("000042"), 42u);
    for (const char* bad : {"", "-1", "+1", "4294967296", "99999999999999999999999", "1e3", " 1", "1 ", "0x10"})
        EXPECT_THROW(lab::parse_seed(bad), lab::UsageError) << bad;

    const lab::SeedRange whole = lab::parse_seed_range("0..4294967295");
    EXPECT_EQ(whole.first, 0u);
    EXPECT_EQ(whole.last, 4294967295u);
    EXPECT_EQ(whole.size(), 4294967296ull);
    const lab::SeedRange one = lab::parse_seed_range("7..7");
    EXPECT_EQ(one.size(), 1u);
    for (const char* bad : {"5..4", "1..", "..2", "1...2", "1..2..3", "a..b", "1-2", ""})
        EXPECT_THROW(lab::parse_seed_range(bad), lab::UsageError) << bad;
}

TEST(LabParse, CriterionRanges) {
    struct Case {
        const char* text;
        double lo, hi;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case good[] = {{"5:25", 5, 25}, {"-10.5:0", -10.5, 0}, {"1:1", 1, 1}, {"0.9:", 0.9, inf},
                         {":1.5", -inf, 1.5}, {":", -inf, inf}, {"1e-3:2E2", 1e-3, 200}};
    for (const Case& c : good) {
        const Interval i = lab::parse_interval(c.text);
        EXPECT_EQ(i.lo, c.lo) << c.text;
        EXPECT_EQ(i.hi, c.hi) << c.text;
    }
    for (const char* bad : {"5", "25:5", "a:b", "1:2:3", "1,5:2", " 1:2", "nan:1", "1:2x", ""})
        EXPECT_THROW(lab::parse_interval(bad), lab::UsageError) << bad;
}

// The defaults describe an Earth-like world, with both ends of each range
// included and anything the model could not compute left out.
TEST(LabCriteria, EarthLikeByDefault) {
    Planet earth;
    earth.surface_temp = 288.0;  // 15 C as the report counts it
    earth.surface_gravity = 1.0;
    earth.surface_pressure = 1013.0;
    earth.hydrosphere = 0.7;
    const Criteria c;
    ASSERT_TRUE(meets(earth, c));

    struct Case {
        const char* what;
        void (*change)(Planet&);
        bool meets;
    };
    const Case cases[] = {
        {"gas giant", [](Planet& p) { p.is_gas_giant = 1; }, false},
        {"runaway greenhouse", [](Planet& p) { p.runaway_greenhouse = 1; }, false},
        {"0 C", [](Planet& p) { p.surface_temp = 273.0; }, true},
        {"30 C", [](Planet& p) { p.surface_temp = 303.0; }, true},
        {"below 0 C", [](Planet& p) { p.surface_temp = 272.99; }, false},
        {"above 30 C", [](Planet& p) { p.surface_temp = 303.01; }, false},
        {"0.8 g", [](Planet& p) { p.surface_gravity = 0.8; }, true},
        {"1.2 g", [](Planet& p) { p.surface_gravity = 1.2; }, true},
        {"1.21 g", [](Planet& p) { p.surface_gravity = 1.21; }, false},
        {"0.5 atm", [](Planet& p) { p.surface_pressure = 500.0; }, true},
        {"2 atm", [](Planet& p) { p.surface_pressure = 2000.0; }, true},
        {"0.49 atm", [](Planet& p) { p.surface_pressure = 490.0; }, false},
        {"30 % water", [](Planet& p) { p.hydrosphere = 0.3; }, true},
        {"90 % water", [](Planet& p) { p.hydrosphere = 0.9; }, true},
        {"95 % water", [](Planet& p) { p.hydrosphere = 0.95; }, false},
        {"temperature NaN", [](Planet& p) { p.surface_temp = std::nan(""); }, false},
        {"pressure NaN", [](Planet& p) { p.surface_pressure = std::nan(""); }, false},
    };
    for (const Case& k : cases) {
        Planet p = earth;
        k.change(p);
        EXPECT_EQ(meets(p, c), k.meets) << k.what;
    }
    Planet hot = earth;
    hot.runaway_greenhouse = 1;
    Criteria lenient;
    lenient.allow_runaway_greenhouse = true;
    EXPECT_TRUE(meets(hot, lenient));
}

// ---------------------------------------------------------------------------
// Ordered runs on several threads

struct OrderedRun {
    std::vector<std::uint32_t> seeds;
    std::string text;
};

OrderedRun run_ordered(lab::SeedRange range, unsigned threads) {
    OrderedRun r;
    lab::run_seeds_in_order(
        range, threads,
        [](lab::Worker&, std::uint32_t seed, std::string& out) {
            // Uneven work, so that threads finish out of order.
            if (seed % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
            out = std::to_string(seed) + ";";
        },
        [&r](std::uint32_t seed, const std::string& out) {
            r.seeds.push_back(seed);
            r.text += out;
        },
        false);
    return r;
}

TEST(LabRunSeeds, EmitsEverySeedOnceInOrderWhateverTheThreads) {
    const lab::SeedRange ranges[] = {{5, 5}, {5, 6}, {0, 2999}, {4294967000u, 4294967295u}};
    for (const lab::SeedRange& range : ranges) {
        std::string expected;
        for (std::uint64_t s = range.first; s <= range.last; ++s) expected += std::to_string(s) + ";";
        for (unsigned threads : {1u, 2u, 3u, 8u}) {
            SCOPED_TRACE(std::to_string(range.first) + ".." + std::to_string(range.last) + " on " +
                         std::to_string(threads));
            const OrderedRun r = run_ordered(range, threads);
            ASSERT_EQ(r.seeds.size(), range.size());
            EXPECT_EQ(r.seeds.front(), range.first);
            EXPECT_EQ(r.seeds.back(), range.last);
            EXPECT_EQ(r.text, expected);
        }
    }
}

TEST(LabRunSeeds, StopsEarlyOrFailsCleanly) {
    for (unsigned threads : {1u, 2u, 4u}) {
        SCOPED_TRACE(threads);
        std::vector<std::uint32_t> seen;
        std::atomic<std::uint64_t> worked{0};
        lab::run_seeds_in_order(
            {0, 1000000}, threads,
            [&worked](lab::Worker&, std::uint32_t, std::string&) { ++worked; },
            [&seen](std::uint32_t seed, const std::string&) {
                seen.push_back(seed);
                if (seen.size() == 10) throw lab::StopSeeds{};
            },
            false);
        EXPECT_EQ(seen, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
        EXPECT_LT(worked.load(), 100000u) << "workers went on after the stop";

        std::vector<std::uint32_t> before_failure;
        EXPECT_THROW(lab::run_seeds_in_order(
                         {0, 100000}, threads,
                         [](lab::Worker&, std::uint32_t seed, std::string&) {
                             if (seed == 3000) throw std::runtime_error("work failed");
                         },
                         [&](std::uint32_t seed, const std::string&) { before_failure.push_back(seed); }, false),
                     std::runtime_error);
        ASSERT_LE(before_failure.size(), 3000u);
        for (std::size_t i = 0; i < before_failure.size(); ++i) ASSERT_EQ(before_failure[i], i);

        EXPECT_THROW(lab::run_seeds_in_order(
                         {0, 100000}, threads, [](lab::Worker&, std::uint32_t, std::string&) {},
                         [](std::uint32_t seed, const std::string&) {
                             if (seed == 500) throw lab::OutputError("emit failed");
                         },
                         false),
                     lab::OutputError);
    }
}

// ---------------------------------------------------------------------------
// JSON and CSV of values that are not numbers

TEST(LabFormats, ValuesThatAreNotNumbersAreNull) {
    Planet p;
    p.distance = 1.0;
    p.radius = std::nan("");
    p.density = std::numeric_limits<double>::infinity();
    p.surface_temp = -std::numeric_limits<double>::infinity();
    p.albedo = 0.1;
    const Json j = Json::parse(planet_to_json(p, 3));
    EXPECT_EQ(j.at("number"), 3);
    EXPECT_EQ(j.at("kind"), "rocky");
    EXPECT_TRUE(j.at("radius").is_null());
    EXPECT_TRUE(j.at("density").is_null());
    EXPECT_TRUE(j.at("surface_temp").is_null());
    EXPECT_EQ(j.at("albedo").get<double>(), 0.1);

    Planet giant = p;
    giant.is_gas_giant = 1;
    giant.radius = 50000.0;
    giant.surface_gravity = HUGE_VALUE;
    giant.cloud_cover = 0.5;  // never written by the model for a giant
    const Json g = Json::parse(planet_to_json(giant, 1));
    EXPECT_EQ(g.at("kind"), "gas giant");
    EXPECT_TRUE(g.at("surface_gravity").is_null());
    EXPECT_TRUE(g.at("cloud_cover").is_null());
    EXPECT_EQ(g.at("radius").get<double>(), 50000.0);
    EXPECT_EQ(g.dump().find("e+37"), std::string::npos);

    std::string csv;
    append_csv_rows(csv, System{9, Star{}, {p, giant}});
    const std::vector<std::string> rows = lines_of(csv);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].rfind("9,1,rocky,1,", 0), 0u) << rows[0];
    EXPECT_EQ(rows[1].rfind("9,2,gas giant,1,", 0), 0u) << rows[1];
    EXPECT_EQ(csv.find("nan"), std::string::npos);
    EXPECT_EQ(csv.find("inf"), std::string::npos);
    EXPECT_EQ(csv.find("e+37"), std::string::npos);
}

#ifdef ORRERY_LAB_BINARY

// ---------------------------------------------------------------------------
// Bad input and failing output

TEST(LabBadInput, ExitsWithStatus2AMessageAndNothingWritten) {
    struct Case {
        std::vector<std::string> args;
        const char* message;  // part of what standard error must say
    };
    const Case cases[] = {
        {{}, "no command"},
        {{"frobnicate"}, "frobnicate"},
        {{"show", "--seed", "1", "--bogus"}, "--bogus"},
        {{"show", "--seed"}, "--seed"},
        {{"show"}, "--seed"},
        {{"show", "--seed", "-1"}, "-1"},
        {{"show", "--seed", "4294967296"}, "4294967296"},
        {{"show", "--seed", "12x"}, "12x"},
        {{"show", "--seed", ""}, "seed"},
        {{"show", "--seed", "1", "--at", "2000-01-01 00:00:00"}, "--at"},
        {{"show", "--at", "2000-02-30 00:00:00"}, "2000-02-30"},
        {{"show", "--seed", "1", "--format", "xml"}, "xml"},
        {{"show", "--seed", "1", "-o", "missing/out.txt"}, "missing"},
        {{"batch"}, "--seeds"},
        {{"batch", "--seeds", "5..4"}, "5..4"},
        {{"batch", "--seeds", "1..x"}, "1..x"},
        {{"batch", "--seeds", "1..2", "--threads", "0"}, "--threads"},
        {{"batch", "--seeds", "1..2", "--threads", "two"}, "--threads"},
        {{"batch", "--seeds", "1..2", "-o", "out.jsonl", "--threads", "0"}, "--threads"},
        {{"batch", "--seeds", "1..2", "-o", "missing/out.jsonl"}, "missing"},
        {{"batch", "--seeds", "1..2", "--format", "xml"}, "xml"},
        {{"find", "--seeds", "1..2", "--temp-c", "5"}, "--temp-c"},
        {{"find", "--seeds", "1..2", "--gravity", "1.2:0.8"}, "--gravity"},
        {{"find", "--seeds", "1..2", "--pressure", "a:b"}, "--pressure"},
        {{"find", "--seeds", "1..2", "--hydrosphere", "30:90:100"}, "--hydrosphere"},
        {{"find", "--seeds", "1..2", "--limit", "0"}, "--limit"},
        {{"find", "--seeds", "1..2", "-o", "missing/found.txt"}, "missing"},
        {{"bench", "--seeds", "3..1"}, "3..1"},
        {{"bench", "--threads", "0"}, "--threads"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(join(c.args));
        ScratchDir dir("lab");
        const LabRun r = run_lab(c.args, dir);
        EXPECT_EQ(r.exit_code, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("orrery-lab: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{});
    }
}

TEST(LabBadInput, HelpAndVersionGoToStandardOutput) {
    const std::vector<std::vector<std::string>> cases = {
        {"--help"}, {"show", "--help"}, {"batch", "--help"}, {"find", "--help"}, {"bench", "--help"}};
    for (const auto& args : cases) {
        SCOPED_TRACE(join(args));
        const std::string out = lab_output(args);
        EXPECT_NE(out.find("Usage:"), std::string::npos) << out;
    }
    EXPECT_EQ(lab_output({"--version"}).rfind("orrery-lab ", 0), 0u);
}

TEST(LabOutputError, NamesTheFileAndTheSystemErrorWithStatus1) {
    const std::string enospc = std::strerror(ENOSPC);
    const std::vector<std::vector<std::string>> commands = {
        {"show", "--seed", "42"},
        {"show", "--seed", "42", "--format", "json"},
        {"batch", "--seeds", "0..20"},
        {"find", "--seeds", "0..200"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(join(args));
        ScratchDir dir("lab");
        std::vector<std::string> to_full = args;
        to_full.insert(to_full.end(), {"-o", "/dev/full"});
        LabRun r = run_lab(to_full, dir);
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.err, "orrery-lab: /dev/full: " + enospc + "\n");

        r = run_lab(args, dir, "/dev/full");
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.err, "orrery-lab: standard output: " + enospc + "\n");
    }
}

// A file that exists is replaced only by a complete one; until then, and
// when the run is stopped, it keeps what it held and no temporary file stays.
TEST(LabOutputFile, ReplacedWholeOrNotAtAll) {
    ScratchDir dir("lab");
    write_file(dir / "systems.jsonl", "the old content\n");
    ASSERT_EQ(chmod((dir / "systems.jsonl").c_str(), 0640), 0);
    LabRun r = run_lab({"batch", "--seeds", "0..9", "-o", "systems.jsonl"}, dir);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file(dir / "systems.jsonl"), lab_output({"batch", "--seeds", "0..9"}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"systems.jsonl"});
    struct stat st {};
    ASSERT_EQ(stat((dir / "systems.jsonl").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "the replaced file keeps its permissions";

    for (int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(sig));
        write_file(dir / "systems.jsonl", "the old content\n");
        Child child({ORRERY_LAB_BINARY, "batch", "--seeds", "0..4000000", "--threads", "1", "-o", "systems.jsonl"},
                    {.dir = dir.path()});
        // Wait until the temporary file exists and has grown, then stop the run.
        bool writing = false;
        for (int i = 0; i < 400 && !writing; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            for (const std::string& name : dir.entries())
                if (name.rfind(".systems.jsonl", 0) == 0 && fs::file_size(dir / name) > 0) writing = true;
        }
        EXPECT_TRUE(writing) << "no temporary file appeared";
        child.signal(sig);
        child.wait(std::chrono::seconds(20));
        EXPECT_FALSE(child.timed_out()) << "orrery-lab did not end in time";
        EXPECT_EQ(child.term_signal(), sig);
        EXPECT_EQ(read_file(dir / "systems.jsonl"), "the old content\n");
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"systems.jsonl"});
    }
}

// Writing through a symbolic link replaces the file it points to and keeps
// the link, as writing to the file in place would.
TEST(LabOutputFile, ALinkKeepsPointingAtTheNewContent) {
    ScratchDir dir("lab");
    fs::create_directory(dir.path() / "real");
    write_file(dir / "real/system.txt", "the old content\n");
    fs::create_symlink("real/system.txt", dir.path() / "link.txt");
    const LabRun r = run_lab({"show", "--seed", "42", "-o", "link.txt"}, dir);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.txt"));
    EXPECT_EQ(read_file(dir / "real/system.txt"), golden_file(42, "New.System"));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"link.txt", "real"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "real"), fs::directory_iterator()), 1);
}

// ---------------------------------------------------------------------------
// batch and bench: the same bytes whatever the thread count

TEST(LabBatch, SameBytesWhateverTheThreadsAndTheSameSystemsAsShow) {
    const std::string range = "0..400";
    const std::string jsonl = lab_output({"batch", "--seeds", range, "--threads", "1"});
    const std::string csv = lab_output({"batch", "--seeds", range, "--format", "csv", "--threads", "1"});
    for (const char* threads : {"2", "3"}) {
        SCOPED_TRACE(threads);
        EXPECT_EQ(lab_output({"batch", "--seeds", range, "--threads", threads}), jsonl);
        EXPECT_EQ(lab_output({"batch", "--seeds", range, "--format", "csv", "--threads", threads}), csv);
    }

    const std::vector<std::string> systems = lines_of(jsonl);
    ASSERT_EQ(systems.size(), 401u);
    std::vector<std::string> rows = lines_of(csv);
    ASSERT_FALSE(rows.empty());
    const std::string header = rows.front();
    rows.erase(rows.begin());
    EXPECT_EQ(header.rfind("seed,number,kind,distance,", 0), 0u) << header;

    std::size_t row = 0;
    for (std::size_t i = 0; i < systems.size(); ++i) {
        const Json sys = Json::parse(systems[i]);
        ASSERT_EQ(sys.at("seed").get<std::size_t>(), i);
        for (const Json& planet : sys.at("planets")) {
            ASSERT_LT(row, rows.size());
            // Each row is the planet's JSON values, cell for cell, in header order.
            std::vector<std::string> cells, names;
            std::stringstream cs(rows[row++] + ","), hs(header);
            for (std::string cell; std::getline(cs, cell, ',');) cells.push_back(cell);
            for (std::string name; std::getline(hs, name, ',');) names.push_back(name);
            ASSERT_EQ(cells.size(), names.size()) << rows[row - 1];
            EXPECT_EQ(cells[0], std::to_string(i));
            for (std::size_t k = 1; k < names.size(); ++k) {
                const Json& v = planet.at(names[k]);
                if (v.is_null())
                    EXPECT_EQ(cells[k], "") << names[k];
                else if (v.is_string())
                    EXPECT_EQ(cells[k], v.get<std::string>()) << names[k];
                else
                    EXPECT_TRUE(same_double(v.get<double>(), std::stod(cells[k]))) << names[k] << " " << cells[k];
            }
        }
    }
    EXPECT_EQ(row, rows.size()) << "rows without a planet";
    EXPECT_EQ(Json::parse(systems[42]),
              Json::parse(lab_output({"show", "--seed", "42", "--format", "json"})));
}

TEST(LabBench, SignatureIsFnv1aOfProgressThenReportWhateverTheThreads) {
    auto run = [](const std::vector<std::string>& args) {
        const std::vector<std::string> out = lines_of(lab_output(args));
        EXPECT_GE(out.size(), 2u);
        if (out.size() < 2) return std::string();
        EXPECT_NE(out[out.size() - 2].find(" systems/s"), std::string::npos) << out[out.size() - 2];
        EXPECT_GT(std::stod(out[out.size() - 2]), 0.0);
        return out.back();
    };
    const std::string one = run({"bench", "--seeds", "0..300", "--threads", "1"});
    EXPECT_EQ(one.size(), std::string("signature ").size() + 16) << one;
    EXPECT_EQ(run({"bench", "--seeds", "0..300", "--threads", "2"}), one);
    EXPECT_EQ(run({"bench", "--seeds", "0..300", "--threads", "3"}), one);

    // Computed here, byte by byte, from what show prints for seed 41 and the
    // reference files of seed 42: each seed's progress lines, then its report.
    ScratchDir dir("lab");
    const LabRun show41 = run_lab({"show", "--seed", "41", "--progress"}, dir);
    ASSERT_EQ(show41.exit_code, 0);
    ASSERT_FALSE(show41.err.empty());
    const std::string bytes = show41.err + show41.out + golden_file(42, "stdout.txt") + golden_file(42, "New.System");
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
    char expected[40];
    std::snprintf(expected, sizeof expected, "signature %016llx", static_cast<unsigned long long>(h));
    EXPECT_EQ(run({"bench", "--seeds", "41..42", "--threads", "1"}), expected);
    EXPECT_EQ(run({"bench", "--seeds", "41..42", "--threads", "2"}), expected);
}

// ---------------------------------------------------------------------------
// find, checked against every planet of a range

struct Found {
    std::uint32_t seed;
    int number;
    bool operator==(const Found&) const = default;
};

// The criteria as a reader of the JSON would apply them.
struct JsonCriteria {
    std::vector<std::string> args;
    double temp_lo, temp_hi, g_lo, g_hi, atm_lo, atm_hi, water_lo, water_hi;
    bool runaway_ok;

    bool meets(const Json& p) const {
        if (p.at("kind") != "rocky") return false;
        for (const char* f : {"surface_temp", "surface_gravity", "surface_pressure", "hydrosphere"})
            if (p.at(f).is_null()) return false;
        const double t = p.at("surface_temp").get<double>() - 273.0;
        const double g = p.at("surface_gravity").get<double>();
        const double atm = p.at("surface_pressure").get<double>() / 1000.0;
        const double water = p.at("hydrosphere").get<double>() * 100.0;
        return t >= temp_lo && t <= temp_hi && g >= g_lo && g <= g_hi && atm >= atm_lo && atm <= atm_hi &&
               water >= water_lo && water <= water_hi && (runaway_ok || p.at("runaway_greenhouse") == 0);
    }
};

TEST(LabFind, ReportsExactlyThePlanetsThatMeetEveryCriterion) {
    const std::string range = "0..1499";
    std::vector<Json> systems;
    for (const std::string& line : lines_of(lab_output({"batch", "--seeds", range}))) systems.push_back(Json::parse(line));
    ASSERT_EQ(systems.size(), 1500u);

    const double inf = std::numeric_limits<double>::infinity();
    const JsonCriteria table[] = {
        {{}, 0, 30, 0.8, 1.2, 0.5, 2, 30, 90, false},
        {{"--temp-c", "-50:60", "--gravity", "0.3:3", "--pressure", "0.01:", "--hydrosphere", ":100",
          "--allow-runaway"},
         -50, 60, 0.3, 3, 0.01, inf, -inf, 100, true},
        {{"--temp-c", "-50:60", "--gravity", "0.3:3", "--pressure", "0.01:", "--hydrosphere", ":100"},
         -50, 60, 0.3, 3, 0.01, inf, -inf, 100, false},
        {{"--temp-c", "10:12", "--hydrosphere", "0:100"}, 10, 12, 0.8, 1.2, 0.5, 2, 0, 100, false},
    };
    for (const JsonCriteria& c : table) {
        SCOPED_TRACE(join(c.args));
        std::vector<Found> expected;
        std::vector<Json> expected_planets;
        for (const Json& sys : systems)
            for (const Json& p : sys.at("planets"))
                if (c.meets(p)) {
                    expected.push_back({sys.at("seed").get<std::uint32_t>(), p.at("number").get<int>()});
                    expected_planets.push_back(p);
                }

        std::vector<std::string> args = {"find", "--seeds", range, "--format", "jsonl", "--threads", "2"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const std::string jsonl = lab_output(args);
        std::vector<Found> found;
        for (const std::string& line : lines_of(jsonl)) {
            const Json j = Json::parse(line);
            found.push_back({j.at("seed").get<std::uint32_t>(), j.at("planet").at("number").get<int>()});
            if (found.size() <= expected_planets.size() && found.back() == expected[found.size() - 1]) {
                EXPECT_EQ(j.at("planet"), expected_planets[found.size() - 1]);
            }
        }
        EXPECT_EQ(found, expected);

        args[6] = "1";
        EXPECT_EQ(lab_output(args), jsonl) << "depends on the thread count";

        // The text lines name the same planets, one per line.
        args[4] = "text";
        const std::vector<std::string> text = lines_of(lab_output(args));
        ASSERT_EQ(text.size(), expected.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            const std::string head =
                "seed " + std::to_string(expected[i].seed) + " planet " + std::to_string(expected[i].number) + ": ";
            EXPECT_EQ(text[i].rfind(head, 0), 0u) << text[i];
        }

        // --limit keeps the first planets in seed order.
        if (expected.size() > 3) {
            args.insert(args.end(), {"--limit", "3"});
            EXPECT_EQ(lab_output(args), text[0] + "\n" + text[1] + "\n" + text[2] + "\n");
        }
    }
    // The table must exercise real matches, not an empty answer.
    JsonCriteria earth = table[0];
    std::size_t earths = 0;
    for (const Json& sys : systems)
        for (const Json& p : sys.at("planets")) earths += earth.meets(p);
    EXPECT_GT(earths, 10u);
}

// ---------------------------------------------------------------------------
// The progress bar: on a terminal only

TEST(LabProgress, BarOnATerminalOnly) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    ScratchDir terminal_dir("lab");
    Child child({ORRERY_LAB_BINARY, "batch", "--seeds", "0..400", "--threads", "2", "-o", "/dev/null"},
                {.dir = terminal_dir.path(), .stderr_fd = slave});
    close(slave);
    std::string seen;
    char buf[4096];
    for (;;) {
        const ssize_t n = read(master, buf, sizeof buf);
        if (n > 0)
            seen.append(buf, std::size_t(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;  // EIO once the program has ended
    }
    close(master);
    child.wait(std::chrono::seconds(60));
    EXPECT_EQ(child.describe(), "exit 0");
    EXPECT_NE(seen.find("401/401"), std::string::npos) << seen;
    EXPECT_NE(seen.find("systems/s"), std::string::npos) << seen;
    EXPECT_NE(seen.find("left"), std::string::npos) << seen;

    // The same run with standard error in a file: not a word.
    ScratchDir dir("lab");
    const LabRun r = run_lab({"batch", "--seeds", "0..400", "--threads", "2", "-o", "/dev/null"}, dir);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "");
}

// ---------------------------------------------------------------------------
// The JSON schema in the repository accepts real output

TEST(LabSchema, RealOutputValidates) {
    const std::string python = find_on_path("python3");
    if (python.empty() ||
        run_child({python, "-c", "import jsonschema"}, {.dir = fs::temp_directory_path()})->describe() != "exit 0")
        GTEST_SKIP() << "python3 with the jsonschema module is not installed";
    ScratchDir dir("lab");
    // Seeds with gas giants, a resonant planet and an airless rocky planet.
    write_file(dir / "batch.jsonl", lab_output({"batch", "--seeds", "0..200"}) +
                                        lab_output({"batch", "--seeds", "4294967295..4294967295"}));
    write_file(dir / "show.json", lab_output({"show", "--seed", "2450", "--format", "json"}));
    write_file(dir / "bad.json", R"({"seed": 1, "star": {}, "planets": []})");
    const fs::path script = dir / "check.py";
    write_file(script,
               "import json, sys, jsonschema\n"
               "schema = json.load(open(sys.argv[1]))\n"
               "jsonschema.Draft202012Validator.check_schema(schema)\n"
               "v = jsonschema.Draft202012Validator(schema)\n"
               "docs = [json.loads(l) for l in open(sys.argv[2])] + [json.load(open(sys.argv[3]))]\n"
               "for d in docs: v.validate(d)\n"
               "kinds = {p['kind'] for d in docs for p in d['planets']}\n"
               "assert kinds == {'rocky', 'gas giant'}, kinds\n"
               "assert not v.is_valid(json.load(open(sys.argv[4])))\n"
               "print(len(docs))\n");
    auto check = run_child({python, script.string(), std::string(ORRERY_SOURCE_DIR) + "/docs/system.schema.json",
                            (dir / "batch.jsonl").string(), (dir / "show.json").string(), (dir / "bad.json").string()},
                           {.dir = dir.path()});
    EXPECT_EQ(check->describe(), "exit 0") << check->out() << check->err();
    EXPECT_EQ(check->out(), "203\n");
    EXPECT_EQ(check->err(), "");
}

#endif  // ORRERY_LAB_BINARY

}  // namespace
}  // namespace orrery::testing
