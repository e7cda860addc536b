// A drawing of the exchange: the selection's lines, circles and points, thin and
// grey, the returned texts at their places with the marked digits in pen
// colours, and below them a legend of the pens used.
#pragma once

#include <string>
#include <vector>

namespace host {

// in: the selection's lines; out: the lines read back (Shift_JIS, no line ends).
std::string svg_drawing(const std::vector<std::string> &in, const std::vector<std::string> &out);

} // namespace host
