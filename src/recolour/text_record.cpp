#include "recolour/text_record.hpp"

#include <cstring>
#include <string_view>

#include "recolour/digit_runs.hpp"
#include "state/trace_levels.hpp"
#include "stream/console.hpp"
#include "stream/format.hpp"
#include "stream/text_out.hpp"

namespace {

constexpr int cut_length = 231; // the longest text written back

struct CutText {
    unsigned char bytes[cut_length + 1]; // terminated
};

// The text up to its first NUL, CR or LF, and at most cut_length bytes.
CutText cut(const char *text) {
    CutText c;
    int n = 0;
    while (n < cut_length) {
        const char b = text[n];
        if (b == '\0' || b == '\r' || b == '\n') break;
        c.bytes[n++] = static_cast<unsigned char>(b);
    }
    c.bytes[n] = 0;
    return c;
}

std::string_view text_of(const unsigned char *s) {
    const char *c = reinterpret_cast<const char *>(s);
    return {c, std::strlen(c)};
}

stream::Fixed one_decimal(double v) {
    return {v, 1};
}

void trace_input(const RunState &run, const CutText &text) {
    const Switches &s = run.switches;
    const TextRecord &r = run.text;
    const FreeSize &size = run.current.free_size;
    console::out(stream::line_of(
        "\n#----- DIGIT_TINT()  command /M(", s.m_value, ") /L(", s.l_value, ") /K(", s.pen_switch,
        ") /S(", s.word, ") /P(", stream::Fixed{s.angle, 2}, ")\n#        input(ChSTR) = Head(",
        r.head, ")  ChSTR(", text_of(text.bytes), ")\n#        input(ChX,ChY)=(", one_decimal(r.x),
        ", ", one_decimal(r.y), ") (ChDX,ChDY)=(", one_decimal(r.dx), ", ", one_decimal(r.dy),
        ")\n#         Free cn0 size: W(", one_decimal(size.width), ") H(", one_decimal(size.height),
        ") D(", one_decimal(size.spacing), ") Pen(", size.colour, ")\n"));
}

void trace_pen(const Switches &s, char pen) {
    console::out(stream::line_of("#  iMode3(", s.pen_switch, ")  pen(0x",
                                 stream::Hex{static_cast<unsigned char>(pen)}, ")\n"));
}

// Every byte of the cut text as "%x ", then the rewrite on a line of its own.
void trace_walk(const CutText &text, std::string_view rewritten) {
    stream::LineBuf b;
    for (const unsigned char *p = text.bytes; *p; ++p) stream::append(b, stream::Hex{*p}, " ");
    stream::append(b, "\n", rewritten, "\n");
    console::out(b);
}

// The head, the four numbers with nine decimals, and the text after an
// opening quote; there is no closing quote.
void write_record_line(stream::TextOut &out, const TextRecord &r, std::string_view text) {
    stream::LineBuf b;
    stream::append(b, r.head);
    for (double v : {r.x, r.y, r.dx, r.dy}) stream::append(b, " ", stream::Fixed{v, 9});
    stream::append(b, " \"", text, "\n");
    stream::put(out, stream::view(b));
}

} // namespace

void recolour_text_record(RunState &run) {
    const bool traced = trace::shows_recolouring(run.switches.trace_level);
    const CutText text = cut(run.text.text);
    if (traced) trace_input(run, text);
    const char pen = pen_digit(run.switches.pen_switch);
    if (traced) trace_pen(run.switches, pen);
    unsigned char rewritten[rewrite_size];
    const std::size_t len = mark_digit_runs(text.bytes, pen, rewritten);
    const std::string_view rewrite(reinterpret_cast<const char *>(rewritten), len);
    if (traced) trace_walk(text, rewrite);
    write_record_line(run.output, run.text, rewrite);
}
