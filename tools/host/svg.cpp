#include "svg.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>

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

// The largest extent a box may take: the margin and the texts' room around
// it, and the view box's sums, stay finite.
const double largest_extent = std::numeric_limits<double>::max() / 8;

// Extends box by every corner, unless a corner is beyond the doubles or the
// box would then span more than largest_extent (a circle of radius 1e308):
// then box stays as it was.
bool extend_all(Box &box, std::initializer_list<double> corners) {
    Box wider = box;
    for (auto c = corners.begin(); c + 1 < corners.end(); c += 2) {
        if (!std::isfinite(c[0]) || !std::isfinite(c[1])) return false;
        extend(wider, c[0], c[1]);
    }
    if (wider.max_x - wider.min_x > largest_extent || wider.max_y - wider.min_y > largest_extent)
        return false;
    box = wider;
    return true;
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

struct Point {
    double x, y;
};

// Lines, circles and arcs as SVG; points are drawn once the scale is known.
// A shape too large for any frame is counted in left_out and not drawn.
std::string shapes(const std::vector<std::string> &in, Box &box, std::vector<Point> &points,
                   std::size_t &left_out) {
    std::string svg;
    double v[7];
    for (const auto &line : in) {
        Kind kind = kind_of(line);
        if (kind == Kind::point && scan_numbers(std::string_view(line).substr(2), v, 2) == 2) {
            if (!extend_all(box, {v[0], v[1]})) {
                ++left_out;
                continue;
            }
            points.push_back({v[0], v[1]});
            continue;
        }
        if (kind == Kind::line && scan_numbers(std::string_view(line).substr(1), v, 4) == 4) {
            if (!extend_all(box, {v[0], v[1], v[2], v[3]})) {
                ++left_out;
                continue;
            }
            svg += "<line x1=\"" + num(v[0]) + "\" y1=\"" + num(-v[1]) + "\" x2=\"" + num(v[2]) +
                   "\" y2=\"" + num(-v[3]) + "\"/>\n";
            continue;
        }
        if (kind != Kind::circle) continue;
        v[3] = 0, v[4] = 360;
        if (scan_numbers(std::string_view(line).substr(2), v, 7) < 3) continue;
        const double x = v[0], y = v[1], r = std::fabs(v[2]);
        if (!std::isfinite(r) || !extend_all(box, {x - r, y - r, x + r, y + r})) {
            ++left_out;
            continue;
        }
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

// The room a text takes, from its anchor along its direction and up.
void extend_by_text(Box &box, const Text &t) {
    const double w = width_in_ems(t.record.text) * t.size, rad = t.angle * pi / 180;
    const auto &n = t.record.number;
    extend(box, n[0] + w * std::cos(rad), n[1] + w * std::sin(rad));
    extend(box, n[0] - t.size * std::sin(rad), n[1] + t.size * std::cos(rad));
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
        extend_by_text(box, t);
    }
}

// Where the plan lies in drawing units, and its size in pixels.
struct Frame {
    double x = 0, y = 0, w = 0, h = 0; // the view box, y flipped
    double plan_w = 0, plan_h = 0;     // pixels
    double scale = 0;                  // pixels a drawing unit, as rendered
};

// The legend's band, in pixels, below the plan.
const double legend_height = 30;

// The box with a margin, fitted to width by three quarters of it, the
// legend's band included.
Frame frame_of(Box box, double width) {
    if (!box.any) box = {0, 0, 100, 100, true};
    const double margin = std::max(box.max_x - box.min_x, box.max_y - box.min_y) * 0.04 + 1;
    Frame f;
    f.x = box.min_x - margin, f.y = -box.max_y - margin;
    f.w = box.max_x - box.min_x + 2 * margin, f.h = box.max_y - box.min_y + 2 * margin;
    const double fit = std::min(width / f.w, (width * 0.75 - legend_height) / f.h);
    f.plan_w = std::floor(f.w * fit), f.plan_h = std::floor(f.h * fit);
    // the view box keeps its proportions within the whole pixels
    f.scale = std::min(f.plan_w / f.w, f.plan_h / f.h);
    return f;
}

// Texts smaller than the readable minimum at this scale grow to it, and the
// box with them; false where none did.
bool raise_small_texts(std::vector<Text> &found, Box &box, double scale) {
    bool raised = false;
    for (Text &t : found)
        if (t.size * scale < min_text_pixels) {
            t.size = min_text_pixels / scale;
            extend_by_text(box, t);
            raised = true;
        }
    return raised;
}

// The frame for texts of their scaled sizes, none below the minimum: a text
// raised makes the box, and so the scale, a little smaller.
Frame fit_texts(std::vector<Text> &found, Box &box, double width) {
    Frame frame = frame_of(box, width);
    for (int round = 0; round < 3 && raise_small_texts(found, box, frame.scale); ++round)
        frame = frame_of(box, width);
    // what the last round still shrank grows into the margin
    raise_small_texts(found, box, frame.scale);
    return frame;
}

std::string text_element(Codec &codec, const Text &t) {
    const std::string x = num(t.record.number[0]), y = num(-t.record.number[1]);
    std::string svg = "<text x=\"" + x + "\" y=\"" + y + "\" font-size=\"" + num(t.size) + "\"";
    if (t.angle != 0) svg += " transform=\"rotate(" + num(-t.angle) + " " + x + " " + y + ")\"";
    svg += ">";
    for (const Piece &piece : split_marks(t.record.text)) {
        std::string shown = xml_escape(codec.sjis_to_utf8(piece.bytes));
        if (piece.pen < 0)
            svg += shown;
        else
            svg += std::string("<tspan class=\"pen") + std::to_string(piece.pen) + "\" fill=\"" +
                   pen_colour(piece.pen).rgb + "\">" + shown + "</tspan>";
    }
    return svg + "</text>\n";
}

// The pens that mark a run in any text.
std::vector<int> pens_used(const std::vector<Text> &found) {
    bool used[10] = {};
    for (const Text &t : found)
        for (const Piece &piece : split_marks(t.record.text))
            if (piece.pen >= 0) used[piece.pen] = true;
    std::vector<int> pens;
    for (int pen = 0; pen < 10; ++pen)
        if (used[pen]) pens.push_back(pen);
    return pens;
}

// Legend entries are laid out in pixels, in the band below the plan.
const double legend_caption = 110, legend_entry = 64;

double legend_width(std::size_t pens) {
    return legend_caption + static_cast<double>(std::max<std::size_t>(pens, 2)) * legend_entry;
}

// A swatch and "pen N" in the pen's colour for every pen used.
std::string legend(const std::vector<int> &pens, double top, double width) {
    const std::string base = num(top + 19);
    std::string svg = "<g class=\"legend\" font-size=\"13\">\n<line x1=\"0\" y1=\"" +
                      num(top + 0.5) + "\" x2=\"" + num(width) + "\" y2=\"" + num(top + 0.5) +
                      "\" stroke=\"#c0c0c0\"/>\n<text x=\"8\" y=\"" + base + "\" fill=\"" +
                      text_rgb + "\">" + (pens.empty() ? "no marked digits" : "marked digits:") +
                      "</text>\n";
    double x = legend_caption;
    for (int pen : pens) {
        const std::string colour = pen_colour(pen).rgb;
        svg += "<rect x=\"" + num(x) + "\" y=\"" + num(top + 8) +
               "\" width=\"12\" height=\"12\" fill=\"" + colour + "\"/><text x=\"" + num(x + 17) +
               "\" y=\"" + base + "\" fill=\"" + colour + "\" font-weight=\"bold\">pen " +
               std::to_string(pen) + "</text>\n";
        x += legend_entry;
    }
    return svg + "</g>\n";
}

std::string dots(const std::vector<Point> &points, double radius) {
    std::string svg;
    for (const Point &p : points)
        svg += "<circle class=\"point\" cx=\"" + num(p.x) + "\" cy=\"" + num(-p.y) + "\" r=\"" +
               num(radius) + "\"/>\n";
    return svg;
}

} // namespace

std::string svg_drawing(const std::vector<std::string> &in, const std::vector<std::string> &out,
                        int width, std::size_t *left_out) {
    Box box;
    std::vector<Point> points;
    std::size_t too_large = 0;
    std::string geometry = shapes(in, box, points, too_large);
    if (left_out) *left_out = too_large;
    std::vector<Text> found = texts(out, box);
    scale_sizes(found, box);
    const Frame f = fit_texts(found, box, width);
    const std::vector<int> pens = pens_used(found);
    const double page_w = std::max(f.plan_w, legend_width(pens.size()));
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      num(page_w) + "\" height=\"" + num(f.plan_h + legend_height) + "\">\n";
    svg += "<style>.geometry>*{fill:none;stroke:#909090;stroke-width:1.5px;"
           "vector-effect:non-scaling-stroke} .geometry>.point{fill:#909090;stroke:none}"
           " text{white-space:pre;font-family:sans-serif} tspan{font-weight:bold}</style>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    svg += "<svg class=\"plan\" width=\"" + num(f.plan_w) + "\" height=\"" + num(f.plan_h) +
           "\" viewBox=\"" + num(f.x) + " " + num(f.y) + " " + num(f.w) + " " + num(f.h) + "\">\n";
    // Dots of 2.5 pixels' radius, whatever the drawing's units.
    svg += "<g class=\"geometry\">\n" + geometry + dots(points, 2.5 / f.scale) +
           "</g>\n<g fill=\"" + text_rgb + "\">\n";
    Codec codec;
    for (const Text &t : found) svg += text_element(codec, t);
    svg += "</g>\n</svg>\n";
    return svg + legend(pens, f.plan_h, page_w) + "</svg>\n";
}

} // namespace host
