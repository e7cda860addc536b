#include "stream/format.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

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

// The last n digits of v, leading zeros included, two at a time.
static void write_digits(char *out, int n, std::uint64_t v) {
    static constexpr char pairs[] = "00010203040506070809101112131415161718192021222324"
                                    "25262728293031323334353637383940414243444546474849"
                                    "50515253545556575859606162636465666768697071727374"
                                    "75767778798081828384858687888990919293949596979899";
    auto value = static_cast<std::uint32_t>(v); // below 10^9
    for (; n >= 2; n -= 2) {
        const std::uint32_t two = value % 100;
        value /= 100;
        out[n - 2] = pairs[2 * two];
        out[n - 1] = pairs[2 * two + 1];
    }
    if (n == 1) out[0] = static_cast<char>('0' + value % 10);
}

static bool add_fixed_short(LineBuf &b, double v, int decimals) {
    static constexpr std::uint64_t pow10[] = {1,      10,      100,      1000,      10000,
                                              100000, 1000000, 10000000, 100000000, 1000000000};
    std::uint64_t q = 0;
    if (sizeof b.data - b.len < 32 || !scaled(v, decimals, q)) return false;
    char *p = b.data + b.len;
    if (std::signbit(v)) *p++ = '-'; // printf keeps the sign of -0.0 and of what rounds to 0
    p = std::to_chars(p, end_of(b), q / pow10[decimals]).ptr;
    if (decimals > 0) {
        *p++ = '.';
        write_digits(p, decimals, q % pow10[decimals]);
        p += decimals;
    }
    b.len = static_cast<std::size_t>(p - b.data);
    return true;
}

// Out of line, so that the short path stays lean.
[[gnu::noinline]] static void add_fixed_general(LineBuf &b, double v, int decimals) {
    auto r = std::to_chars(b.data + b.len, end_of(b), v, std::chars_format::fixed, decimals);
    if (r.ec == std::errc()) b.len = static_cast<std::size_t>(r.ptr - b.data);
}

void add_fixed(LineBuf &b, double v, int decimals) {
    if (!add_fixed_short(b, v, decimals)) add_fixed_general(b, v, decimals);
}

void add_int(LineBuf &b, long long v) {
    auto r = std::to_chars(b.data + b.len, end_of(b), v);
    if (r.ec == std::errc()) b.len = static_cast<std::size_t>(r.ptr - b.data);
}

void add_hex(LineBuf &b, std::uint32_t v) {
    auto r = std::to_chars(b.data + b.len, end_of(b), v, 16);
    if (r.ec == std::errc()) b.len = static_cast<std::size_t>(r.ptr - b.data);
}

} // namespace stream
