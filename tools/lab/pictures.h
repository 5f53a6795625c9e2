// Pictures of generated systems: the diagram of one system (SVG), a page
// about one system (HTML), and the distributions over many systems (SVG
// plots with an HTML index). Rendering takes plain values so that it can be
// used and tested without running the command line.
#pragma once

#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "orrery/orrery.h"

namespace orrery::lab {

// Okabe and Ito's palette, chosen because its colours stay apart for readers
// with any of the common colour-vision deficiencies.
namespace palette {
inline constexpr char BLACK[] = "#000000";
inline constexpr char ORANGE[] = "#E69F00";
inline constexpr char SKY_BLUE[] = "#56B4E9";
inline constexpr char BLUISH_GREEN[] = "#009E73";
inline constexpr char YELLOW[] = "#F0E442";
inline constexpr char BLUE[] = "#0072B2";
inline constexpr char VERMILLION[] = "#D55E00";
inline constexpr char REDDISH_PURPLE[] = "#CC79A7";
}  // namespace palette

// What a planet looks like in the diagram.
enum class PlanetLook { gas_giant, rocky_hot, rocky_temperate, rocky_cold, rocky_unknown };

// Rocky planets are cold below 0 degrees C, temperate up to 50 degrees C,
// hot above (degrees C as the report gives them: kelvin - 273.0).
PlanetLook planet_look(const Planet& p);

// Water is drawn where it covers at least half of a rocky planet's surface.
bool shows_water(const Planet& p);

// Whether the spin is locked to the orbit: resonant on an eccentric orbit,
// or one day per year on a near-circular one.
bool spin_locked(const Planet& p);

// The system diagram, a complete SVG document.
std::string system_svg(std::uint32_t seed, const Star& star, const std::vector<Planet>& planets);

// The page about one system, a complete HTML document with the diagram
// inline and nothing fetched from elsewhere.
std::string system_page(std::uint32_t seed, const Star& star, const std::vector<Planet>& planets);

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

SystemSample sample_system(std::uint32_t seed, const Star& star, const std::vector<Planet>& planets,
                           bool earth_like);

// A sample as bytes and back, to carry it from a worker thread to the
// in-order reduction.
std::string encode_sample(const SystemSample& s);
SystemSample decode_sample(std::string_view bytes);

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
class SystemStats {
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

}  // namespace orrery::lab
