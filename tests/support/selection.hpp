// Generated selections: a realistic mix of every record kind for the tests
// that need size, and with Mix::odd every oddity a host never writes, for
// the differential guard.
#pragma once

#include <cstddef>
#include <string>

namespace support {

struct Mix {
    // About one line in 500 is 300 bytes (two line reads), so that the line
    // count then says nothing about the reads.
    bool long_lines = false;
    // About a third of the lines odd: lines of 255 to 600 bytes with heads
    // at the 254-byte piece boundaries, Shift_JIS lead bytes at the cuts,
    // CR and NUL bytes, escapes already in texts, setting values at and
    // beyond their bounds, every hand-point form, fields that do not scan;
    // LF and CR CR LF line ends, and perhaps no line end on the last line.
    bool odd = false;
};

// Exactly `lines` physical lines, the first "hq"; repeatable for a seed.
// Without Mix::odd every line ends with CR LF, and without long_lines every
// line is shorter than 254 bytes.
std::string selection(std::size_t lines, unsigned seed, Mix mix = {});

} // namespace support
