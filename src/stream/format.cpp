#include "stream/format.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "stream/ascii.hpp"

namespace stream {

static char *end_of(LineBuf &b) {
    return b.data + sizeof b.data;
}

// ---- "%.Nf" for the magnitudes of a drawing ----------------------------------
//
// A double is m * 2^-k exactly; times 10^N = 5^N * 2^N it is m * 5^N shifted
// right by k - N, an integer of at most 74 bits before the shift. Rounding
// that shift half to even gives the digits printf gives, without the general
// conversion's cost. Values of 1e10 and more, N above 9, and infinities and
// NaNs take the general path.

struct Wide {
    std::uint64_t hi, lo;
};

// m * f for m < 2^53 and f < 2^21, in two halves.
static Wide multiply(std::uint64_t m, std::uint64_t f) {
    const std::uint64_t low = (m & 0xFFFFFFFFu) * f;
    const std::uint64_t high = (m >> 32) * f;
    Wide r;
    r.lo = low + (high << 32);
    r.hi = (high >> 32) + (r.lo < low ? 1 : 0);
    return r;
}

// p / 2^s rounded half to even, for 10 <= s <= 74 and p < 2^74.
static std::uint64_t round_shift(Wide p, int s) {
    std::uint64_t q;
    Wide rest, half;
    if (s < 64) {
        q = (p.lo >> s) | (p.hi << (64 - s));
        rest = {0, p.lo & ((std::uint64_t{1} << s) - 1)};
        half = {0, std::uint64_t{1} << (s - 1)};
    } else {
        q = p.hi >> (s - 64);
        rest = {p.hi & ((std::uint64_t{1} << (s - 64)) - 1), p.lo};
        half = s == 64 ? Wide{0, std::uint64_t{1} << 63} : Wide{std::uint64_t{1} << (s - 65), 0};
    }
    const bool tie = rest.hi == half.hi && rest.lo == half.lo;
    const bool above = rest.hi != half.hi ? rest.hi > half.hi : rest.lo > half.lo;
    return (above || (tie && (q & 1))) ? q + 1 : q;
}

// |v| * 10^decimals rounded as printf rounds; false where it does not apply.
static bool scaled(double v, int decimals, std::uint64_t &q) {
    static constexpr std::uint64_t pow5[] = {1,    5,     25,    125,    625,
                                             3125, 15625, 78125, 390625, 1953125};
    const double a = std::fabs(v);
    if (!(a < 1e10) || decimals < 0 || decimals > 9) return false;
    if (a < 0x1p-40) { // below half of 10^-9: every digit is 0
        q = 0;
        return true;
    }
    // a = m * 2^(biased - 1075), a normal number here
    const auto bits = std::bit_cast<std::uint64_t>(a);
    const std::uint64_t m = (bits & 0xFFFFFFFFFFFFFu) | (std::uint64_t{1} << 52);
    const int s = 1075 - static_cast<int>(bits >> 52) - decimals;
    const Wide p = multiply(m, pow5[decimals]);
    q = s >= 75 ? 0 : round_shift(p, s); // from 75 on, p < 2^74 lies below the half
    return true;
}

// Eight decimal digits of v < 10^8 as byte values 0..9, the first digit in
// the lowest byte: split into halves of four digits, then pairs, then single
// digits, every lane at once, by multiplications that are exact for the
// lane's range (x * 10486 >> 20 is x / 100 below 10^4, x * 103 >> 10 is
// x / 10 below 100). No division and no loop.
static std::uint64_t eight_digits(std::uint32_t v) {
    const std::uint64_t halves = (v / 10000) | (std::uint64_t{v % 10000} << 32);
    const std::uint64_t high_pairs = ((halves * 10486) >> 20) & 0x0000007F0000007Fu;
    const std::uint64_t pairs = ((halves - 100 * high_pairs) << 16) | high_pairs;
    const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000Fu;
    return tens | ((pairs - 10 * tens) << 8);
}

// Stores the eight digit bytes as characters, the lowest byte first: one
// store where the lowest byte is the first in memory (no byte carries into
// the next when '0' is added to each).
static void store_eight(char *out, std::uint64_t digits) {
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t text = digits + 0x3030303030303030u;
        std::memcpy(out, &text, sizeof text);
    } else {
        for (int i = 0; i < 8; ++i) out[i] = static_cast<char>('0' + ((digits >> (8 * i)) & 0xFF));
    }
}

// The integer part, below 10^8, without leading zeros but at least one
// digit; the store may write up to eight bytes.
static char *put_whole(char *p, std::uint32_t whole) {
    const std::uint64_t digits = eight_digits(whole);
    // the bit at 56 keeps the last digit, so that 0 prints as "0"
    const int zeros = std::countr_zero(digits | (std::uint64_t{1} << 56)) / 8;
    store_eight(p, digits >> (8 * zeros));
    return p + 8 - zeros;
}

// The last n (1..9) digits of v < 10^n, leading zeros included; the store may
// write up to eight bytes past them.
static char *put_decimals(char *p, std::uint32_t v, int n) {
    if (n == 9) {
        *p++ = static_cast<char>('0' + v / 100000000);
        v %= 100000000;
        n = 8;
    }
    store_eight(p, eight_digits(v) >> (8 * (8 - n)));
    return p + n;
}

// Nine decimals of q below 10^16 (an integer part below 10^7): the sixteen
// digits of q as two halves of eight, the point set in before the last nine.
static char *put_nine_decimals(char *p, std::uint64_t q) {
    const std::uint64_t upper = q / 100000000; // the integer part and the first decimal
    const auto lower = static_cast<std::uint32_t>(q - upper * 100000000);
    const std::uint64_t digits = eight_digits(static_cast<std::uint32_t>(upper));
    // leading zeros of the integer part; the bit at 48 keeps its last digit
    const int zeros = std::countr_zero(digits | (std::uint64_t{1} << 48)) / 8;
    const int whole = 7 - zeros;
    store_eight(p, digits >> (8 * zeros));
    p[whole + 1] = p[whole]; // the first decimal, behind the point
    p[whole] = '.';
    store_eight(p + whole + 2, eight_digits(lower));
    return p + whole + 10;
}

// The integer part of q / 10^decimals (below 10^8) for q a value scaled and
// rounded to that many decimals.
static std::uint64_t whole_of(std::uint64_t q, int decimals) {
    // a division by a constant is a multiplication: the record lines' nine decimals get their own
    return decimals == 9 ? q / 1000000000 : q / powers_of_ten[decimals];
}

// The value that q is, at that many decimals, with its sign.
static char *put_scaled(char *p, bool negative, std::uint64_t q, int decimals) {
    if (negative) *p++ = '-'; // printf keeps the sign of -0.0 and of what rounds to 0
    if (decimals == 9 && q < 10000000000000000) return put_nine_decimals(p, q);
    const std::uint64_t whole = whole_of(q, decimals);
    p = put_whole(p, static_cast<std::uint32_t>(whole));
    if (decimals == 0) return p;
    *p++ = '.';
    return put_decimals(p, static_cast<std::uint32_t>(q - whole * powers_of_ten[decimals]),
                        decimals);
}

// The short path's output at p; null where the value needs the general one,
// which also takes integer parts of 10^8 and more, rare in a drawing.
static char *fixed_short(char *p, double v, int decimals) {
    std::uint64_t q = 0;
    if (!scaled(v, decimals, q) || whole_of(q, decimals) >= 100000000) return nullptr;
    return put_scaled(p, std::signbit(v), q, decimals);
}

char *write_billionths(char *out, bool negative, std::uint64_t billionths) {
    return put_scaled(out, negative, billionths, 9);
}

// Out of line, so that the short path keeps its registers.
[[gnu::noinline]] static char *fixed_general(char *out, double v, int decimals) {
    return std::to_chars(out, out + fixed_room, v, std::chars_format::fixed, decimals).ptr;
}

char *write_fixed(char *out, double v, int decimals) {
    if (char *end = fixed_short(out, v, decimals)) return end;
    return fixed_general(out, v, decimals);
}

// Takes a conversion written at the buffer's end, or marks the buffer cut.
static void take(LineBuf &b, std::to_chars_result r) {
    if (r.ec == std::errc())
        b.len = static_cast<std::size_t>(r.ptr - b.data);
    else
        b.cut = true;
}

void add_fixed(LineBuf &b, double v, int decimals) {
    char *at = b.data + b.len;
    if (decimals >= 0 && decimals <= 9 && sizeof b.data - b.len >= fixed_room) {
        b.len = static_cast<std::size_t>(write_fixed(at, v, decimals) - b.data);
        return;
    }
    // a near-full buffer or more decimals: written where it fits, else not at all
    take(b, std::to_chars(at, end_of(b), v, std::chars_format::fixed, decimals));
}

void add_int(LineBuf &b, long long v) {
    take(b, std::to_chars(b.data + b.len, end_of(b), v));
}

void add_hex(LineBuf &b, std::uint32_t v) {
    take(b, std::to_chars(b.data + b.len, end_of(b), v, 16));
}

} // namespace stream
