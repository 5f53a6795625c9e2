// The distributions over many systems: a text summary and five plots. The
// reduction runs in seed order, so the result never depends on how many
// threads generated the systems.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <orrery/stats.h>

#include "pictures/look.h"
#include "pictures/plot.h"
#include "pictures/xml.h"

namespace orrery {

using namespace svg;

SystemSample sample_system(const System& system, bool earth_like) {
    const Star& star = system.star;
    const std::vector<Planet>& planets = system.planets;
    SystemSample s;
    s.seed = system.seed;
    s.star_mass = star.mass_ratio;
    s.earth_like = earth_like;
    s.planets.reserve(planets.size());
    for (const Planet& p : planets) {
        PlanetSample q;
        q.distance = p.distance;
        q.earth_masses = p.mass * EARTH_MASSES_PER_SOLAR_MASS;
        q.gas_giant = p.is_gas_giant != 0;
        // A gas giant's surface values are markers, not temperatures.
        q.surface_temp_c = q.gas_giant ? std::numeric_limits<double>::quiet_NaN() : p.surface_temp - 273.0;
        s.planets.push_back(q);
    }
    return s;
}

namespace {

template <class T>
void put(std::string& out, T v) {
    char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));
    out.append(b, sizeof(T));
}

template <class T>
T take(std::string_view& in) {
    if (in.size() < sizeof(T)) throw std::runtime_error("truncated system sample");
    T v;
    std::memcpy(&v, in.data(), sizeof(T));
    in.remove_prefix(sizeof(T));
    return v;
}

}  // namespace

std::string encode_sample(const SystemSample& s) {
    std::string out;
    out.reserve(17 + s.planets.size() * 25);
    put(out, s.seed);
    put(out, s.star_mass);
    put(out, static_cast<unsigned char>(s.earth_like));
    put(out, static_cast<std::uint32_t>(s.planets.size()));
    for (const PlanetSample& p : s.planets) {
        put(out, p.distance);
        put(out, p.earth_masses);
        put(out, p.surface_temp_c);
        put(out, static_cast<unsigned char>(p.gas_giant));
    }
    return out;
}

SystemSample decode_sample(std::string_view in) {
    SystemSample s;
    s.seed = take<std::uint32_t>(in);
    s.star_mass = take<double>(in);
    s.earth_like = take<unsigned char>(in) != 0;
    auto n = take<std::uint32_t>(in);
    if (in.size() != std::size_t(n) * 25) throw std::runtime_error("malformed system sample");
    s.planets.resize(n);
    for (PlanetSample& p : s.planets) {
        p.distance = take<double>(in);
        p.earth_masses = take<double>(in);
        p.surface_temp_c = take<double>(in);
        p.gas_giant = take<unsigned char>(in) != 0;
    }
    return s;
}

namespace {

bool positive_finite(double v) { return std::isfinite(v) && v > 0.0; }

// An integer cell index for a value, saturating so that absurd values
// still fit an int.
int cell_of(double v, double per_unit) {
    double c = std::floor(v * per_unit);
    if (std::isnan(c)) return 0;
    return static_cast<int>(std::clamp(c, -1e9, 1e9));
}

// A small, fixed scramble of the seed: the same jitter every run.
double jitter_of(std::uint32_t seed) {
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return (double(z >> 11) / double(1ull << 53) - 0.5) * 0.6;  // -0.3 to 0.3
}

}  // namespace

void SystemStats::add(const SystemSample& s) {
    unsigned n = static_cast<unsigned>(s.planets.size());
    unsigned giants = 0;
    for (const PlanetSample& p : s.planets) giants += p.gas_giant;
    if (systems_ == 0) {
        min_planets_ = max_planets_ = n;
        min_gas_giants_ = max_gas_giants_ = giants;
    }
    ++systems_;
    planets_ += n;
    gas_giants_ += giants;
    earth_like_ += s.earth_like;
    min_planets_ = std::min(min_planets_, n);
    max_planets_ = std::max(max_planets_, n);
    min_gas_giants_ = std::min(min_gas_giants_, giants);
    max_gas_giants_ = std::max(max_gas_giants_, giants);
    ++systems_by_planets_[n];

    for (const PlanetSample& p : s.planets) {
        if (positive_finite(p.distance)) {
            int k = cell_of(std::log10(p.distance), DISTANCE_BINS_PER_DECADE);
            ++(p.gas_giant ? giants_by_distance_ : rocky_by_distance_)[k];
        } else {
            ++unplotted_distance_;
        }
        if (positive_finite(p.distance) && positive_finite(p.earth_masses)) {
            std::pair<int, int> cell{cell_of(std::log10(p.distance), CELLS_PER_DECADE),
                                     cell_of(std::log10(p.earth_masses), CELLS_PER_DECADE)};
            (p.gas_giant ? giant_cells_ : rocky_cells_).insert(cell);
        } else {
            ++unplotted_mass_;
        }
        if (!p.gas_giant) {
            ++rocky_;
            // Beyond a million degrees a value is an artefact, not a climate.
            if (std::isfinite(p.surface_temp_c) && std::abs(p.surface_temp_c) < 1e6)
                ++temperature_bins_[cell_of(p.surface_temp_c, 1.0 / TEMP_BIN)];
            else
                ++unplotted_temperature_;
        }
    }

    if (std::isfinite(s.star_mass)) {
        star_mass_min_ = std::min(star_mass_min_, s.star_mass);
        star_mass_max_ = std::max(star_mass_max_, s.star_mass);
        int band = cell_of(s.star_mass, 1.0 / STAR_BAND);
        auto& [count, sum] = star_bands_[band];
        ++count;
        sum += n;
        star_cells_.insert({cell_of(s.star_mass, 1.0 / STAR_CELL),
                            cell_of(n + jitter_of(s.seed), 1.0 / COUNT_CELL)});
    }
}

std::string SystemStats::summary(std::string_view range) const {
    auto per_system = [&](std::uint64_t total) {
        return systems_ ? fixed(double(total) / double(systems_), 2) : std::string("n/a");
    };
    std::string s;
    s += "seeds " + std::string(range) + ": " + std::to_string(systems_) + " systems, " +
         std::to_string(planets_) + " planets (" + std::to_string(planets_ - gas_giants_) + " rocky, " +
         std::to_string(gas_giants_) + " gas giants)\n";
    s += "planets per system: mean " + per_system(planets_) + ", min " + std::to_string(min_planets_) +
         ", max " + std::to_string(max_planets_) + "\n";
    s += "gas giants per system: mean " + per_system(gas_giants_) + ", min " + std::to_string(min_gas_giants_) +
         ", max " + std::to_string(max_gas_giants_) + "\n";
    s += "systems with an Earth-like planet (find's defaults): " + std::to_string(earth_like_) + " of " +
         std::to_string(systems_) + " (" +
         (systems_ ? fixed(100.0 * double(earth_like_) / double(systems_), 2) : std::string("n/a")) + "%)\n";
    return s;
}

namespace {

constexpr double PLOT_WIDTH = 960;
constexpr double PLOT_LEFT = 118;
constexpr double PLOT_RIGHT = PLOT_WIDTH - 36;
constexpr double TITLE_FONT = 24;
constexpr double FONT = 17;
constexpr double PLOT_HEIGHT = 400;  // of the data area

// One legend entry: its icon is drawn by the caller at (x, row_y).
struct LegendEntry {
    enum Icon { bar, dot, dashed_line, solid_line } icon;
    std::string colour;
    std::string text;
};

// The frame every plot shares: title, legend rows, data area, axes below.
class PlotFrame {
public:
    PlotFrame(std::string title, std::vector<LegendEntry> legend) : title_(std::move(title)), legend_(std::move(legend)) {
        LegendLayout layout(PLOT_LEFT, PLOT_RIGHT, 58, FONT);
        for (const LegendEntry& e : legend_) {
            positions_.push_back({layout.place(30, e.text), 0});
            positions_.back().second = layout.row_y();
        }
        top_ = std::round((legend_.empty() ? 58 : layout.bottom()) + 18);
        bottom_ = top_ + PLOT_HEIGHT;
        height_ = std::ceil(bottom_ + 2 * FONT + 48);
    }
    double top() const { return top_; }
    double bottom() const { return bottom_; }
    const std::string& description() const { return description_; }

    void begin(XmlWriter& w, const std::string& description) {
        description_ = description;
        w.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
        w.open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                       {"width", svg_num(PLOT_WIDTH)},
                       {"height", svg_num(height_)},
                       {"viewBox", "0 0 " + svg_num(PLOT_WIDTH) + " " + svg_num(height_)},
                       {"font-family", std::string(FONT_STACK)},
                       {"role", "img"},
                       {"aria-labelledby", "plot-title plot-description"}});
        w.element("title", {{"id", "plot-title"}}, title_);
        w.element("desc", {{"id", "plot-description"}}, description);
        w.empty("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "#FFFFFF"}});
        label(w, PLOT_LEFT - 70, 36, title_, TITLE_FONT, "start", "bold", INK);
        w.open("g", {{"class", "legend"}});
        for (std::size_t i = 0; i < legend_.size(); ++i) {
            const LegendEntry& e = legend_[i];
            auto [x, y] = positions_[i];
            switch (e.icon) {
                case LegendEntry::bar:
                    w.empty("rect", {{"x", svg_num(x + 3)},
                                     {"y", svg_num(y - 9)},
                                     {"width", "24"},
                                     {"height", "18"},
                                     {"fill", e.colour}});
                    break;
                case LegendEntry::dot:
                    w.empty("circle", {{"cx", svg_num(x + 15)}, {"cy", svg_num(y)}, {"r", "5"}, {"fill", e.colour}});
                    break;
                case LegendEntry::dashed_line:
                case LegendEntry::solid_line:
                    w.empty("line", {{"x1", svg_num(x)},
                                     {"y1", svg_num(y)},
                                     {"x2", svg_num(x + 30)},
                                     {"y2", svg_num(y)},
                                     {"stroke", e.colour},
                                     {"stroke-width", "2.5"},
                                     {"stroke-dasharray", e.icon == LegendEntry::dashed_line ? "7 5" : "none"}});
                    break;
            }
            legend_text(w, x + 38, y, e.text, FONT);
        }
        w.close();
    }

    void axes(XmlWriter& w, const Scale& x, const Scale& y, std::string_view x_title, std::string_view y_title) const {
        draw_x_axis(w, x, bottom_, PLOT_LEFT, PLOT_RIGHT, x_title, FONT);
        draw_y_axis(w, y, PLOT_LEFT, top_, bottom_, y_title, FONT);
    }

    void grid(XmlWriter& w, const Scale& x, const Scale& y) const {
        draw_x_grid(w, x, top_, bottom_);
        draw_y_grid(w, y, PLOT_LEFT, PLOT_RIGHT);
    }

    void empty_note(XmlWriter& w, std::string_view text) const {
        label(w, (PLOT_LEFT + PLOT_RIGHT) / 2, (top_ + bottom_) / 2, text, 20, "middle", "normal", SOFT_INK);
    }

private:
    std::string title_, description_;
    std::vector<LegendEntry> legend_;
    std::vector<std::pair<double, double>> positions_;
    double top_ = 0, bottom_ = 0, height_ = 0;
};

void bar(XmlWriter& w, double x0, double x1, double y0, double y1, std::string_view colour) {
    if (x1 - x0 <= 0 || y0 - y1 <= 0) return;
    w.empty("rect", {{"x", svg_num(x0, 2)},
                     {"y", svg_num(y1, 2)},
                     {"width", svg_num(x1 - x0, 2)},
                     {"height", svg_num(y0 - y1, 2)},
                     {"fill", std::string(colour)}});
}

// Headroom above the highest bar, on a round number.
double count_axis_top(std::uint64_t highest) { return std::max(1.0, std::ceil(double(highest) * 1.08)); }

std::string unplotted_note(std::uint64_t n, const char* what) {
    return n ? " (" + std::to_string(n) + " " + what + " not shown: value not a number)" : std::string();
}

PlotFile planets_per_system(const SystemStats& st, const std::map<unsigned, std::uint64_t>& hist) {
    const double mean = st.systems() ? double(st.planets()) / double(st.systems()) : 0.0;
    PlotFrame f("Planets per system",
                {{LegendEntry::bar, palette::BLUE, "systems (" + std::to_string(st.systems()) + ")"},
                 {LegendEntry::dashed_line, palette::BLACK, "mean, " + fixed(mean, 2) + " planets"}});
    std::uint64_t highest = 0;
    for (auto [n, c] : hist) highest = std::max(highest, c);
    const double lo = hist.empty() ? 0.0 : double(hist.begin()->first) - 0.5;
    const double hi = hist.empty() ? 1.0 : double(hist.rbegin()->first) + 0.5;
    Scale x(std::max(-0.5, lo - 1), hi + 1, PLOT_LEFT, PLOT_RIGHT, false, true);
    Scale y(0, count_axis_top(highest), f.bottom(), f.top(), false, true);
    XmlWriter w;
    f.begin(w, "Histogram of the number of planets per system over " + std::to_string(st.systems()) + " systems.");
    f.grid(w, x, y);
    for (auto [n, c] : hist) {
        double a = x.map(n - 0.4), b = x.map(n + 0.4);
        bar(w, a, b, y.map(0), y.map(double(c)), palette::BLUE);
    }
    if (st.systems()) {
        double mx = x.map(mean);
        w.empty("line", {{"x1", svg_num(mx)},
                         {"y1", svg_num(f.top())},
                         {"x2", svg_num(mx)},
                         {"y2", svg_num(f.bottom())},
                         {"stroke", palette::BLACK},
                         {"stroke-width", "2.5"},
                         {"stroke-dasharray", "7 5"}});
    }
    f.axes(w, x, y, "Planets in the system", "Systems");
    w.close();
    return {"planets-per-system.svg", "Planets per system", f.description(), w.finish()};
}

// A log axis over whole decades that holds every occupied bin.
Scale decade_scale(double lo_value, double hi_value, double p0, double p1, double min_lo, double min_hi) {
    double lo = std::min(lo_value, min_lo), hi = std::max(hi_value, min_hi);
    lo = std::pow(10.0, std::floor(std::log10(lo) + 1e-9));
    hi = std::pow(10.0, std::ceil(std::log10(hi) - 1e-9));
    if (hi <= lo) hi = lo * 10;
    return Scale(lo, hi, p0, p1, true);
}

PlotFile distance_by_kind(const std::map<int, std::uint64_t>& rocky,
                          const std::map<int, std::uint64_t>& giants, std::uint64_t unplotted) {
    constexpr int B = SystemStats::DISTANCE_BINS_PER_DECADE;
    std::uint64_t n_rocky = 0, n_giants = 0;
    for (auto [k, c] : rocky) n_rocky += c;
    for (auto [k, c] : giants) n_giants += c;
    PlotFrame f("Planets against distance, by kind",
                {{LegendEntry::bar, palette::BLUE, "rocky planets (" + std::to_string(n_rocky) + ")"},
                 {LegendEntry::bar, palette::ORANGE,
                  "gas giants (" + std::to_string(n_giants) + "), stacked on the rocky ones"}});
    int kmin = 0, kmax = 0;
    bool any = false;
    std::map<int, std::pair<std::uint64_t, std::uint64_t>> bins;
    for (auto [k, c] : rocky) bins[k].first += c;
    for (auto [k, c] : giants) bins[k].second += c;
    std::uint64_t highest = 0;
    for (auto& [k, rc] : bins) {
        kmin = any ? std::min(kmin, k) : k;
        kmax = any ? std::max(kmax, k) : k;
        any = true;
        highest = std::max(highest, rc.first + rc.second);
    }
    Scale x = decade_scale(std::pow(10.0, double(kmin) / B), std::pow(10.0, double(kmax + 1) / B), PLOT_LEFT,
                           PLOT_RIGHT, 0.1, 100.0);
    Scale y(0, count_axis_top(highest), f.bottom(), f.top(), false, true);
    XmlWriter w;
    f.begin(w, "Histogram of planet distances from their star, ten bins per decade, gas giants stacked on rocky "
               "planets." + unplotted_note(unplotted, "planets"));
    f.grid(w, x, y);
    for (auto& [k, rc] : bins) {
        double a = x.map(std::pow(10.0, double(k) / B)) + 0.5, b = x.map(std::pow(10.0, double(k + 1) / B)) - 0.5;
        double base = y.map(0), top_rocky = y.map(double(rc.first)), top_all = y.map(double(rc.first + rc.second));
        bar(w, a, b, base, top_rocky, palette::BLUE);
        bar(w, a, b, top_rocky, top_all, palette::ORANGE);
    }
    if (!any) f.empty_note(w, "No planets in these systems.");
    f.axes(w, x, y, "Distance from the star (AU, logarithmic scale)", "Planets per bin (10 bins per decade)");
    w.close();
    return {"distance-by-kind.svg", "Planets against distance, by kind", f.description(), w.finish()};
}

PlotFile mass_against_distance(const std::set<std::pair<int, int>>& rocky, const std::set<std::pair<int, int>>& giants,
                               std::uint64_t unplotted) {
    constexpr double C = SystemStats::CELLS_PER_DECADE;
    PlotFrame f("Mass against distance, every planet",
                {{LegendEntry::dot, palette::BLUE, "rocky planet"}, {LegendEntry::dot, palette::ORANGE, "gas giant"}});
    double xlo = 1, xhi = 1, ylo = 1, yhi = 1;
    bool any = false;
    for (const auto* cells : {&rocky, &giants})
        for (auto [cx, cy] : *cells) {
            double dx = std::pow(10.0, cx / C), dy = std::pow(10.0, cy / C);
            double ex = std::pow(10.0, (cx + 1) / C), ey = std::pow(10.0, (cy + 1) / C);
            xlo = any ? std::min(xlo, dx) : dx, xhi = any ? std::max(xhi, ex) : ex;
            ylo = any ? std::min(ylo, dy) : dy, yhi = any ? std::max(yhi, ey) : ey;
            any = true;
        }
    Scale x = decade_scale(xlo, xhi, PLOT_LEFT, PLOT_RIGHT, 0.1, 100.0);
    Scale y = decade_scale(ylo, yhi, f.bottom(), f.top(), 0.01, 100.0);
    XmlWriter w;
    f.begin(w, "Scatter plot of planet mass in Earth masses against distance from the star in AU, both on "
               "logarithmic scales; each dot is one or more planets." + unplotted_note(unplotted, "planets"));
    f.grid(w, x, y);
    auto dots = [&](const std::set<std::pair<int, int>>& cells, const char* colour) {
        w.open("g", {{"fill", colour}, {"fill-opacity", "0.65"}});
        for (auto [cx, cy] : cells)
            w.empty("circle", {{"cx", svg_num(x.map(std::pow(10.0, (cx + 0.5) / C)))},
                               {"cy", svg_num(y.map(std::pow(10.0, (cy + 0.5) / C)))},
                               {"r", "2.4"}});
        w.close();
    };
    dots(rocky, palette::BLUE);
    dots(giants, palette::ORANGE);
    if (!any) f.empty_note(w, "No planets in these systems.");
    f.axes(w, x, y, "Distance from the star (AU, logarithmic scale)", "Mass (Earth masses, logarithmic scale)");
    w.close();
    return {"mass-against-distance.svg", "Mass against distance, every planet", f.description(), w.finish()};
}

PlotFile rocky_temperature(const std::map<long long, std::uint64_t>& fine, std::uint64_t rocky,
                           std::uint64_t unplotted) {
    constexpr double FINE = SystemStats::TEMP_BIN;
    // Wider bins when the temperatures spread far: a hundred bars at most.
    double width = FINE;
    if (!fine.empty()) {
        double span = double(fine.rbegin()->first - fine.begin()->first + 1) * FINE;
        for (double w : {10.0, 20.0, 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 1e4, 2e4, 5e4, 1e5, 2e5})
            if (w >= FINE) {
                width = w;
                if (span / w <= 100) break;
            }
    }
    std::map<long long, std::uint64_t> bins;
    for (auto [k, c] : fine) bins[static_cast<long long>(std::floor(double(k) * FINE / width))] += c;
    auto colour_of = [](double mid) {
        return mid < 0.0 ? palette::SKY_BLUE : mid <= 50.0 ? palette::BLUISH_GREEN : palette::VERMILLION;
    };
    PlotFrame f("Surface temperature of rocky planets",
                {{LegendEntry::bar, palette::SKY_BLUE, "cold (below 0 \xC2\xB0" "C)"},
                 {LegendEntry::bar, palette::BLUISH_GREEN, "temperate (0 to 50 \xC2\xB0" "C)"},
                 {LegendEntry::bar, palette::VERMILLION, "hot (above 50 \xC2\xB0" "C)"},
                 {LegendEntry::dashed_line, palette::BLACK, "water freezes and boils (0 and 100 \xC2\xB0" "C at 1 atm)"}});
    std::uint64_t highest = 0;
    for (auto [k, c] : bins) highest = std::max(highest, c);
    double lo = bins.empty() ? -100 : std::min(-50.0, double(bins.begin()->first) * width);
    double hi = bins.empty() ? 200 : std::max(150.0, double(bins.rbegin()->first + 1) * width);
    Scale x(lo, hi, PLOT_LEFT, PLOT_RIGHT, false);
    Scale y(0, count_axis_top(highest), f.bottom(), f.top(), false, true);
    XmlWriter w;
    f.begin(w, "Histogram of the surface temperature of " + std::to_string(rocky) + " rocky planets in bins of " +
                   fixed(width, 0) + " degrees Celsius." + unplotted_note(unplotted, "planets"));
    f.grid(w, x, y);
    for (auto [k, c] : bins) {
        double a = double(k) * width, b = a + width;
        bar(w, x.map(a) + 0.5, x.map(b) - 0.5, y.map(0), y.map(double(c)), colour_of((a + b) / 2));
    }
    for (double t : {0.0, 100.0}) {
        double px = x.map(t);
        w.empty("line", {{"x1", svg_num(px)},
                         {"y1", svg_num(f.top())},
                         {"x2", svg_num(px)},
                         {"y2", svg_num(f.bottom())},
                         {"stroke", palette::BLACK},
                         {"stroke-width", "2"},
                         {"stroke-dasharray", "7 5"}});
    }
    if (bins.empty()) f.empty_note(w, "No rocky planets in these systems.");
    f.axes(w, x, y, "Surface temperature (\xC2\xB0" "C)",
           "Rocky planets per " + fixed(width, 0) + " \xC2\xB0" "C bin");
    w.close();
    return {"rocky-temperature.svg", "Surface temperature of rocky planets", f.description(), w.finish()};
}

PlotFile star_mass_against_planets(const std::set<std::pair<int, int>>& cells,
                                   const std::map<int, std::pair<std::uint64_t, std::uint64_t>>& bands,
                                   double mass_min, double mass_max, unsigned min_planets,
                                   unsigned max_planets) {
    PlotFrame f("Star mass against number of planets",
                {{LegendEntry::dot, palette::REDDISH_PURPLE, "one system (spread up and down a little to show density)"},
                 {LegendEntry::solid_line, palette::BLACK, "mean per 0.05 solar masses of star"}});
    double lo = std::floor(std::min(mass_min, 0.6) / 0.05 + 1e-9) * 0.05;
    double hi = std::ceil(std::max(mass_max, 1.3) / 0.05 - 1e-9) * 0.05;
    Scale x(lo, hi, PLOT_LEFT, PLOT_RIGHT, false);
    Scale y(min_planets > 0 ? double(min_planets) - 1 : 0.0, double(max_planets) + 1, f.bottom(), f.top(), false,
            true);
    XmlWriter w;
    f.begin(w, "Scatter plot of the number of planets of each system against the mass of its star, with the mean "
               "number of planets per band of star mass.");
    f.grid(w, x, y);
    w.open("g", {{"fill", palette::REDDISH_PURPLE}, {"fill-opacity", "0.45"}});
    for (auto [cx, cy] : cells)
        w.empty("circle", {{"cx", svg_num(x.map((cx + 0.5) * SystemStats::STAR_CELL))},
                           {"cy", svg_num(y.map((cy + 0.5) * SystemStats::COUNT_CELL))},
                           {"r", "2.4"}});
    w.close();
    std::string path;
    for (auto& [band, cs] : bands) {
        double mid = (band + 0.5) * SystemStats::STAR_BAND;
        double mean = double(cs.second) / double(cs.first);
        path += (path.empty() ? "M" : " L") + svg_num(x.map(mid)) + " " + svg_num(y.map(mean));
    }
    if (!path.empty()) {
        w.empty("path", {{"d", path}, {"fill", "none"}, {"stroke", palette::BLACK}, {"stroke-width", "2.5"}});
        for (auto& [band, cs] : bands) {
            double mid = (band + 0.5) * SystemStats::STAR_BAND;
            w.empty("circle", {{"cx", svg_num(x.map(mid))},
                               {"cy", svg_num(y.map(double(cs.second) / double(cs.first)))},
                               {"r", "4"},
                               {"fill", palette::BLACK}});
        }
    }
    f.axes(w, x, y, "Star mass (solar masses)", "Planets in the system");
    w.close();
    return {"star-mass-against-planets.svg", "Star mass against number of planets", f.description(), w.finish()};
}

}  // namespace

std::vector<PlotFile> SystemStats::plots() const {
    std::vector<PlotFile> out;
    out.push_back(planets_per_system(*this, systems_by_planets_));
    out.push_back(distance_by_kind(rocky_by_distance_, giants_by_distance_, unplotted_distance_));
    out.push_back(mass_against_distance(rocky_cells_, giant_cells_, unplotted_mass_));
    out.push_back(rocky_temperature(temperature_bins_, rocky_, unplotted_temperature_));
    out.push_back(star_mass_against_planets(star_cells_, star_bands_, star_mass_min_, star_mass_max_, min_planets_,
                                            max_planets_));
    return out;
}

std::string SystemStats::index_html(std::string_view range, const std::vector<PlotFile>& plots) const {
    XmlWriter w;
    open_html_page(w, "Orrery statistics, seeds " + std::string(range), R"(
body { margin: 0; background: #FFFFFF; color: #1A1A1A;
  font: 16px/1.45 'DejaVu Sans', 'Segoe UI', Roboto, 'Helvetica Neue', Arial, sans-serif; }
main { max-width: 1000px; margin: 0 auto; padding: 16px; }
h1 { font-size: 1.6em; margin: 0.3em 0; }
pre { background: #F4F4F4; padding: 0.8em; overflow-x: auto; white-space: pre-wrap; }
figure { margin: 1.5em 0; }
figure img { display: block; width: 100%; height: auto; border: 1px solid #E0E0E0; }
figcaption { color: #444444; margin-top: 0.3em; }
)");
    w.open("body");
    w.open("main");
    w.element("h1", {}, "Orrery statistics, seeds " + std::string(range));
    w.element("pre", {{"id", "summary"}}, summary(range));
    w.element("p", {},
              "Earth-like by find's defaults: a rocky planet of 0 to 30 \xC2\xB0" "C, 0.8 to 1.2 Earth gravities, "
              "0.5 to 2 atmospheres, water on 30 to 90% of the surface, no runaway greenhouse.");
    for (const PlotFile& p : plots) {
        w.open("figure");
        w.empty("img", {{"src", p.name}, {"alt", p.title}, {"width", "960"}});
        w.element("figcaption", {}, p.caption);
        w.close();
    }
    w.close();
    w.close();
    w.close();
    return w.finish();
}

}  // namespace orrery
