// The pictures of orrery-lab as their readers meet them: every SVG is parsed
// by a real XML parser and drawn by a real renderer, every page is opened in
// a real browser, and the statistics are checked against the systems
// themselves. Tools that are not installed make their tests skip, saying so.
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/golden.h"
#include "support/scratch_dir.h"
#include "pictures/look.h"
#include <orrery/pictures.h>
#include <orrery/stats.h>
#include "pictures/xml.h"
#include <orrery/orrery.h>

#include "pictures_png.h"

namespace orrery::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using orrery::PlanetLook;

System generate(std::uint32_t seed) { return make_system(seed); }

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

// ---------------------------------------------------------------------------
// The real tools

std::string tool(const std::string& name) { return find_on_path(name); }

#define REQUIRE_TOOL(var, name)                                                                     \
    const std::string var = tool(name);                                                             \
    if (var.empty()) GTEST_SKIP() << name " is not installed (Debian: scripts/setup-deps installs it)"

// xmllint --noout: silent and status 0 for a well-formed document.
void expect_well_formed(const std::string& xmllint, const fs::path& file) {
    ScratchDir io("xmllint");
    auto run = run_child({xmllint, "--noout", "--nonet", file.string()}, {.dir = io.path()});
    EXPECT_EQ(run->exit_code(), 0) << file << ": " << run->describe() << "\n" << run->err();
    EXPECT_EQ(run->err(), "") << file;
}

// What xmllint reads at an XPath, as a string.
std::string xpath_string(const std::string& xmllint, const fs::path& file, const std::string& path) {
    ScratchDir io("xpath");
    auto run = run_child({xmllint, "--nonet", "--xpath", "string(" + path + ")", file.string()}, {.dir = io.path()});
    EXPECT_EQ(run->exit_code(), 0) << run->err();
    std::string out = run->out();
    if (!out.empty() && out.back() == '\n') out.pop_back();  // xmllint ends the answer with a newline
    return out;
}

// The SVG drawn to a PNG by rsvg-convert and read back.
Image render_svg(const std::string& rsvg, const fs::path& svg) {
    fs::path png = svg;
    png += ".png";
    ScratchDir io("rsvg");
    auto run = run_child({rsvg, "--format=png", "-o", png.string(), svg.string()}, {.dir = io.path()}, 120s);
    EXPECT_EQ(run->exit_code(), 0) << svg << ": " << run->describe() << "\n" << run->err();
    EXPECT_EQ(run->err(), "") << svg;
    if (run->exit_code() != 0) return {};
    return decode_png(read_file(png));
}

// The share of pixels that differ clearly from the top-left pixel (the
// background).
double inked_share(const Image& img) {
    if (img.pixels.empty()) return 0.0;
    const auto bg = img.pixels[0];
    std::size_t inked = 0;
    for (const auto& p : img.pixels) {
        int d = 0;
        for (int c = 0; c < 3; ++c) d += std::abs(int(p[c]) - int(bg[c]));
        inked += d > 60;
    }
    return double(inked) / double(img.pixels.size());
}

std::size_t pixels_of_colour(const Image& img, std::uint32_t rgb) {
    std::size_t n = 0;
    for (const auto& p : img.pixels)
        n += p[0] == (rgb >> 16 & 0xFF) && p[1] == (rgb >> 8 & 0xFF) && p[2] == (rgb & 0xFF);
    return n;
}

// The value of the first attribute `name` at or after `from` in the same
// tag, or "" when there is none.
std::string attribute_at(const std::string& text, std::size_t from, const std::string& name) {
    const std::size_t end = text.find('>', from);
    const std::size_t at = text.find(" " + name + "=\"", from);
    if (at == std::string::npos || at > end) return "";
    const std::size_t value = at + name.size() + 3;
    return text.substr(value, text.find('"', value) - value);
}

// The declared size of an SVG document.
std::pair<unsigned, unsigned> svg_size(const std::string& svg) {
    const std::size_t root = svg.find("<svg");
    const std::string w = attribute_at(svg, root, "width"), h = attribute_at(svg, root, "height");
    EXPECT_TRUE(root != std::string::npos && !w.empty() && !h.empty()) << "no width and height";
    if (w.empty() || h.empty()) return {0, 0};
    return {unsigned(std::stoul(w)), unsigned(std::stoul(h))};
}

// The longest run of digits before a decimal point in any numeric attribute
// value: a coordinate of seven digits or more is off any picture.
std::size_t widest_number_in_attributes(const std::string& text) {
    std::size_t widest = 0;
    for (std::size_t at = text.find("=\""); at != std::string::npos; at = text.find("=\"", at + 2)) {
        const std::size_t begin = at + 2, end = text.find('"', begin);
        const std::string v = text.substr(begin, end - begin);
        if (v.empty() || v.find_first_not_of("-0123456789.") != std::string::npos) continue;
        std::string whole = v.substr(0, v.find('.'));
        if (whole[0] == '-') whole.erase(0, 1);
        widest = std::max(widest, whole.size());
    }
    return widest;
}

// Checks an SVG the way a reader's software meets it: parsed strictly, drawn
// at its declared size, not blank, with a legend.
void check_svg(const std::string& xmllint, const std::string& rsvg, const fs::path& file) {
    SCOPED_TRACE(file.string());
    const std::string svg = read_file(file);
    expect_well_formed(xmllint, file);
    EXPECT_NE(svg.find("class=\"legend\""), std::string::npos) << "no legend";
    EXPECT_GT(std::atof(xpath_string(xmllint, file, "count(//*[local-name()='g'][@class='legend']/*[local-name()='text'])")
                            .c_str()),
              0.0)
        << "the legend says nothing";
    const Image img = render_svg(rsvg, file);
    const auto [w, h] = svg_size(svg);
    EXPECT_EQ(img.width, w);
    EXPECT_EQ(img.height, h);
    EXPECT_GT(inked_share(img), 0.02) << "the rendered image is (nearly) blank";
}

// Chromium headless, with a profile of its own and nothing that reaches for
// the network.
std::unique_ptr<Child> run_chromium(const std::string& chromium, const std::vector<std::string>& args,
                                    const ScratchDir& profile) {
    std::vector<std::string> argv = {chromium,
                                     "--headless",
                                     "--no-sandbox",
                                     "--disable-gpu",
                                     "--disable-quic",
                                     "--no-first-run",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     "--disable-sync",
                                     "--user-data-dir=" + profile.path().string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_child(argv, {.dir = profile.path()}, 120s);
}

// ---------------------------------------------------------------------------
// Text and numbers in markup

TEST(PicturesXml, EscapesMarkupAndDropsWhatXmlForbids) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain text", "plain text"},
        {"a<b>c", "a&lt;b&gt;c"},
        {"Tom & \"Jerry\" 's", "Tom &amp; &quot;Jerry&quot; &#39;s"},
        {"&amp;", "&amp;amp;"},
        {"]]>", "]]&gt;"},
        {"tab\tnew\nline\rcr", "tab\tnew\nline\rcr"},
        {std::string("nul\0bell\x07" "esc\x1B", 13), "nulbellesc"},
        {"\xC2\xB0" "C \xE2\x80\x94 \xF0\x9F\x8C\x8D", "\xC2\xB0" "C \xE2\x80\x94 \xF0\x9F\x8C\x8D"},
        {"bad \xFF byte", "bad \xEF\xBF\xBD byte"},
        {"cut \xE2\x80", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
        {"overlong \xC0\xAF", "overlong \xEF\xBF\xBD\xEF\xBF\xBD"},
        {"surrogate \xED\xA0\x80", "surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"nonchar \xEF\xBF\xBF", "nonchar "},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(xml_escape(in), out) << in;
}

TEST(PicturesXml, EscapedTextReadsBackThroughARealParser) {
    REQUIRE_TOOL(xmllint, "xmllint");
    const std::string nasty = "<b>&amp; \"q\" 'a' ]]> \x01\x02 caf\xC3\xA9 <!-- -->";
    const std::string expected = "<b>&amp; \"q\" 'a' ]]>  caf\xC3\xA9 <!-- -->";
    XmlWriter w;
    w.open("doc");
    w.element("item", {{"label", nasty}}, nasty);
    w.close();
    ScratchDir dir("xml");
    write_file(dir / "doc.xml", w.finish());
    expect_well_formed(xmllint, dir / "doc.xml");
    EXPECT_EQ(xpath_string(xmllint, dir / "doc.xml", "/doc/item/@label"), expected);
    EXPECT_EQ(xpath_string(xmllint, dir / "doc.xml", "/doc/item"), expected);
}

TEST(PicturesXml, WriterRefusesUnbalancedElements) {
    XmlWriter w;
    EXPECT_THROW(w.close(), std::logic_error);
    w.open("svg");
    w.open("g");
    w.close();
    EXPECT_THROW(w.finish(), std::logic_error);
}

TEST(PicturesXml, NumbersIgnoreTheLocaleAndNeverShowMinusZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double v;
        int decimals;
        const char* svg;
        const char* fixed;
    };
    const Case cases[] = {
        {12.0, 1, "12", "12.0"},       {12.25, 1, "12.2", "12.2"},  {-0.04, 1, "0", "0.0"},
        {-0.0, 2, "0", "0.00"},        {-3.5, 1, "-3.5", "-3.5"},   {1e-9, 3, "0", "0.000"},
        {1234567.891, 2, "1234567.89", "1234567.89"},               {nan, 1, "0", "n/a"},
        {inf, 1, "0", "n/a"},          {-inf, 2, "0", "n/a"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(svg_num(c.v, c.decimals), c.svg) << c.v;
        EXPECT_EQ(fixed(c.v, c.decimals), c.fixed) << c.v;
    }
    // Small masses keep three significant digits; large ones their decimals.
    EXPECT_EQ(fixed_significant(385.659, 3, 3), "385.659");
    EXPECT_EQ(fixed_significant(0.000436712, 3, 3), "0.000437");
    EXPECT_EQ(fixed_significant(2.105e-06, 3, 3), "0.00000211");
    EXPECT_EQ(fixed_significant(0.0, 3, 3), "0.000");
    EXPECT_EQ(fixed_significant(nan, 3, 3), "n/a");
}

// ---------------------------------------------------------------------------
// What a planet looks like

TEST(PicturesLook, KindAndTemperatureClassTheWayTheLegendSays) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        int gas_giant;
        double kelvin;
        double hydrosphere;
        PlanetLook look;
        bool water;
    };
    const Case cases[] = {
        {1, HUGE_VALUE, HUGE_VALUE, PlanetLook::gas_giant, false},
        {1, 300.0, 0.9, PlanetLook::gas_giant, false},  // a giant never shows an ocean
        {0, 272.99, 0.0, PlanetLook::rocky_cold, false},
        {0, 273.0, 0.5, PlanetLook::rocky_temperate, true},  // 0 degrees C
        {0, 323.0, 0.49, PlanetLook::rocky_temperate, false},  // 50 degrees C
        {0, 323.01, 1.0, PlanetLook::rocky_hot, true},
        {0, -5.0, 0.7, PlanetLook::rocky_cold, true},
        {0, nan, nan, PlanetLook::rocky_unknown, false},
        {0, HUGE_VALUE, 1.5, PlanetLook::rocky_unknown, false},
    };
    for (const Case& c : cases) {
        Planet p;
        p.is_gas_giant = c.gas_giant;
        p.surface_temp = c.kelvin;
        p.hydrosphere = c.hydrosphere;
        EXPECT_EQ(planet_look(p), c.look) << c.kelvin;
        EXPECT_EQ(shows_water(p), c.water) << c.kelvin << " " << c.hydrosphere;
    }
}

TEST(PicturesLook, LockedSpinIsSeenInTheReferenceSystems) {
    // Seed 1546's planet 2 turns in resonance with its eccentric orbit.
    const System s = generate(1546);
    ASSERT_GE(s.planets.size(), 2u);
    EXPECT_TRUE(spin_locked(s.planets[1]));
    EXPECT_FALSE(spin_locked(s.planets[0]));
    // A circular orbit locks to one day per year, without resonance.
    Planet p;
    p.year_days = 120.5;
    p.day_hours = 120.5 * 24.0;
    EXPECT_TRUE(spin_locked(p));
    p.day_hours = 120.5;
    EXPECT_FALSE(spin_locked(p));
}

// ---------------------------------------------------------------------------
// The diagram

// Disc centre of every planet, by number, read from the drawing.
std::map<int, double> planet_x(const std::string& svg) {
    std::map<int, double> xs;
    const std::string group = "<g id=\"planet-";
    for (std::size_t at = svg.find(group); at != std::string::npos; at = svg.find(group, at + 1)) {
        const int number = std::stoi(svg.substr(at + group.size()));
        const std::size_t disc = svg.find("<circle", at);
        xs[number] = std::stod(attribute_at(svg, disc, "cx"));
    }
    return xs;
}

class PicturesGolden : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(PicturesGolden, DiagramParsesRendersAndNumbersPlanetsAsTheReport) {
    REQUIRE_TOOL(xmllint, "xmllint");
    REQUIRE_TOOL(rsvg, "rsvg-convert");
    const std::uint32_t seed = GetParam();
    const System s = generate(seed);
    const std::string svg = system_svg(System{seed, s.star, s.planets});
    ScratchDir dir("diagram");
    write_file(dir / "system.svg", svg);
    check_svg(xmllint, rsvg, dir / "system.svg");

    // One disc per planet, numbered in list order, each titled with its own
    // distance as the report prints it.
    const std::map<int, double> xs = planet_x(svg);
    ASSERT_EQ(xs.size(), s.planets.size());
    for (std::size_t i = 0; i < s.planets.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        SCOPED_TRACE("planet " + n);
        EXPECT_NE(svg.find("<title>Planet " + n + ": " + (s.planets[i].is_gas_giant ? "gas giant" : "rocky") +
                           ", " + fixed(s.planets[i].distance, 3) + " AU"),
                  std::string::npos);
        EXPECT_EQ(xpath_string(xmllint, dir / "system.svg",
                               "//*[@id='planet-" + n + "']/*[local-name()='text']"),
                  n);
    }
    // Farther planets are drawn farther right, whatever their list order.
    for (std::size_t i = 0; i < s.planets.size(); ++i)
        for (std::size_t j = 0; j < s.planets.size(); ++j)
            if (s.planets[i].distance < s.planets[j].distance) {
                EXPECT_LT(xs.at(int(i + 1)), xs.at(int(j + 1))) << i + 1 << " and " << j + 1;
            }

    // The title names the seed and the star.
    EXPECT_NE(svg.find("Seed " + std::to_string(seed) + ": "), std::string::npos);
    EXPECT_NE(svg.find("Star of " + fixed(s.star.mass_ratio, 3) + " solar masses, luminosity " +
                       fixed(s.star.luminosity_ratio, 3)),
              std::string::npos);
    // A gas giant's marker values never reach the drawing as coordinates.
    EXPECT_LT(widest_number_in_attributes(svg), 7u) << "an absurd coordinate";
}

TEST_P(PicturesGolden, PageOpensInABrowserWithOneRowPerPlanet) {
    REQUIRE_TOOL(xmllint, "xmllint");
    REQUIRE_TOOL(chromium, "chromium");
    const std::uint32_t seed = GetParam();
    const System s = generate(seed);
    const std::string html = system_page(System{seed, s.star, s.planets});
    ScratchDir dir("page");
    write_file(dir / "system.html", html);
    // Well formed even to a strict XML parser, so every value was escaped.
    expect_well_formed(xmllint, dir / "system.html");

    // Self-contained: nothing to fetch, nothing to run.
    for (const char* outside : {"src=", "href=", "<script", "<link", "@import", "url(http", "//fonts."})
        EXPECT_EQ(html.find(outside), std::string::npos) << outside;
    EXPECT_EQ(count_of(html, "http"), count_of(html, "xmlns=\"http://www.w3.org/")) << "a link to elsewhere";

    ScratchDir profile("chromium");
    auto run = run_chromium(chromium, {"--dump-dom", "file://" + (dir / "system.html").string()}, profile);
    ASSERT_EQ(run->exit_code(), 0) << run->describe() << "\n" << run->err();
    const std::string dom = run->out();
    std::size_t giants = 0;
    for (const Planet& p : s.planets) giants += p.is_gas_giant != 0;
    EXPECT_NE(dom.find("<table id=\"planets\">"), std::string::npos);
    EXPECT_EQ(count_of(dom, "<tr class=\"gas-giant\">"), giants);
    EXPECT_EQ(count_of(dom, "<tr class=\"rocky\">"), s.planets.size() - giants);
    EXPECT_EQ(count_of(dom, "<th scope=\"row\">"), s.planets.size());
    EXPECT_NE(dom.find("<svg"), std::string::npos) << "the diagram is not inline";
    for (const char* unit : {"AU", "Earth masses", "km", "Earth g", "\xC2\xB0" "C", "atm", "% of surface", "hours",
                             "Earth years"})
        EXPECT_NE(dom.find("<span class=\"unit\">" + std::string(unit) + "</span>"), std::string::npos) << unit;
}

INSTANTIATE_TEST_SUITE_P(Seeds, PicturesGolden, ::testing::ValuesIn(golden_seeds()),
                         [](const auto& info) { return "seed_" + std::to_string(info.param); });

TEST(PicturesPage, ScreenshotShowsTheDiagramAndTheTable) {
    REQUIRE_TOOL(chromium, "chromium");
    const System s = generate(42);
    ScratchDir dir("shot");
    write_file(dir / "system.html", system_page(System{42, s.star, s.planets}));
    ScratchDir profile("chromium");
    auto run = run_chromium(chromium,
                            {"--window-size=1280,1600", "--screenshot=" + (dir / "shot.png").string(),
                             "file://" + (dir / "system.html").string()},
                            profile);
    ASSERT_EQ(run->exit_code(), 0) << run->describe() << "\n" << run->err();
    const Image img = decode_png(read_file(dir / "shot.png"));
    EXPECT_EQ(img.width, 1280u);
    EXPECT_GT(inked_share(img), 0.03);
    // The gas giants' orange and the tinted rows of the table are on screen.
    EXPECT_GT(pixels_of_colour(img, 0xE69F00), 200u);
    EXPECT_GT(pixels_of_colour(img, 0xFDF6E7), 2000u);
}

TEST(PicturesDiagram, AxisReachesEveryPlanetAndOddValuesStayDrawable) {
    REQUIRE_TOOL(xmllint, "xmllint");
    REQUIRE_TOOL(rsvg, "rsvg-convert");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    System s = generate(42);
    auto planet = [](double a, double e, int giant, double radius_km, double kelvin) {
        Planet p;
        p.distance = a, p.eccentricity = e, p.is_gas_giant = giant, p.radius = radius_km;
        p.surface_temp = giant ? HUGE_VALUE : kelvin;
        p.hydrosphere = giant ? HUGE_VALUE : 0.0;
        p.mass = 1e-6;
        return p;
    };
    s.planets.push_back(planet(0.004, 0.5, 0, 1737.0, 900.0));   // inside any usual axis
    s.planets.push_back(planet(700.0, 0.9, 1, 120000.0, 0.0));  // apoapsis at 1330 AU
    s.planets.push_back(planet(3.0, 0.1, 0, 0.0, nan));          // no radius, no temperature
    s.planets.back().albedo = -0.4;
    s.planets.back().hydrosphere = nan;
    s.planets.push_back(planet(2.0, 1.5, 0, 3000.0, 250.0));     // an orbit that is no ellipse
    s.planets.push_back(planet(nan, 0.1, 0, 5000.0, 280.0));     // nowhere to draw it
    const std::string svg = system_svg(System{7, s.star, s.planets});
    ScratchDir dir("odd");
    write_file(dir / "odd.svg", svg);
    check_svg(xmllint, rsvg, dir / "odd.svg");

    for (const char* bad : {"nan", "inf", "e+"}) EXPECT_EQ(svg.find(bad), std::string::npos) << bad;
    EXPECT_NE(svg.find("rocky, temperature unknown"), std::string::npos);
    // The axis widens by whole decades to hold them.
    for (const char* tick : {">0.001<", ">10000<"}) EXPECT_NE(svg.find(tick), std::string::npos) << tick;
    const std::map<int, double> xs = planet_x(svg);
    EXPECT_EQ(xs.size(), s.planets.size() - 1) << "every planet with a distance is drawn";
    for (auto [n, x] : xs) {
        EXPECT_GT(x, 100.0) << n;
        EXPECT_LT(x, 1150.0) << n;
    }
}

TEST(PicturesDiagram, StarWithoutPlanetsStillMakesAPictureAndAPage) {
    REQUIRE_TOOL(xmllint, "xmllint");
    REQUIRE_TOOL(rsvg, "rsvg-convert");
    const System s = generate(42);
    ScratchDir dir("empty");
    write_file(dir / "empty.svg", system_svg(System{42, s.star, {}}));
    check_svg(xmllint, rsvg, dir / "empty.svg");
    EXPECT_NE(read_file(dir / "empty.svg").find("No planet formed"), std::string::npos);
    write_file(dir / "empty.html", system_page(System{42, s.star, {}}));
    expect_well_formed(xmllint, dir / "empty.html");
    EXPECT_EQ(read_file(dir / "empty.html").find("<table"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Statistics

SystemSample sample(std::uint32_t seed, double star_mass, bool earth_like,
                         std::vector<PlanetSample> planets) {
    SystemSample s;
    s.seed = seed, s.star_mass = star_mass, s.earth_like = earth_like, s.planets = std::move(planets);
    return s;
}

TEST(PicturesStats, SummaryCountsWhatWasAdded) {
    const PlanetSample rock{0.5, 1.0, 15.0, false}, giant{5.0, 300.0, std::nan(""), true};
    SystemStats st;
    st.add(sample(10, 0.7, false, {rock, giant}));
    st.add(sample(11, 0.9, false, {}));
    st.add(sample(12, 1.2, true, {rock, rock, rock, giant, giant}));
    EXPECT_EQ(st.summary("10..12"),
              "seeds 10..12: 3 systems, 7 planets (4 rocky, 3 gas giants)\n"
              "planets per system: mean 2.33, min 0, max 5\n"
              "gas giants per system: mean 1.00, min 0, max 2\n"
              "systems with an Earth-like planet (find's defaults): 1 of 3 (33.33%)\n");
}

TEST(PicturesStats, SampleKeepsGasGiantMarkersOutAndTravelsIntact) {
    const System s = generate(42);
    const SystemSample a = sample_system(System{42, s.star, s.planets}, true);
    ASSERT_EQ(a.planets.size(), s.planets.size());
    for (std::size_t i = 0; i < s.planets.size(); ++i) {
        const Planet& p = s.planets[i];
        EXPECT_EQ(a.planets[i].gas_giant, p.is_gas_giant != 0);
        if (p.is_gas_giant)
            EXPECT_TRUE(std::isnan(a.planets[i].surface_temp_c)) << "a marker, not a temperature";
        else
            EXPECT_EQ(a.planets[i].surface_temp_c, p.surface_temp - 273.0);
    }
    const SystemSample b = decode_sample(encode_sample(a));
    EXPECT_EQ(b.seed, 42u);
    EXPECT_EQ(b.star_mass, a.star_mass);
    EXPECT_TRUE(b.earth_like);
    ASSERT_EQ(b.planets.size(), a.planets.size());
    for (std::size_t i = 0; i < a.planets.size(); ++i) {
        EXPECT_EQ(b.planets[i].distance, a.planets[i].distance);
        EXPECT_EQ(b.planets[i].earth_masses, a.planets[i].earth_masses);
        EXPECT_EQ(std::isnan(b.planets[i].surface_temp_c), std::isnan(a.planets[i].surface_temp_c));
        EXPECT_EQ(b.planets[i].gas_giant, a.planets[i].gas_giant);
    }
    std::string bytes = encode_sample(a);
    EXPECT_THROW(decode_sample(std::string_view(bytes).substr(0, bytes.size() - 1)), std::runtime_error);
}

TEST(PicturesStats, PlotsStayValidWithOddAndMissingValues) {
    REQUIRE_TOOL(xmllint, "xmllint");
    REQUIRE_TOOL(rsvg, "rsvg-convert");
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        std::vector<SystemSample> systems;
    };
    const Case cases[] = {
        {"no planets at all", {sample(1, 0.8, false, {}), sample(2, 1.1, false, {})}},
        {"a star mass that is not a number", {sample(1, std::nan(""), false, {{1.0, 1.0, 10.0, false}}),
                                              sample(2, 0.9, false, {{2.0, 2.0, -10.0, false}})}},
        {"giants only", {sample(1, 0.8, false, {{3.0, 100.0, nan, true}, {9.0, 30.0, nan, true}})}},
        {"odd values",
         {sample(1, 0.8, false,
                 {{nan, 1.0, 20.0, false},
                  {0.0, 0.0, -inf, false},
                  {-1.0, -5.0, 1e300, false},
                  {2.0, 1e-12, -280.0, false},
                  {1e5, 1e6, 5000.0, false}})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SystemStats st;
        for (const auto& s : c.systems) st.add(s);
        const auto plots = st.plots();
        ASSERT_EQ(plots.size(), 5u);
        ScratchDir dir("plots");
        for (const auto& p : plots) {
            for (const char* bad : {"nan", "inf"}) EXPECT_EQ(p.svg.find(bad), std::string::npos) << p.name << bad;
            write_file(dir / p.name, p.svg);
            check_svg(xmllint, rsvg, dir / p.name);
        }
    }
}

#ifdef ORRERY_LAB_BINARY

std::unique_ptr<Child> lab_run(const std::vector<std::string>& args, const fs::path& dir,
                               const fs::path& stdout_path = {}) {
    std::vector<std::string> argv = {ORRERY_LAB_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_child(argv, {.dir = dir, .stdout_path = stdout_path}, 300s);
}

std::string joined(const std::vector<std::string>& args) {
    std::string s;
    for (const auto& a : args) s += (s.empty() ? "" : " ") + a;
    return s;
}

TEST(PicturesCommands, DrawAndPageWriteTheRenderingOfTheSeed) {
    const System s = generate(1546);
    ScratchDir dir("cmd");
    auto run = lab_run({"draw", "--seed", "1546"}, dir.path());
    ASSERT_EQ(run->exit_code(), 0) << run->err();
    EXPECT_EQ(run->out(), system_svg(System{1546, s.star, s.planets}));
    run = lab_run({"page", "--seed", "1546", "-o", "p.html"}, dir.path());
    ASSERT_EQ(run->exit_code(), 0) << run->err();
    EXPECT_EQ(run->out(), "");
    EXPECT_EQ(read_file(dir / "p.html"), system_page(System{1546, s.star, s.planets}));
    EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"p.html"});
}

TEST(PicturesCommands, BadInputExitsWithStatus2AndWritesNothing) {
    ScratchDir dir("bad");
    write_file(dir / "a-file", "x");
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"draw"}, "--seed"},
        {{"draw", "--seed", "x1"}, "x1"},
        {{"draw", "--seed", "1", "--at", "2000-01-01 00:00:00"}, "--at"},
        {{"page", "--seed", "4294967296"}, "4294967296"},
        {{"draw", "--seed", "1", "-o", "missing/d.svg"}, "missing"},
        {{"page", "--seed", "1", "-o", "missing/p.html"}, "missing"},
        {{"stats"}, "--seeds"},
        {{"stats", "--seeds", "9..3"}, "9..3"},
        {{"stats", "--seeds", "1..5", "--threads", "0"}, "--threads"},
        {{"stats", "--seeds", "1..5", "-o", "missing/plots"}, "missing"},
        {{"stats", "--seeds", "1..5", "-o", "a-file"}, "a-file"},
        {{"stats", "--seeds", "1..5", "-o", ""}, "-o"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(joined(c.args));
        auto run = lab_run(c.args, dir.path());
        EXPECT_EQ(run->exit_code(), 2) << run->describe();
        EXPECT_EQ(run->out(), "");
        EXPECT_EQ(run->err().rfind("orrery-lab: ", 0), 0u) << run->err();
        EXPECT_NE(run->err().find(c.message), std::string::npos) << run->err();
        EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"a-file"});
    }
}

TEST(PicturesCommands, UnwritableOutputNamesTheFileWithStatus1) {
    ScratchDir dir("unwritable");
    const std::string enospc = std::strerror(ENOSPC);
    for (const char* cmd : {"draw", "page"}) {
        SCOPED_TRACE(cmd);
        auto run = lab_run({cmd, "--seed", "42", "-o", "/dev/full"}, dir.path());
        EXPECT_EQ(run->exit_code(), 1);
        EXPECT_EQ(run->err(), "orrery-lab: /dev/full: " + enospc + "\n");
        run = lab_run({cmd, "--seed", "42"}, dir.path(), "/dev/full");
        EXPECT_EQ(run->exit_code(), 1);
        EXPECT_EQ(run->err(), "orrery-lab: standard output: " + enospc + "\n");
    }
    // A directory that cannot be made, even by root.
    auto run = lab_run({"stats", "--seeds", "1..5", "-o", "/proc/orrery-plots"}, dir.path());
    EXPECT_EQ(run->exit_code(), 1);
    EXPECT_EQ(run->err().rfind("orrery-lab: /proc/orrery-plots: ", 0), 0u) << run->err();
    EXPECT_EQ(run->out(), "");
    run = lab_run({"stats", "--seeds", "1..5"}, dir.path(), "/dev/full");
    EXPECT_EQ(run->exit_code(), 1);
    EXPECT_EQ(run->err(), "orrery-lab: standard output: " + enospc + "\n");
}

TEST(PicturesCommands, StatsAgreesWithTheSystemsAndIsTheSameWhateverTheThreads) {
    const std::uint32_t first = 1, last = 300;
    // The summary, counted straight from the systems.
    std::uint64_t planets = 0, giants = 0, earth_like = 0;
    unsigned min_p = ~0u, max_p = 0, min_g = ~0u, max_g = 0;
    for (std::uint32_t seed = first; seed <= last; ++seed) {
        const System s = generate(seed);
        unsigned g = 0;
        bool found = false;
        for (const Planet& p : s.planets) {
            g += p.is_gas_giant != 0;
            found = found || meets(p, Criteria{});
        }
        planets += s.planets.size(), giants += g, earth_like += found;
        min_p = std::min<unsigned>(min_p, s.planets.size()), max_p = std::max<unsigned>(max_p, s.planets.size());
        min_g = std::min(min_g, g), max_g = std::max(max_g, g);
    }
    const double n = last - first + 1;
    const std::string expected =
        "seeds 1..300: 300 systems, " + std::to_string(planets) + " planets (" + std::to_string(planets - giants) +
        " rocky, " + std::to_string(giants) + " gas giants)\n" + "planets per system: mean " +
        fixed(double(planets) / n, 2) + ", min " + std::to_string(min_p) + ", max " + std::to_string(max_p) +
        "\n" + "gas giants per system: mean " + fixed(double(giants) / n, 2) + ", min " +
        std::to_string(min_g) + ", max " + std::to_string(max_g) + "\n" +
        "systems with an Earth-like planet (find's defaults): " + std::to_string(earth_like) + " of 300 (" +
        fixed(100.0 * double(earth_like) / n, 2) + "%)\n";

    ScratchDir dir("stats");
    std::map<std::string, std::string> first_run;
    for (const char* threads : {"1", "3", "8"}) {
        SCOPED_TRACE(std::string("threads ") + threads);
        const std::string out_dir = std::string("plots-") + threads;
        auto run = lab_run({"stats", "--seeds", "1..300", "--threads", threads, "-o", out_dir}, dir.path());
        ASSERT_EQ(run->exit_code(), 0) << run->err();
        EXPECT_EQ(run->err(), "");
        EXPECT_EQ(run->out(), expected);
        std::map<std::string, std::string> files;
        for (const auto& name : list_dir(dir / out_dir)) files[name] = read_file(dir / out_dir / name);
        if (first_run.empty())
            first_run = files;
        else
            EXPECT_TRUE(files == first_run) << "the plots differ from those of one thread";
    }
    EXPECT_EQ(first_run.size(), 6u);
    // The index shows every plot, by a name that exists beside it.
    const std::string& index = first_run["index.html"];
    std::size_t shown = 0;
    for (const auto& [name, text] : first_run)
        if (name.size() > 4 && name.substr(name.size() - 4) == ".svg") {
            ++shown;
            EXPECT_NE(index.find("<img src=\"" + name + "\""), std::string::npos) << name;
        }
    EXPECT_EQ(shown, 5u);
    EXPECT_NE(index.find(expected.substr(0, expected.find('\n'))), std::string::npos) << "index without summary";
}

TEST(PicturesCommands, StatsOverTwoThousandSeedsDrawsValidPlots) {
    REQUIRE_TOOL(xmllint, "xmllint");
    REQUIRE_TOOL(rsvg, "rsvg-convert");
    ScratchDir dir("stats2000");
    auto run = lab_run({"stats", "--seeds", "1..2000", "-o", "plots"}, dir.path());
    ASSERT_EQ(run->exit_code(), 0) << run->err();
    EXPECT_NE(run->out().find("seeds 1..2000: 2000 systems"), std::string::npos) << run->out();
    const auto names = list_dir(dir / "plots");
    EXPECT_EQ(names.size(), 6u);
    for (const auto& name : names) {
        if (name == "index.html")
            expect_well_formed(xmllint, dir / "plots" / name);
        else
            check_svg(xmllint, rsvg, dir / "plots" / name);
    }
}

#endif  // ORRERY_LAB_BINARY

}  // namespace
}  // namespace orrery::testing
