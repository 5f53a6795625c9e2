#include "pictures/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orrery::svg {

double text_width(std::string_view text, double font_size) {
    // DejaVu Sans and its kin average a little over half an em per glyph;
    // count UTF-8 sequences, not bytes.
    std::size_t glyphs = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++glyphs;
    return glyphs * font_size * 0.6;
}

void label(XmlWriter& w, double x, double y, std::string_view text, double size, std::string_view anchor,
           std::string_view weight, std::string_view colour) {
    w.element("text",
              {{"x", svg_num(x)},
               {"y", svg_num(y)},
               {"font-size", svg_num(size)},
               {"text-anchor", std::string(anchor)},
               {"font-weight", std::string(weight)},
               {"fill", std::string(colour)}},
              text);
}

void haloed_label(XmlWriter& w, double x, double y, std::string_view text, double size,
                  std::string_view anchor, std::string_view weight) {
    // A white halo keeps the text readable over grid lines and shading.
    w.element("text",
              {{"x", svg_num(x)},
               {"y", svg_num(y)},
               {"font-size", svg_num(size)},
               {"text-anchor", std::string(anchor)},
               {"font-weight", std::string(weight)},
               {"fill", std::string(INK)},
               {"stroke", "#FFFFFF"},
               {"stroke-width", "4"},
               {"stroke-linejoin", "round"},
               {"paint-order", "stroke"}},
              text);
}

Scale::Scale(double lo, double hi, double p0, double p1, bool logarithmic, bool integers)
    : lo_(lo), hi_(hi), p0_(p0), p1_(p1), log_(logarithmic), integers_(integers) {
    // A degenerate range still draws: widen it around its value.
    if (log_) {
        if (!(lo_ > 0) || !std::isfinite(lo_)) lo_ = 1e-3;
        if (!(hi_ > lo_) || !std::isfinite(hi_)) hi_ = lo_ * 10;
    } else {
        if (!std::isfinite(lo_)) lo_ = 0;
        if (!(hi_ > lo_) || !std::isfinite(hi_)) hi_ = lo_ + 1;
    }
}

double Scale::map(double v) const {
    double t = log_ ? (std::log10(v) - std::log10(lo_)) / (std::log10(hi_) - std::log10(lo_))
                    : (v - lo_) / (hi_ - lo_);
    return p0_ + t * (p1_ - p0_);
}

std::string tick_label(double v) {
    if (v == 0) return "0";
    double magnitude = std::abs(v);
    if (magnitude >= 1e6 || magnitude < 1e-4) {
        // Powers of ten with superscript digits, as a reader writes them.
        static const char* const sup[] = {"\xE2\x81\xB0", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3", "\xE2\x81\xB4",
                                           "\xE2\x81\xB5", "\xE2\x81\xB6", "\xE2\x81\xB7", "\xE2\x81\xB8",
                                           "\xE2\x81\xB9"};
        int e = static_cast<int>(std::lround(std::log10(magnitude)));
        double mantissa = v / std::pow(10.0, e);
        std::string s = std::abs(mantissa - 1.0) < 1e-9 ? "" : tick_label(mantissa) + "\xC3\x97";
        s += "10";
        if (e < 0) s += "\xE2\x81\xBB";  // superscript minus
        for (char c : std::to_string(std::abs(e))) s += sup[c - '0'];
        return s;
    }
    for (int d = 0; d <= 6; ++d) {
        std::string s = fixed(v, d);
        if (std::abs(std::strtod(s.c_str(), nullptr) - v) <= magnitude * 1e-9) return s;
    }
    return fixed(v, 6);
}

std::vector<Tick> Scale::ticks() const {
    std::vector<Tick> out;
    const double length = std::abs(p1_ - p0_);
    if (log_) {
        const int d0 = static_cast<int>(std::floor(std::log10(lo_) + 1e-9));
        const int d1 = static_cast<int>(std::ceil(std::log10(hi_) - 1e-9));
        const double per_decade = length / std::max(1e-9, std::log10(hi_) - std::log10(lo_));
        const int decade_step = per_decade >= 45 ? 1 : per_decade >= 22 ? 2 : 5;
        for (int d = d0; d <= d1; ++d) {
            for (int m = 1; m <= 9; ++m) {
                double v = m * std::pow(10.0, d);
                if (v < lo_ * (1 - 1e-9) || v > hi_ * (1 + 1e-9)) continue;
                Tick t;
                t.value = v;
                t.pos = map(v);
                t.major = m == 1;
                bool labelled = m == 1 ? (d % decade_step == 0) : (m == 2 || m == 5) && per_decade >= 220;
                if (labelled) t.label = tick_label(v);
                if (m != 1 && per_decade < 45) continue;  // too crowded for minor ticks
                out.push_back(t);
            }
        }
        return out;
    }
    const double target = std::max(2.0, length / 90.0);
    double raw = (hi_ - lo_) / target;
    double base = std::pow(10.0, std::floor(std::log10(raw)));
    double step = base;
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * base >= raw) {
            step = m * base;
            break;
        }
    if (integers_) step = std::max(1.0, std::round(step));
    for (double v = std::ceil(lo_ / step - 1e-9) * step; v <= hi_ + step * 1e-9; v += step) {
        Tick t;
        t.value = std::abs(v) < step * 1e-9 ? 0.0 : v;
        t.pos = map(t.value);
        t.major = true;
        t.label = tick_label(t.value);
        out.push_back(t);
    }
    return out;
}

namespace {

// Axis lines and their ticks share one ink and weight.
void axis_line(XmlWriter& w, double x1, double y1, double x2, double y2) {
    w.empty("line", {{"x1", svg_num(x1)},
                     {"y1", svg_num(y1)},
                     {"x2", svg_num(x2)},
                     {"y2", svg_num(y2)},
                     {"stroke", std::string(INK)},
                     {"stroke-width", "1.5"}});
}

}  // namespace

void draw_x_axis(XmlWriter& w, const Scale& s, double y, double x_from, double x_to, std::string_view title,
                 double font) {
    axis_line(w, x_from, y, x_to, y);
    for (const Tick& t : s.ticks()) {
        double len = t.label.empty() ? 5 : 9;
        axis_line(w, t.pos, y, t.pos, y + len);
        if (!t.label.empty()) label(w, t.pos, y + 11 + font, t.label, font, "middle", "normal", INK);
    }
    label(w, (x_from + x_to) / 2, y + 2 * font + 30, title, font, "middle", "bold", INK);
}

void LogAxis::draw(XmlWriter& w, double y, std::string_view title, double font) const {
    double a = map(lo()), b = map(hi());
    draw_x_axis(w, *this, y, std::min(a, b), std::max(a, b), title, font);
}

void draw_y_axis(XmlWriter& w, const Scale& s, double x, double y_from, double y_to, std::string_view title,
                 double font) {
    axis_line(w, x, y_from, x, y_to);
    double widest = 0;
    for (const Tick& t : s.ticks()) {
        double len = t.label.empty() ? 5 : 9;
        axis_line(w, x - len, t.pos, x, t.pos);
        if (!t.label.empty()) {
            label(w, x - 13, t.pos + font * 0.35, t.label, font, "end", "normal", INK);
            widest = std::max(widest, text_width(t.label, font));
        }
    }
    double tx = x - 13 - widest - 16;
    double ty = (y_from + y_to) / 2;
    w.element("text",
              {{"x", svg_num(tx)},
               {"y", svg_num(ty)},
               {"font-size", svg_num(font)},
               {"text-anchor", "middle"},
               {"font-weight", "bold"},
               {"fill", std::string(INK)},
               {"transform", "rotate(-90 " + svg_num(tx) + " " + svg_num(ty) + ")"}},
              title);
}

void draw_x_grid(XmlWriter& w, const Scale& s, double y_top, double y_bottom) {
    for (const Tick& t : s.ticks()) {
        if (t.label.empty()) continue;
        w.empty("line", {{"x1", svg_num(t.pos)},
                         {"y1", svg_num(y_top)},
                         {"x2", svg_num(t.pos)},
                         {"y2", svg_num(y_bottom)},
                         {"stroke", t.major ? GRID_MAJOR : GRID_MINOR},
                         {"stroke-width", "1"}});
    }
}

void draw_y_grid(XmlWriter& w, const Scale& s, double x_left, double x_right) {
    for (const Tick& t : s.ticks()) {
        if (t.label.empty()) continue;
        w.empty("line", {{"x1", svg_num(x_left)},
                         {"y1", svg_num(t.pos)},
                         {"x2", svg_num(x_right)},
                         {"y2", svg_num(t.pos)},
                         {"stroke", t.major ? GRID_MAJOR : GRID_MINOR},
                         {"stroke-width", "1"}});
    }
}

LegendLayout::LegendLayout(double left, double right, double top, double font_size)
    : left_(left), right_(right), x_(left), y_(top), font_(font_size) {}

double LegendLayout::place(double icon_width, std::string_view text) {
    double width = icon_width + 8 + text_width(text, font_);
    if (x_ > left_ && x_ + width > right_) {
        x_ = left_;
        y_ += row_height();
    }
    double at = x_;
    x_ += width + 30;
    return at;
}

double LegendLayout::bottom() const { return y_ + row_height(); }

void legend_text(XmlWriter& w, double x, double row_y, std::string_view text, double size) {
    label(w, x, row_y + size * 0.35, text, size, "start", "normal", INK);
}

}  // namespace orrery::svg
