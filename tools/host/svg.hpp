// A drawing of the exchange: the selection's lines, circles and points, thin and
// grey, the returned texts at their places with the marked digits in pen
// colours, and below them a legend of the pens used.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace host {

// The smallest font size drawn, in pixels: a text smaller in the plan's scale
// is drawn at this size, so that it stays readable.
inline constexpr double min_text_pixels = 10;

// in: the selection's lines; out: the lines read back (Shift_JIS, no line
// ends). The plan fits width pixels by three quarters of that. A line,
// circle, arc or point too large for any frame is left out, and counted in
// left_out.
std::string svg_drawing(const std::vector<std::string> &in, const std::vector<std::string> &out,
                        int width = 800, std::size_t *left_out = nullptr);

} // namespace host
