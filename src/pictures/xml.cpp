#include "pictures/xml.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <system_error>

namespace orrery {
namespace {

constexpr std::string_view REPLACEMENT = "\xEF\xBF\xBD";  // U+FFFD

// Length of the valid UTF-8 sequence at s[i] and its code point; 0 if the
// bytes there are not valid UTF-8 (overlong forms and surrogates included).
std::size_t utf8_sequence(std::string_view s, std::size_t i, std::uint32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    std::size_t len = 0;
    std::uint32_t min = 0;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

bool allowed_in_xml(std::uint32_t cp) {
    if (cp == 0x9 || cp == 0xA || cp == 0xD) return true;
    if (cp < 0x20) return false;
    return cp != 0xFFFE && cp != 0xFFFF;
}

}  // namespace

std::string xml_escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp = 0;
        std::size_t len = utf8_sequence(text, i, cp);
        if (len == 0) {
            out += REPLACEMENT;
            ++i;
            continue;
        }
        if (allowed_in_xml(cp)) {
            switch (cp) {
                case '&': out += "&amp;"; break;
                case '<': out += "&lt;"; break;
                case '>': out += "&gt;"; break;
                case '"': out += "&quot;"; break;
                case '\'': out += "&#39;"; break;
                default: out.append(text.substr(i, len));
            }
        }
        i += len;
    }
    return out;
}

std::string fixed(double value, int decimals) {
    if (!std::isfinite(value)) return "n/a";
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return "n/a";
    std::string s(buf, r.ptr);
    // A value that rounds to zero reads as "0.00", not "-0.00".
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

std::string fixed_significant(double value, int min_decimals, int digits) {
    int decimals = min_decimals;
    if (std::isfinite(value) && value != 0.0) {
        int lead = static_cast<int>(std::floor(std::log10(std::abs(value))));
        decimals = std::clamp(digits - 1 - lead, min_decimals, 12);
    }
    return fixed(value, decimals);
}

std::string svg_num(double value, int decimals) {
    if (!std::isfinite(value)) return "0";
    std::string s = fixed(value, decimals);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") return "0";
    return s;
}

void XmlWriter::start_tag(std::string_view tag, XmlAttrs attrs) {
    out_ += '<';
    out_ += tag;
    for (const auto& [name, value] : attrs) {
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
        out_ += xml_escape(value);
        out_ += '"';
    }
}

void XmlWriter::open(std::string_view tag, XmlAttrs attrs) {
    start_tag(tag, attrs);
    out_ += ">\n";
    stack_.emplace_back(tag);
}

void XmlWriter::empty(std::string_view tag, XmlAttrs attrs) {
    start_tag(tag, attrs);
    out_ += "/>\n";
}

void XmlWriter::element(std::string_view tag, XmlAttrs attrs, std::string_view text) {
    start_tag(tag, attrs);
    out_ += '>';
    out_ += xml_escape(text);
    out_ += "</";
    out_ += tag;
    out_ += ">\n";
}

void XmlWriter::text(std::string_view text) { out_ += xml_escape(text); }

void XmlWriter::raw(std::string_view markup) { out_ += markup; }

void XmlWriter::close() {
    if (stack_.empty()) throw std::logic_error("XmlWriter: close without open");
    out_ += "</";
    out_ += stack_.back();
    out_ += ">\n";
    stack_.pop_back();
}

std::string XmlWriter::finish() {
    if (!stack_.empty()) throw std::logic_error("XmlWriter: element <" + stack_.back() + "> left open");
    std::string s = std::move(out_);
    out_.clear();
    return s;
}

void open_html_page(XmlWriter& w, std::string_view title, std::string_view style) {
    w.raw("<!DOCTYPE html>\n");
    w.open("html", {{"lang", "en"}, {"xmlns", "http://www.w3.org/1999/xhtml"}});
    w.open("head");
    w.empty("meta", {{"charset", "utf-8"}});
    w.empty("meta", {{"name", "viewport"}, {"content", "width=device-width, initial-scale=1"}});
    w.element("title", {}, title);
    w.open("style");
    w.raw(style);
    w.close();
    w.close();
}

}  // namespace orrery
