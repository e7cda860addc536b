// Generated selections: a floor plan's realistic mix of every record kind
// after the tables a host writes first, for the tests that need size and for
// the benchmark (bench-gen), and with Mix::odd every oddity a host never
// writes, for the differential guard.
#pragma once

#include <cstddef>
#include <string>

namespace support {

// How coordinates are written.
enum class Numbers {
    // as typed: whole, or with one, two or six decimals
    typed,
    // as hosts write the doubles they hold: besides typed ones, about one in
    // six computed with 15 to 17 significant digits (-47713.92050671277), one
    // in twenty in exponent form (3.643e+04), some negative zeros and some
    // magnitudes beyond 10^6
    host,
};

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
    Numbers numbers = Numbers::typed;
};

// Exactly `lines` physical lines, the first "hq"; repeatable for a seed.
// Without Mix::odd every line ends with CR LF, and without long_lines every
// line is shorter than 254 bytes.
std::string selection(std::size_t lines, unsigned seed, Mix mix = {});

} // namespace support
