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

// The "%.9f" form of a "%lf" field made from its text, without a double. A
// plain decimal "[sign]digits[.digits]" with at most nine decimals and a
// magnitude below 2^23 is copied: the double nearest to it lies within 2^-31
// of it, so "%.9f" of that double prints these very digits. Any other decimal
// "[sign]digits[.digits][e[sign]digits]" of up to 19 significant digits is
// rounded to nine decimals where its digits lie further from a tie than the
// double from the decimal, which holds below 2^52 / 10^9 but near ties.
struct NineDecimals {
    // the sign, up to 7 digits, the point and 9 decimals, and room for the
    // digits and zeros that are stored whole behind them
    char text[27] = "0.000000000";
    std::uint8_t length = 11;
    // where text is rounded: the decimal digits * 10^power it was rounded
    // from; power 0 where text is that decimal itself
    std::int16_t power = 0;
    std::uint64_t digits = 0;
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
