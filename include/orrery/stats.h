// Distributions over many systems: what orrery-lab stats draws. Systems are
// reduced to small samples, added in seed order, and drawn as SVG plots with
// an HTML index page and a text summary.
//
// Thread safety: sample_system, encode_sample and decode_sample are pure; a
// SystemStats is a plain value that one thread at a time may add to.
#pragma once

#include <orrery/export.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <orrery/system.h>

namespace orrery {

// What the statistics need of one system.
struct PlanetSample {
    double distance = 0.0;       // AU
    double earth_masses = 0.0;
    double surface_temp_c = 0.0;  // rocky planets only; kelvin - 273.0
    bool gas_giant = false;
};

struct SystemSample {
    std::uint32_t seed = 0;
    double star_mass = 0.0;  // solar masses
    bool earth_like = false;  // holds a planet that find's defaults accept
    std::vector<PlanetSample> planets;
};

// earth_like: whether the system holds a planet the search criteria accept.
ORRERY_API SystemSample sample_system(const System& system, bool earth_like);

// A sample as bytes and back, to carry it from a worker thread to the
// in-order reduction.
ORRERY_API std::string encode_sample(const SystemSample& s);
ORRERY_API SystemSample decode_sample(std::string_view bytes);

// One plot file of the statistics.
struct PlotFile {
    std::string name;   // file name, e.g. "planets-per-system.svg"
    std::string title;    // what it shows
    std::string caption;  // how to read it
    std::string svg;
};

// The distributions over many systems. Systems are added in seed order; the
// result depends only on the systems added and their order. Memory stays
// bounded however many systems are added: scatter plots keep one point per
// drawing cell, histograms keep counts.
class ORRERY_API SystemStats {
public:
    void add(const SystemSample& s);

    std::uint64_t systems() const { return systems_; }
    std::uint64_t planets() const { return planets_; }
    std::uint64_t gas_giants() const { return gas_giants_; }
    std::uint64_t earth_like_systems() const { return earth_like_; }
    unsigned min_planets() const { return min_planets_; }
    unsigned max_planets() const { return max_planets_; }
    unsigned min_gas_giants() const { return min_gas_giants_; }
    unsigned max_gas_giants() const { return max_gas_giants_; }

    // The text summary for standard output; `range` names the seeds.
    std::string summary(std::string_view range) const;

    // The five plots.
    std::vector<PlotFile> plots() const;

    // The page that shows the plots (by their file names) and the summary.
    std::string index_html(std::string_view range, const std::vector<PlotFile>& plots) const;

private:
    std::uint64_t systems_ = 0;
    std::uint64_t planets_ = 0;
    std::uint64_t gas_giants_ = 0;
    std::uint64_t earth_like_ = 0;
    unsigned min_planets_ = 0, max_planets_ = 0;
    unsigned min_gas_giants_ = 0, max_gas_giants_ = 0;

    std::map<unsigned, std::uint64_t> systems_by_planets_;
    // Distance histogram: bin k holds distances in [10^(k/B), 10^((k+1)/B)).
    std::map<int, std::uint64_t> rocky_by_distance_, giants_by_distance_;
    std::uint64_t unplotted_distance_ = 0;
    // Mass against distance: occupied cells of a fine log-log grid.
    std::set<std::pair<int, int>> rocky_cells_, giant_cells_;
    std::uint64_t unplotted_mass_ = 0;
    // Rocky surface temperature: bin k holds [k, k+1) * TEMP_BIN degrees C.
    std::map<long long, std::uint64_t> temperature_bins_;
    std::uint64_t rocky_ = 0, unplotted_temperature_ = 0;
    // Star mass against planet count: occupied cells, and per star-mass band
    // the count of systems and the sum of their planets.
    std::set<std::pair<int, int>> star_cells_;
    std::map<int, std::pair<std::uint64_t, std::uint64_t>> star_bands_;
    double star_mass_min_ = HUGE_VAL, star_mass_max_ = -HUGE_VAL;

public:
    // Resolution of the kept data (public for the plots that draw it).
    static constexpr int DISTANCE_BINS_PER_DECADE = 10;
    static constexpr int CELLS_PER_DECADE = 100;
    static constexpr double TEMP_BIN = 10.0;
    static constexpr double STAR_BAND = 0.05;     // solar masses
    static constexpr double STAR_CELL = 0.002;    // solar masses
    static constexpr double COUNT_CELL = 0.04;    // planets (with jitter)
};

}  // namespace orrery
