// printf-style formatting into a fixed line buffer, the same digits on every
// platform and in every locale ("%.9f" rounds from the exact binary value).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace stream {

// Room for the longest line the tool writes: a record with four numbers of
// up to 309 integer digits each and an 809-byte rewritten text.
struct LineBuf {
    char data[4096];
    std::size_t len = 0;
};

inline std::string_view view(const LineBuf &b) {
    return {b.data, b.len};
}

void add(LineBuf &b, std::string_view text);        // "%s"
void add_fixed(LineBuf &b, double v, int decimals); // "%.Nf"
void add_int(LineBuf &b, long long v);              // "%d", "%u"
void add_hex(LineBuf &b, std::uint32_t v);          // "%x"

} // namespace stream
