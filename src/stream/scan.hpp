// scanf-style field scans and atoi/atof over NUL-terminated text, in the C
// locale and with the C library's corner cases as GNU libc has them ("1e"
// before a blank reads 1, "1.5.3" reads 1.5, "inf", "nan", hexadecimal floats,
// "0x" before a %x field, integers too large kept to their low 32 bits).
//
// A scan starts at p, skips white space, and on success stores the value and
// moves p past what it consumed. On failure it returns false and leaves the
// target as it was; p is then of no further use, as a scan stops there.
#pragma once

namespace scan {

bool is_space(char c); // isspace in the C locale
void skip_space(const char *&p);
bool lf(const char *&p, double &target); // "%lf"
bool d(const char *&p, int &target);     // "%d"
bool x(const char *&p, int &target);     // "%x"

int to_int(const char *s);       // atoi
double to_double(const char *s); // atof

} // namespace scan
