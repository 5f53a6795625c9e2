// A small writer for SVG and HTML text. Whatever a system or a user supplies
// (numbers, labels, paths) goes through escaping here, so no value can break
// the markup a browser or an image viewer has to read.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orrery {

// Text made safe for element content and for attribute values in double
// quotes: & < > " ' become entities, characters XML 1.0 forbids (most C0
// controls) are dropped, and bytes that are not UTF-8 become U+FFFD.
std::string xml_escape(std::string_view text);

// A number for coordinates and sizes: fixed-point with at most `decimals`
// decimals, trailing zeros dropped, never "-0", independent of the locale.
// Values that are not finite give "0" (no reader accepts "nan").
std::string svg_num(double value, int decimals = 1);

// A number for people: fixed-point with exactly `decimals` decimals, a minus
// sign as "-", independent of the locale. Not finite: "n/a".
std::string fixed(double value, int decimals);

// Like fixed(), with more decimals where a small value needs them to show
// `digits` significant digits (0.000437 rather than 0.000), at most 12.
std::string fixed_significant(double value, int min_decimals, int digits);

// Attribute list: names are literals of this program, values are escaped.
using XmlAttrs = std::initializer_list<std::pair<std::string_view, std::string>>;

class XmlWriter {
public:
    // <tag a="v">, kept open until close().
    void open(std::string_view tag, XmlAttrs attrs = {});
    // <tag a="v"/> (SVG shapes; HTML void elements such as meta).
    void empty(std::string_view tag, XmlAttrs attrs = {});
    // <tag a="v">text</tag>.
    void element(std::string_view tag, XmlAttrs attrs, std::string_view text);
    // Escaped text content.
    void text(std::string_view text);
    // Markup that is already complete and well formed (e.g. an inline SVG).
    void raw(std::string_view markup);
    void close();
    // All elements closed; returns the document and empties the writer.
    std::string finish();
    bool all_closed() const { return stack_.empty(); }

private:
    void start_tag(std::string_view tag, XmlAttrs attrs);
    std::string out_;
    std::vector<std::string> stack_;
};

// Starts a self-contained HTML page: doctype, <html>, and a <head> with the
// character set, a viewport for phones, the title and an inline style sheet.
// Leaves <html> open for the body.
void open_html_page(XmlWriter& w, std::string_view title, std::string_view style);

}  // namespace orrery
