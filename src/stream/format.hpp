// printf-style formatting into a fixed line buffer, the same digits on every
// platform and in every locale ("%.9f" rounds from the exact binary value).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace stream {

// Room for the longest line the tool formats here, the trace line of a text
// record: seven numbers, each up to 309 integer digits from a short exponent
// form, the switch word and the text, under 2.8 KB. Record lines are built in
// the write buffer instead. Only the trace echo of a switch, whose argument
// has no bound, can be longer: what does not fit is cut off, and cut tells
// it, so that no writer passes it on as whole.
struct LineBuf {
    char data[4096];
    std::size_t len = 0;
    bool cut = false; // a piece did not fit
};

inline std::string_view view(const LineBuf &b) {
    return {b.data, b.len};
}

// "%s"; inline, so that the many short literals of a record line are copied
// without a call each.
inline void add(LineBuf &b, std::string_view text) {
    std::size_t n = text.size();
    const std::size_t room = sizeof b.data - b.len;
    if (n > room) {
        n = room;
        b.cut = true;
    }
    std::memcpy(b.data + b.len, text.data(), n);
    b.len += n;
}

void add_fixed(LineBuf &b, double v, int decimals); // "%.Nf"
void add_int(LineBuf &b, long long v);              // "%d", "%u"
void add_hex(LineBuf &b, std::uint32_t v);          // "%x"

// The room the longest "%.Nf" with N up to 9 takes: the sign, 309 integer
// digits, the point and nine decimals.
constexpr std::size_t fixed_room = 320;

// "%.Nf" for N from 0 to 9 written at out, which has fixed_room bytes; returns
// the end. For callers that build a line in place.
char *write_fixed(char *out, double v, int decimals);

// Pieces of a formatted line that are not text or a decimal integer.
struct Fixed {
    double value;
    int decimals;
};
struct Hex {
    std::uint32_t value;
};

inline void add_piece(LineBuf &b, std::string_view text) {
    add(b, text);
}
inline void add_piece(LineBuf &b, long long v) {
    add_int(b, v);
}
inline void add_piece(LineBuf &b, Fixed f) {
    add_fixed(b, f.value, f.decimals);
}
inline void add_piece(LineBuf &b, Hex h) {
    add_hex(b, h.value);
}

// Appends every piece in order: one call for a whole trace line.
template <class... Pieces> void append(LineBuf &b, const Pieces &...pieces) {
    (add_piece(b, pieces), ...);
}

template <class... Pieces> LineBuf line_of(const Pieces &...pieces) {
    LineBuf b;
    append(b, pieces...);
    return b;
}

} // namespace stream
