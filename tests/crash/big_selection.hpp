// A large, realistic selection for the tests that need size: header, comment
// and setting lines, line elements, circles, points, hand points and text
// records with Shift_JIS and digits, in a repeatable pseudo-random mix.
#pragma once

#include <cstddef>
#include <string>

namespace big {

// Exactly `lines` physical lines with CR LF ends. Every line is shorter than
// 254 bytes unless long_lines is set, when about one line in 500 is 300 bytes
// (two line reads), so the line count then says nothing about the reads.
std::string selection(std::size_t lines, unsigned seed, bool long_lines = false);

} // namespace big
