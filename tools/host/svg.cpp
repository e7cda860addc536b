#include "svg.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "pens.hpp"
#include "records.hpp"
#include "sjis.hpp"

namespace host {

namespace {

const double pi = 3.14159265358979323846;

struct Box {
    double min_x = 0, min_y = 0, max_x = 0, max_y = 0;
    bool any = false;
};

void extend(Box &box, double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    if (!box.any) box = {x, y, x, y, true};
    box.min_x = std::min(box.min_x, x), box.max_x = std::max(box.max_x, x);
    box.min_y = std::min(box.min_y, y), box.max_y = std::max(box.max_y, y);
}

std::string num(double v) {
    char text[32];
    // + 0.0 turns -0 into 0
    std::snprintf(text, sizeof text, "%.7g", std::isfinite(v) ? v + 0.0 : 0.0);
    return text;
}

std::string xml_escape(const std::string &text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

struct Text {
    TextRecord record;
    double size = 0;  // font size in drawing units
    double angle = 0; // degrees, counter-clockwise
};

// The room a rewritten text takes up, in ems: double-byte characters a full
// em, others about half; the escapes take none.
double width_in_ems(const std::string &text) {
    double ems = 0;
    for (const Piece &piece : split_marks(text))
        for (std::size_t at = 0; at < piece.bytes.size();) {
            std::size_t len = sjis_char_length(piece.bytes, at);
            ems += len == 2 ? 1.0 : 0.6;
            at += len;
        }
    return ems;
}

std::string shapes(const std::vector<std::string> &in, Box &box) {
    std::string svg;
    double v[7];
    for (const auto &line : in) {
        Kind kind = kind_of(line);
        if (kind == Kind::line && scan_numbers(std::string_view(line).substr(1), v, 4) == 4) {
            extend(box, v[0], v[1]), extend(box, v[2], v[3]);
            svg += "<line x1=\"" + num(v[0]) + "\" y1=\"" + num(-v[1]) + "\" x2=\"" + num(v[2]) +
                   "\" y2=\"" + num(-v[3]) + "\"/>\n";
            continue;
        }
        if (kind != Kind::circle) continue;
        v[3] = 0, v[4] = 360;
        if (scan_numbers(std::string_view(line).substr(2), v, 7) < 3) continue;
        const double x = v[0], y = v[1], r = std::fabs(v[2]);
        extend(box, x - r, y - r), extend(box, x + r, y + r);
        double span = std::fmod(std::fmod(v[4] - v[3], 360.0) + 360.0, 360.0);
        if (span == 0) {
            svg += "<circle cx=\"" + num(x) + "\" cy=\"" + num(-y) + "\" r=\"" + num(r) + "\"/>\n";
            continue;
        }
        // Angles run counter-clockwise in the drawing; the flipped y turns that round.
        const double a = v[3] * pi / 180, b = v[4] * pi / 180;
        svg += "<path d=\"M" + num(x + r * std::cos(a)) + " " + num(-(y + r * std::sin(a))) + " A" +
               num(r) + " " + num(r) + " 0 " + (span > 180 ? "1" : "0") + " 0 " +
               num(x + r * std::cos(b)) + " " + num(-(y + r * std::sin(b))) + "\"/>\n";
    }
    return svg;
}

std::vector<Text> texts(const std::vector<std::string> &out, Box &box) {
    std::vector<Text> found;
    Text text;
    for (const auto &line : out) {
        if (kind_of(line) != Kind::text || !parse_text_record(line, text.record)) continue;
        const auto &n = text.record.number;
        text.size = std::hypot(n[2], n[3]);
        text.angle = text.size > 0 ? std::atan2(n[3], n[2]) * 180 / pi : 0;
        extend(box, n[0], n[1]);
        found.push_back(text);
    }
    return found;
}

// The direction vectors only tell sizes relative to each other: scale them so
// that the middle one is a readable fraction of the drawing.
void scale_sizes(std::vector<Text> &found, Box &box) {
    const double extent = std::max({box.max_x - box.min_x, box.max_y - box.min_y, 1.0});
    const double readable = extent / 45;
    std::vector<double> sizes;
    for (const Text &t : found)
        if (t.size > 0 && std::isfinite(t.size)) sizes.push_back(t.size);
    std::sort(sizes.begin(), sizes.end());
    const double middle = sizes.empty() ? 0 : sizes[sizes.size() / 2];
    for (Text &t : found) {
        double ratio = middle > 0 && t.size > 0 ? t.size / middle : 1.0;
        t.size = readable * std::clamp(ratio, 0.5, 2.5);
        const double w = width_in_ems(t.record.text) * t.size, rad = t.angle * pi / 180;
        const auto &n = t.record.number;
        extend(box, n[0] + w * std::cos(rad), n[1] + w * std::sin(rad));
        extend(box, n[0] - t.size * std::sin(rad), n[1] + t.size * std::cos(rad));
    }
}

std::string text_element(const Text &t) {
    const std::string x = num(t.record.number[0]), y = num(-t.record.number[1]);
    std::string svg = "<text x=\"" + x + "\" y=\"" + y + "\" font-size=\"" + num(t.size) + "\"";
    if (t.angle != 0) svg += " transform=\"rotate(" + num(-t.angle) + " " + x + " " + y + ")\"";
    svg += ">";
    for (const Piece &piece : split_marks(t.record.text)) {
        std::string shown = xml_escape(sjis_to_utf8(piece.bytes));
        if (piece.pen < 0)
            svg += shown;
        else
            svg += std::string("<tspan class=\"pen") + std::to_string(piece.pen) + "\" fill=\"" +
                   pen_colour(piece.pen).rgb + "\">" + shown + "</tspan>";
    }
    return svg + "</text>\n";
}

} // namespace

std::string svg_drawing(const std::vector<std::string> &in, const std::vector<std::string> &out) {
    Box box;
    std::string geometry = shapes(in, box);
    std::vector<Text> found = texts(out, box);
    scale_sizes(found, box);
    if (!box.any) box = {0, 0, 100, 100, true};
    const double margin = std::max(box.max_x - box.min_x, box.max_y - box.min_y) * 0.04 + 1;
    const double x = box.min_x - margin, y = -box.max_y - margin;
    const double w = box.max_x - box.min_x + 2 * margin, h = box.max_y - box.min_y + 2 * margin;
    // Fits a window of 800 by 600 pixels.
    const double scale = std::min(800 / w, 600 / h);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      num(std::floor(w * scale)) + "\" height=\"" + num(std::floor(h * scale)) +
                      "\" viewBox=\"" + num(x) + " " + num(y) + " " + num(w) + " " + num(h) +
                      "\">\n";
    svg += "<style>.geometry>*{fill:none;stroke:#909090;stroke-width:1.5px;"
           "vector-effect:non-scaling-stroke} text{white-space:pre;font-family:sans-serif}"
           " tspan{font-weight:bold}</style>\n";
    svg += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(w) + "\" height=\"" +
           num(h) + "\" fill=\"#ffffff\"/>\n";
    svg += "<g class=\"geometry\">\n" + geometry + "</g>\n<g fill=\"#202020\">\n";
    for (const Text &t : found) svg += text_element(t);
    return svg + "</g>\n</svg>\n";
}

} // namespace host
