// Drawing pieces shared by the system diagram and the statistics plots:
// scales with readable ticks, axes, labels and legends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pictures/look.h"
#include "pictures/xml.h"

namespace orrery::svg {

inline constexpr std::string_view FONT_STACK =
    "'DejaVu Sans', 'Segoe UI', Roboto, 'Helvetica Neue', Arial, sans-serif";
inline constexpr char INK[] = "#1A1A1A";
inline constexpr char SOFT_INK[] = "#444444";
inline constexpr char OUTLINE[] = "#1A1A1A";
inline constexpr char SPAN_INK[] = "#555555";
inline constexpr char GRID_MAJOR[] = "#C8C8C8";
inline constexpr char GRID_MINOR[] = "#E6E6E6";
inline constexpr char ZONE_FILL[] = "#DDF1EA";
inline constexpr char GIANT_BAND[] = "#B77E00";
inline constexpr char UNKNOWN_GREY[] = "#999999";

// Colour and fill of a planet's disc.
std::string_view look_colour(PlanetLook look);
std::string look_fill(PlanetLook look);
// Disc radius in pixels for a planet radius in km.
double disc_radius(double radius_km);
// Patterns and gradients the planet discs refer to.
void write_defs(XmlWriter& w);
void planet_disc(XmlWriter& w, double cx, double cy, double r, PlanetLook look, bool water);

// Width of a text line in pixels, estimated generously.
double text_width(std::string_view text, double font_size);

void label(XmlWriter& w, double x, double y, std::string_view text, double size, std::string_view anchor,
           std::string_view weight, std::string_view colour);
void haloed_label(XmlWriter& w, double x, double y, std::string_view text, double size,
                  std::string_view anchor, std::string_view weight);

struct Tick {
    double value = 0;
    double pos = 0;     // pixels
    std::string label;  // empty: an unlabelled minor tick
    bool major = false;
};

// A mapping of values to pixels, linear or logarithmic. p0 is where lo goes
// and p1 where hi goes (p1 < p0 for a vertical axis).
class Scale {
public:
    Scale(double lo, double hi, double p0, double p1, bool logarithmic, bool integers = false);
    double map(double v) const;
    double lo() const { return lo_; }
    double hi() const { return hi_; }
    bool logarithmic() const { return log_; }
    std::vector<Tick> ticks() const;

private:
    double lo_, hi_, p0_, p1_;
    bool log_, integers_;
};

// A logarithmic horizontal scale (the diagram's distance axis).
class LogAxis : public Scale {
public:
    LogAxis(double lo, double hi, double x0, double x1) : Scale(lo, hi, x0, x1, true) {}
    double x(double v) const { return map(v); }
    // The axis line at y, ticks and their labels below it, and the title.
    void draw(XmlWriter& w, double y, std::string_view title, double font) const;
};

// A number as a tick label: no more decimals than it needs.
std::string tick_label(double v);

void draw_x_axis(XmlWriter& w, const Scale& s, double y, double x_from, double x_to, std::string_view title,
                 double font);
void draw_y_axis(XmlWriter& w, const Scale& s, double x, double y_from, double y_to, std::string_view title,
                 double font);
// Grid lines across the plot at the labelled ticks.
void draw_x_grid(XmlWriter& w, const Scale& s, double y_top, double y_bottom);
void draw_y_grid(XmlWriter& w, const Scale& s, double x_left, double x_right);

// Legend items laid out left to right, wrapping into rows.
class LegendLayout {
public:
    LegendLayout(double left, double right, double top, double font_size);
    // Reserves room for an icon and its text; returns the item's left edge.
    double place(double icon_width, std::string_view text);
    // Vertical centre of the row of the last item placed.
    double row_y() const { return y_ + row_height() / 2; }
    double bottom() const;
    double row_height() const { return font_ * 1.9; }

private:
    double left_, right_, x_, y_, font_;
};

void legend_text(XmlWriter& w, double x, double row_y, std::string_view text, double size);

}  // namespace orrery::svg
