#include "stream/scan.hpp"

#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "stream/ascii.hpp"

namespace stream::scan {

constexpr bool c_locale_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool is_space(char c) {
    return c_locale_space(c);
}
static bool is_xdigit(unsigned char c) {
    return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// isspace in the C locale as a table: one look-up a byte where the fields'
// blanks are skipped.
static constexpr auto spaces = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = c_locale_space(static_cast<char>(c));
    return table;
}();

void skip_space(const char *&p) {
    const char *q = p; // kept in a register, not stored back byte by byte
    while (spaces[static_cast<unsigned char>(*q)]) ++q;
    p = q;
}

// ---- strtod --------------------------------------------------------------

// Reads a (saturated) decimal exponent after an 'e' or 'p'.
static long long exponent_at(const char *p, const char *end) {
    bool neg = false;
    if (p < end && (*p == '+' || *p == '-')) neg = *p++ == '-';
    long long e = 0;
    while (p < end && is_digit(static_cast<unsigned char>(*p))) {
        if (e < 100000000) e = e * 10 + (*p - '0');
        ++p;
    }
    return neg ? -e : e;
}

// Whether an out-of-range mantissa[e|p exponent] is too large rather than
// too small: the position of its first non-zero digit plus its exponent.
static bool too_large(const char *p, const char *end, bool hex) {
    long long int_digits = 0, zeros_after_point = 0;
    bool point = false, nonzero = false;
    for (; p < end; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!(hex ? is_xdigit(c) : is_digit(c))) break;
        if (nonzero || c != '0') {
            nonzero = true;
            if (!point) ++int_digits;
        } else if (point) {
            ++zeros_after_point;
        }
    }
    long long magnitude = int_digits > 0 ? int_digits : -zeros_after_point;
    long long exp = (p < end && (to_lower(*p) == (hex ? 'p' : 'e'))) ? exponent_at(p + 1, end) : 0;
    return (hex ? magnitude * 4 : magnitude) + exp > 0;
}

// strtod over [s, end) without leading white space: stores the stop in stop,
// which is s when nothing converts.
static double strtod_prefix(const char *s, const char *end, const char *&stop) {
    const char *b = s;
    bool neg = false;
    if (b < end && (*b == '+' || *b == '-')) neg = *b++ == '-';
    stop = s;
    if (b == end || *b == '+' || *b == '-') return 0.0;
    bool hex = end - b >= 2 && b[0] == '0' && to_lower(b[1]) == 'x';
    const char *body = hex ? b + 2 : b;
    double v = 0.0;
    std::from_chars_result r{body, std::errc::invalid_argument};
    bool hex_body_ok = body < end && (is_xdigit(static_cast<unsigned char>(*body)) || *body == '.');
    if (!hex || hex_body_ok)
        r = std::from_chars(body, end, v,
                            hex ? std::chars_format::hex : std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) {
        if (!hex) return 0.0;
        v = 0.0; // "0x" without hex digits reads as the "0" before it
        r.ptr = b + 1;
    } else if (r.ec == std::errc::result_out_of_range) {
        v = too_large(body, end, hex) ? HUGE_VAL : 0.0;
    }
    stop = r.ptr;
    return neg ? -v : v;
}

// ---- %lf -------------------------------------------------------------------

// Rest of "inf": "inity" must follow in full once its 'i' is there.
static bool infinity_tail(const char *&p) {
    if (to_lower(*p) != 'i') return true;
    for (char want : {'i', 'n', 'i', 't', 'y'}) {
        if (to_lower(*p) != want) return false;
        ++p;
    }
    return true;
}

// The characters scanf takes for a float field, ending at end; false where
// scanf fails the field before converting.
static bool float_token(const char *s, const char *&end) {
    const char *p = s;
    int got_sign = 0;
    if (*p == '\0') return false;
    if (*p == '-' || *p == '+') {
        got_sign = 1;
        if (*++p == '\0') return false;
    }
    if (to_lower(*p) == 'n') {
        if (to_lower(p[1]) != 'a' || to_lower(p[2]) != 'n') return false;
        end = p + 3;
        return true;
    }
    if (to_lower(*p) == 'i') {
        if (to_lower(p[1]) != 'n' || to_lower(p[2]) != 'f') return false;
        p += 3;
        if (!infinity_tail(p)) return false;
        end = p;
        return true;
    }
    char exp_char = 'e';
    bool hexa = false, got_digit = false, got_dot = false, got_e = false;
    if (*p == '0') {
        if (to_lower(*++p) == 'x') {
            hexa = true;
            exp_char = 'p';
            ++p;
        } else {
            got_digit = true;
        }
    }
    for (;; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (is_digit(c) || (!got_e && hexa && is_xdigit(c))) {
            got_digit = true;
        } else if (got_e && to_lower(p[-1]) == exp_char && (c == '-' || c == '+')) {
        } else if (got_digit && !got_e && to_lower(static_cast<char>(c)) == exp_char) {
            got_e = got_dot = true;
        } else if (!got_dot && c == '.') {
            got_dot = true;
        } else {
            break;
        }
    }
    long size = p - s;
    if (size == got_sign || (hexa && size == 2 + got_sign)) return false;
    end = p;
    return true;
}

// What may stand behind the digits of a float field and make it more than a
// plain decimal: an exponent, a second point, the "x" of "0x"; and a digit
// behind nine decimals.
static constexpr auto continues_float = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {'e', 'E', 'x', 'X', '.'}) table[c] = true;
    for (unsigned char c = '0'; c <= '9'; ++c) table[c] = true;
    return table;
}();

bool real(const char *&p, double &target) {
    skip_space(p);
    // A decimal from_chars reads ends scanf's token but before an e or the x of 0x.
    const char *digits = p + (*p == '-' || *p == '+');
    double v = 0;
    if (is_digit(static_cast<unsigned char>(*digits))) {
        const auto r = std::from_chars(digits, digits + std::strlen(digits), v);
        if (r.ec == std::errc() && to_lower(*r.ptr) != 'e' && to_lower(*r.ptr) != 'x') {
            target = *p == '-' ? -v : v;
            p = r.ptr;
            return true;
        }
    }
    const char *end = nullptr;
    if (!float_token(p, end)) return false;
    const char *stop = nullptr;
    v = strtod_prefix(p, end, stop);
    if (stop == p) return false;
    target = v;
    p = end;
    return true;
}

// How many of the eight bytes at p are digits before the first that is not
// one, a word at a time: a byte above '9' or below '0' sets its top bit in
// the sum (or in x itself), and a carry out of such a byte can only mark
// bytes behind it.
static int leading_digits(const char *p) {
    static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const std::uint64_t x = word ^ 0x3030303030303030u; // a digit becomes 0..9
    const std::uint64_t not_digit = ((x + 0x7676767676767676u) | x) & 0x8080808080808080u;
    return not_digit ? std::countr_zero(not_digit) / 8 : 8;
}

// A plain decimal as measured: the sign, the whole digits at first and the
// decimals behind point.
struct Plain {
    bool negative;
    const char *first, *point;
    int whole, decimals;
};

// Copied eight bytes at a time, less a sign and leading zeros, with a point
// behind the whole part and zeros behind the decimals; returns the last.
static char *copy_nine_decimals(const Plain &d, NineDecimals &fixed) {
    char *out = fixed.text;
    *out = '-';
    out += d.negative;
    std::memcpy(out, d.first, 8);
    out += d.whole;
    *out++ = '.';
    std::memcpy(out, d.point + 1, 9);
    std::memcpy(out + d.decimals, "000000000", 9);
    fixed.length = static_cast<std::uint8_t>(out + 9 - fixed.text);
    return out + 8;
}

// More decimals round the copy where the double cannot lie across a tie: it
// lies within 0.012 units of the ninth decimal from the decimal below 10^5
// and 0.12 below 10^6, so the next two (at q) decide outside 48-51 and 38-61.
static bool round_nine_decimals(const char *&p, const char *q, const Plain &d,
                                NineDecimals &fixed) {
    const int next =
        (q[0] - '0') * 10 + (is_digit(static_cast<unsigned char>(q[1])) ? q[1] - '0' : 0);
    const int band = d.whole < 6 ? 2 : 12;
    const bool up = next >= 50 + band;
    for (int n = 8; n == 8; q += n) n = leading_digits(q);
    if (d.whole > 6 || q - d.first > static_cast<int>(sizeof fixed.source) ||
        (next >= 50 - band && !up) || (up && std::memcmp(d.point + 1, "999999999", 9) == 0) ||
        continues_float[static_cast<unsigned char>(*q)])
        return false; // near a tie, or a carry into the whole part
    char *last = copy_nine_decimals(d, fixed);
    while (up && *last == '9') *last-- = '0';
    *last = static_cast<char>(*last + up);
    fixed.source_length = static_cast<std::uint8_t>(q - d.first);
    std::memcpy(fixed.source, d.first, sizeof fixed.source);
    p = q;
    return true;
}

// The field is measured first; only a plain one is taken.
bool nine_decimals(const char *&p, NineDecimals &fixed) {
    const char *q = p;
    skip_space(q);
    Plain d{*q == '-', nullptr, nullptr, 0, 0}; // printf keeps the sign of -0
    if (*q == '-' || *q == '+') ++q;
    while (*q == '0' && is_digit(static_cast<unsigned char>(q[1]))) ++q;
    d.first = q;
    d.whole = leading_digits(q);
    if (d.whole == 0 || d.whole == 8 || (d.whole == 7 && std::memcmp(q, "8388608", 7) >= 0))
        return false;
    q += d.whole;
    d.point = q;
    if (*q == '.') {
        d.decimals = leading_digits(q + 1);
        if (d.decimals == 8) d.decimals += is_digit(static_cast<unsigned char>(q[9]));
        q += 1 + d.decimals;
    }
    if (continues_float[static_cast<unsigned char>(*q)]) [[unlikely]]
        return is_digit(static_cast<unsigned char>(*q)) && round_nine_decimals(p, q, d, fixed);
    copy_nine_decimals(d, fixed);
    fixed.source_length = 0;
    p = q;
    return true;
}

double value_of(const NineDecimals &fixed) {
    if (fixed.source_length) {
        double v = 0;
        std::from_chars(fixed.source, fixed.source + fixed.source_length, v);
        return fixed.text[0] == '-' ? -v : v;
    }
    static_assert(FLT_EVAL_METHOD == 0, "the division must round once");
    std::uint64_t m = 0;
    for (const char *c = fixed.text; c < fixed.text + fixed.length; ++c)
        if (is_digit(static_cast<unsigned char>(*c)))
            m = m * 10 + static_cast<std::uint64_t>(*c - '0');
    // both operands are exact, so the quotient is the double nearest to the decimal
    const double v = static_cast<double>(m) / 1e9;
    return fixed.text[0] == '-' ? -v : v;
}

// ---- %d, %x, atoi ------------------------------------------------------------

struct Magnitude {
    std::uint64_t value = 0;
    bool overflow = false;
};

static void accumulate(Magnitude &m, unsigned base, unsigned digit) {
    if (m.value > (UINT64_MAX - digit) / base)
        m.overflow = true;
    else
        m.value = m.value * base + digit;
}

static unsigned digit_value(unsigned char c) {
    if (is_digit(c)) return c - '0';
    return static_cast<unsigned>(to_lower(static_cast<char>(c)) - 'a') + 10;
}

// strtol with a 64-bit long, then kept to its low 32 bits as an int store does.
static int strtol_low32(bool neg, const Magnitude &m) {
    std::int64_t v;
    if (!neg)
        v = (m.overflow || m.value > INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(m.value);
    else if (m.overflow || m.value > static_cast<std::uint64_t>(INT64_MAX) + 1)
        v = INT64_MIN;
    else
        v = static_cast<std::int64_t>(0 - m.value);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

// strtoul with a 64-bit long, kept to its low 32 bits.
static int strtoul_low32(bool neg, const Magnitude &m) {
    std::uint64_t v = m.overflow ? UINT64_MAX : (neg ? 0 - m.value : m.value);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

static bool scan_integer(const char *&p, int &target, bool hex) {
    skip_space(p);
    const char *q = p;
    if (*q == '\0') return false;
    bool neg = false;
    if (*q == '-' || *q == '+') neg = *q++ == '-';
    bool any = false;
    if (*q == '0') {
        any = true;
        if (hex && to_lower(*++q) == 'x') ++q; // the prefix is taken, not converted
    }
    Magnitude m;
    const unsigned base = hex ? 16 : 10;
    while (hex ? is_xdigit(static_cast<unsigned char>(*q))
               : is_digit(static_cast<unsigned char>(*q))) {
        accumulate(m, base, digit_value(static_cast<unsigned char>(*q++)));
        any = true;
    }
    if (!any) return false;
    target = hex ? strtoul_low32(neg, m) : strtol_low32(neg, m);
    p = q;
    return true;
}

bool integer(const char *&p, int &target) {
    return scan_integer(p, target, false);
}
bool hex_integer(const char *&p, int &target) {
    return scan_integer(p, target, true);
}

int to_int(const char *s) {
    int v = 0;
    const char *p = s;
    skip_space(p);
    // atoi takes no "0x" prefix and reads "-" alone as 0, as %d does
    return integer(p, v) ? v : 0;
}

double to_double(const char *s) {
    const char *p = s;
    skip_space(p);
    const char *stop = nullptr;
    double v = strtod_prefix(p, p + std::strlen(p), stop);
    return stop == p ? 0.0 : v;
}

} // namespace stream::scan
