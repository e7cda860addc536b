#include "stream/format.hpp"

#include <bit>
#include <charconv>

namespace stream {

static char *end_of(LineBuf &b) {
    return b.data + sizeof b.data;
}

// "%.9f" of scaled / 10^9 with the sign given.
static char *write_nine_decimals(char *out, bool negative, std::uint64_t scaled) {
    *out = '-';
    out = std::to_chars(out + negative, out + 21, scaled / 1000000000).ptr;
    *out = '.';
    for (int i = 9; i > 0; --i, scaled /= 10) out[i] = static_cast<char>('0' + scaled % 10);
    return out + 10;
}

// v * 10^9 rounded half to even, from the binary value: the mantissa times
// 10^9 shifted right, the bits shifted out deciding. False from 2^64 on.
static bool scaled_by_nine_decimals(double v, std::uint64_t &scaled) {
    __extension__ using u128 = unsigned __int128;
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const int biased = static_cast<int>(bits >> 52 & 0x7FF);
    const int shift = 1075 - (biased ? biased : 1); // v = mantissa * 2^-shift
    const std::uint64_t mantissa = (bits & 0xFFFFFFFFFFFFFu) | std::uint64_t{biased != 0} << 52;
    const u128 product = u128{mantissa} * 1000000000u;
    if (shift <= 0) return false;
    if (shift > 83) return scaled = 0, true; // the product is below half of 2^shift
    const u128 n = (product + (u128{1} << (shift - 1)) - 1 + (product >> shift & 1)) >> shift;
    return scaled = static_cast<std::uint64_t>(n), n >> 64 == 0;
}

char *write_fixed(char *out, double v, int decimals) {
    std::uint64_t scaled = 0;
    if (decimals == 9 && scaled_by_nine_decimals(v, scaled))
        return write_nine_decimals(out, std::bit_cast<std::int64_t>(v) < 0, scaled);
    return std::to_chars(out, out + fixed_room, v, std::chars_format::fixed, decimals).ptr;
}

// Takes a conversion written at the buffer's end, or marks the buffer cut.
static void take(LineBuf &b, std::to_chars_result r) {
    if (r.ec == std::errc())
        b.len = static_cast<std::size_t>(r.ptr - b.data);
    else
        b.cut = true;
}

void add_fixed(LineBuf &b, double v, int decimals) {
    take(b, std::to_chars(b.data + b.len, end_of(b), v, std::chars_format::fixed, decimals));
}

void add_int(LineBuf &b, long long v) {
    take(b, std::to_chars(b.data + b.len, end_of(b), v));
}

void add_hex(LineBuf &b, std::uint32_t v) {
    take(b, std::to_chars(b.data + b.len, end_of(b), v, 16));
}

} // namespace stream
