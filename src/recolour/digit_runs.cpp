#include "recolour/digit_runs.hpp"

#include <array>

namespace {

constexpr bool is_lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool is_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}

} // namespace

char pen_digit(int pen_switch) {
    static constexpr char digits[] = "0123456789";
    return (pen_switch >= 1 && pen_switch <= 9) ? digits[pen_switch] : '5';
}

namespace {

// What the rewrite tells apart: digits, Shift_JIS lead bytes, all the rest;
// one table look-up per byte.
enum ByteClass : unsigned char { other_byte, digit_byte, lead_byte };
constexpr auto byte_classes = [] {
    std::array<ByteClass, 256> c{};
    for (int b = 0; b < 256; ++b)
        c[b] = is_digit(static_cast<unsigned char>(b))  ? digit_byte
               : is_lead(static_cast<unsigned char>(b)) ? lead_byte
                                                        : other_byte;
    return c;
}();

} // namespace

namespace {

// "^$" and a pen digit where a single-byte character starts: text that a run
// of this tool, or the user, has marked already.
bool is_pen_escape(const unsigned char *p) {
    return p[0] == '^' && p[1] == '$' && is_digit(p[2]);
}

// Copies the escape and the digit run right behind it as they stand, so that
// marking a text twice changes nothing; returns the last byte copied.
const unsigned char *copy_marked_run(const unsigned char *p, unsigned char *out, std::size_t &n) {
    out[n++] = *p++;
    out[n++] = *p++;
    out[n++] = *p;
    while (is_digit(p[1])) out[n++] = *++p;
    return p;
}

} // namespace

std::size_t mark_digit_runs(const unsigned char *text, char pen, unsigned char *out) {
    std::size_t n = 0;
    bool run_open = false;
    auto close_run = [&] {
        if (!run_open) return;
        out[n++] = '^';
        out[n++] = '%';
        run_open = false;
    };
    for (const unsigned char *p = text; *p; ++p) {
        const unsigned char c = *p;
        switch (byte_classes[c]) {
        case lead_byte:
            if (p[1] == 0) break; // no trail byte: the lead is dropped
            close_run();
            out[n++] = c;
            out[n++] = *++p;
            break;
        case digit_byte:
            if (!run_open) {
                out[n++] = '^';
                out[n++] = '$';
                out[n++] = static_cast<unsigned char>(pen);
                run_open = true;
            }
            out[n++] = c;
            break;
        case other_byte:
            close_run();
            if (is_pen_escape(p)) {
                p = copy_marked_run(p, out, n);
                break;
            }
            out[n++] = c;
            break;
        }
    }
    out[n] = 0;
    return n;
}
