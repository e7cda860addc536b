#include "recolour/digit_runs.hpp"

#include <array>
#include <cstring>

#include "stream/ascii.hpp"

using stream::is_digit;

namespace {

constexpr bool is_lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

} // namespace

char pen_digit(int pen_switch) {
    static constexpr char digits[] = "0123456789";
    return (pen_switch >= 1 && pen_switch <= 9) ? digits[pen_switch] : '5';
}

namespace {

// What the rewrite tells apart: the terminator, digits, Shift_JIS lead bytes,
// the caret that may open a pen escape, and all the rest; one table look-up
// per byte.
enum ByteClass : unsigned char { end_byte, other_byte, digit_byte, lead_byte, caret_byte };
constexpr auto byte_classes = [] {
    std::array<ByteClass, 256> c{};
    for (int b = 0; b < 256; ++b) {
        const auto u = static_cast<unsigned char>(b);
        c[b] = b == 0               ? end_byte
               : is_digit(u)        ? digit_byte
               : is_lead(u)         ? lead_byte
               : b == pen_escape[0] ? caret_byte
                                    : other_byte;
    }
    return c;
}();

// The pen escape and a pen digit where a single-byte character starts: text
// that a run of this tool, or the user, has marked already.
bool is_pen_escape(const unsigned char *p) {
    return p[0] == pen_escape[0] && p[1] == pen_escape[1] && is_digit(p[2]);
}

// Writes the escape at out; returns the byte behind it.
unsigned char *put_escape(unsigned char *out, std::string_view escape) {
    std::memcpy(out, escape.data(), escape.size());
    return out + escape.size();
}

// Copies the escape and the digit run right behind it as they stand, so that
// marking a text twice changes nothing; returns the byte behind them.
const unsigned char *copy_marked_run(const unsigned char *p, unsigned char *&out) {
    constexpr std::size_t escape_and_pen = pen_escape.size() + 1;
    std::memcpy(out, p, escape_and_pen);
    out += escape_and_pen;
    p += escape_and_pen;
    while (is_digit(*p)) *out++ = *p++;
    return p;
}

// Where the text stops: at its end, or at a lead byte that has no trail byte
// left, which is dropped.
bool at_end(const unsigned char *p) {
    return *p == 0 || (is_lead(*p) && p[1] == 0);
}

} // namespace

// Tests rather than a switch: a jump table's one indirect branch a byte is
// mispredicted far more often than these.
std::size_t detail::mark_digit_runs(const unsigned char *text, char pen, unsigned char *out) {
    unsigned char *o = out;
    const unsigned char *p = text;
    for (;;) {
        const unsigned char c = *p;
        const ByteClass kind = byte_classes[c];
        if (kind == other_byte) {
            *o++ = c;
            ++p;
        } else if (kind == lead_byte) { // with its trail byte, which is never taken for a digit
            if (p[1] == 0) break;       // no trail byte: the lead is dropped
            o[0] = c;
            o[1] = p[1];
            o += 2;
            p += 2;
        } else if (kind == digit_byte) {
            o = put_escape(o, pen_escape);
            *o++ = static_cast<unsigned char>(pen);
            do *o++ = *p++;
            while (is_digit(*p));
            if (at_end(p)) break; // the reset only where more text follows
            o = put_escape(o, reset_escape);
        } else if (kind == caret_byte) {
            if (is_pen_escape(p)) {
                p = copy_marked_run(p, o);
            } else {
                *o++ = c;
                ++p;
            }
        } else {
            break; // the end
        }
    }
    *o = 0;
    return static_cast<std::size_t>(o - out);
}
