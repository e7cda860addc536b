#include "stream/format.hpp"

#include <charconv>
#include <cstring>

namespace stream {

static char *end_of(LineBuf &b) {
    return b.data + sizeof b.data;
}

void add(LineBuf &b, std::string_view text) {
    std::size_t n = text.size();
    std::size_t room = sizeof b.data - b.len;
    if (n > room) n = room;
    std::memcpy(b.data + b.len, text.data(), n);
    b.len += n;
}

void add_fixed(LineBuf &b, double v, int decimals) {
    auto r = std::to_chars(b.data + b.len, end_of(b), v, std::chars_format::fixed, decimals);
    if (r.ec == std::errc()) b.len = static_cast<std::size_t>(r.ptr - b.data);
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
