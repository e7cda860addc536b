#include "stream/format.hpp"

#include <charconv>

namespace stream {

static char *end_of(LineBuf &b) {
    return b.data + sizeof b.data;
}

char *write_fixed(char *out, double v, int decimals) {
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
