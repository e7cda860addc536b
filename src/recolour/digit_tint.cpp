#include "recolour/digit_tint.hpp"

#include <array>
#include <cstring>
#include <string_view>

#include "recolour/moji_out_ss.hpp"
#include "state/state.hpp"
#include "stream/console.hpp"
#include "stream/format.hpp"

namespace {

constexpr bool is_lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool is_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}

std::string_view text_of(const unsigned char *s) {
    const char *c = reinterpret_cast<const char *>(s);
    return {c, std::strlen(c)};
}

void trace_input() {
    stream::LineBuf b;
    stream::add(b, "\n#----- DIGIT_TINT()  command /M(");
    stream::add_int(b, iMode);
    stream::add(b, ") /L(");
    stream::add_int(b, iMode2);
    stream::add(b, ") /K(");
    stream::add_int(b, iMode3);
    stream::add(b, ") /S(");
    stream::add(b, ChS001);
    stream::add(b, ") /P(");
    stream::add_fixed(b, ANGLE, 2);
    stream::add(b, ")\n#        input(ChSTR) = Head(");
    stream::add(b, MOJI_head);
    stream::add(b, ")  ChSTR(");
    stream::add(b, text_of(ChSTR));
    stream::add(b, ")\n#        input(ChX,ChY)=(");
    stream::add_fixed(b, ChX, 1);
    stream::add(b, ", ");
    stream::add_fixed(b, ChY, 1);
    stream::add(b, ") (ChDX,ChDY)=(");
    stream::add_fixed(b, ChDX, 1);
    stream::add(b, ", ");
    stream::add_fixed(b, ChDY, 1);
    stream::add(b, ")\n#         Free cn0 size: W(");
    stream::add_fixed(b, MOJI_W[0], 1);
    stream::add(b, ") H(");
    stream::add_fixed(b, MOJI_H[0], 1);
    stream::add(b, ") D(");
    stream::add_fixed(b, MOJI_D[0], 1);
    stream::add(b, ") Pen(");
    stream::add_int(b, MOJI_C[0]);
    stream::add(b, ")\n");
    console::out(b);
}

void trace_pen(char pen) {
    stream::LineBuf b;
    stream::add(b, "#  iMode3(");
    stream::add_int(b, iMode3);
    stream::add(b, ")  pen(0x");
    stream::add_hex(b, static_cast<unsigned char>(pen));
    stream::add(b, ")\n");
    console::out(b);
}

// Every byte of the cut text as "%x ", then the rewrite on a line of its own.
void trace_walk(const unsigned char *rewritten) {
    stream::LineBuf b;
    for (const unsigned char *p = ChSTR; *p; ++p) {
        stream::add_hex(b, *p);
        stream::add(b, " ");
    }
    stream::add(b, "\n");
    stream::add(b, text_of(rewritten));
    stream::add(b, "\n");
    console::out(b);
}

} // namespace

char pen_digit(int mode) {
    static constexpr char digits[] = "0123456789";
    return (mode >= 1 && mode <= 9) ? digits[mode] : '5';
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

std::size_t tint_digits(const unsigned char *text, char pen, unsigned char *out) {
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
            out[n++] = c;
            break;
        }
    }
    out[n] = 0;
    return n;
}

int DIGIT_TINT(std::uint32_t) {
    if (isTest == 2) trace_input();
    const char pen = pen_digit(iMode3);
    if (isTest == 2) trace_pen(pen);
    unsigned char rewritten[rewrite_size];
    const std::size_t len = tint_digits(ChSTR, pen, rewritten);
    if (isTest == 2) trace_walk(rewritten);
    MojiOutSS(MOJI_head, ChX, ChY, ChDX, ChDY,
              std::string_view(reinterpret_cast<char *>(rewritten), len));
    return 0;
}
