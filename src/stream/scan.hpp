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

// The "%.9f" form of a "%lf" field that fixes it by its own text: a plain
// decimal "[sign]digits[.digits]" below 2^23 with at most nine decimals, or
// below 10^6 with more that lie clear of a tie. The double nearest to such a
// decimal lies within 2^-31 of it, so "%.9f" of it prints these very digits.
struct NineDecimals {
    // the sign, up to 7 digits, the point and 9 decimals, and room for the
    // digits and zeros that are stored whole behind them
    char text[27] = "0.000000000";
    std::uint8_t length = 11;
    // where text is rounded: the field less its sign, which the double is made of
    std::uint8_t source_length = 0;
    char source[24] = {};
};
// Scans such a field into fixed; false, with p and fixed as they were, for
// any other field. It loads words that may reach 16 bytes past the field's
// end: the text must have them (every read has, see stream::read_slack).
bool nine_decimals(const char *&p, NineDecimals &fixed);
// The double that "%lf" makes of the field.
double value_of(const NineDecimals &fixed);

int to_int(const char *s);       // atoi
double to_double(const char *s); // atof

} // namespace stream::scan
