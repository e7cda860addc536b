// scanf-style field scans and atoi/atof over NUL-terminated text, in the C
// locale and with the C library's corner cases as GNU libc has them ("1e"
// before a blank reads 1, "1.5.3" reads 1.5, "inf", "nan", hexadecimal floats,
// "0x" before a %x field, integers too large kept to their low 32 bits).
//
// A scan starts at p, skips white space, and on success stores the value and
// moves p past what it consumed. On failure it returns false and leaves the
// target as it was; p is then of no further use, as a scan stops there.
#pragma once

#include <cstdint>

namespace stream::scan {

bool is_space(char c); // isspace in the C locale
void skip_space(const char *&p);
bool real(const char *&p, double &target);     // "%lf"
bool integer(const char *&p, int &target);     // "%d"
bool hex_integer(const char *&p, int &target); // "%x"

// The value of a field times 10^9 as an integer, where its text fixes that:
// a plain decimal "[sign]digits[.digits]" with at most nine decimals and a
// magnitude below 2^23. The double nearest to such a decimal lies within
// 2^-31 of it, so "%.9f" of the double prints exactly these digits.
constexpr std::uint64_t inexact = UINT64_MAX; // the text does not fix them
// "%lf", storing the billionths beside the value: inexact where they are not fixed.
bool real(const char *&p, double &target, std::uint64_t &billionths);

int to_int(const char *s);       // atoi
double to_double(const char *s); // atof

} // namespace stream::scan
