#include "recolour/text_record.hpp"

#include <cmath>
#include <cstring>
#include <string_view>

#include "recolour/digit_runs.hpp"
#include "state/trace_levels.hpp"
#include "stream/console.hpp"
#include "stream/format.hpp"
#include "stream/scan.hpp"
#include "stream/text_out.hpp"

namespace {

std::string_view text_of(const unsigned char *s) {
    const char *c = reinterpret_cast<const char *>(s);
    return {c, std::strlen(c)};
}

stream::Fixed one_decimal(double v) {
    return {v, 1};
}

void trace_input(const RunState &run) {
    const Switches &s = run.switches;
    const TextRecord &r = run.text;
    const FreeSize &size = run.current.free_size;
    console::out(stream::line_of(
        "\n#----- DIGIT_TINT()  command /M(", s.m_value, ") /L(", s.l_value, ") /K(", s.pen_switch,
        ") /S(", s.word, ") /P(", stream::Fixed{s.angle, 2}, ")\n#        input(ChSTR) = Head(",
        r.head, ")  ChSTR(", text_of(r.text), ")\n#        input(ChX,ChY)=(",
        one_decimal(r.x.value), ", ", one_decimal(r.y.value), ") (ChDX,ChDY)=(",
        one_decimal(r.dx.value), ", ", one_decimal(r.dy.value), ")\n#         Free cn0 size: W(",
        one_decimal(size.width), ") H(", one_decimal(size.height), ") D(",
        one_decimal(size.spacing), ") Pen(", size.colour, ")\n"));
}

void trace_pen(const Switches &s, char pen) {
    console::out(stream::line_of("#  iMode3(", s.pen_switch, ")  pen(0x",
                                 stream::Hex{static_cast<unsigned char>(pen)}, ")\n"));
}

// Every byte of the text as "%x ", then the rewrite on a line of its own.
void trace_walk(const unsigned char *text, std::string_view rewritten) {
    stream::LineBuf b;
    for (const unsigned char *p = text; *p; ++p) stream::append(b, stream::Hex{*p}, " ");
    stream::append(b, "\n", rewritten, "\n");
    console::out(b);
}

// The longest record line: the head, four numbers with their blanks, the
// blank and quote, and the rewrite with its terminator.
constexpr std::size_t record_line_room = 2 + 4 * (1 + stream::fixed_room) + 2 + rewrite_size;

// The head, the four numbers with nine decimals, and the text after an
// opening quote (there is no closing quote), built in the output's own
// buffer; returns where the rewrite begins.
char *build_record_line(char *p, const TextRecord &r) {
    p[0] = r.head[0];
    p[1] = r.head[1];
    p += 2;
    for (const RecordNumber &n : {r.x, r.y, r.dx, r.dy}) {
        *p++ = ' ';
        p = n.billionths != scan::inexact
                ? stream::write_billionths(p, std::signbit(n.value), n.billionths)
                : stream::write_fixed(p, n.value, 9);
    }
    *p++ = ' ';
    *p++ = '"';
    return p;
}

// A head that holds a newline (the record line "c" alone) must pass through
// the newline translation like any other byte written.
void write_head_with_newline(stream::TextOut &out, const char *line, const char *end) {
    stream::put(out, std::string_view(line, static_cast<std::size_t>(end - line)));
    stream::put(out, "\n");
}

} // namespace

void recolour_text_record(RunState &run) {
    const bool traced = trace::shows_recolouring(run.switches.trace_level);
    const TextRecord &record = run.text;
    if (traced) trace_input(run);
    const char pen = pen_digit(run.switches.pen_switch);
    if (traced) trace_pen(run.switches, pen);
    const bool plain_head = record.head[0] != '\n' && record.head[1] != '\n';
    stream::LineBuf aside; // only for a head with a newline
    char *line = plain_head ? stream::line_space(run.output, record_line_room) : aside.data;
    char *text = build_record_line(line, record);
    char *end = text + mark_digit_runs(record.text, pen, reinterpret_cast<unsigned char *>(text));
    if (traced)
        trace_walk(record.text, std::string_view(text, static_cast<std::size_t>(end - text)));
    if (plain_head)
        stream::end_line(run.output, end);
    else
        write_head_with_newline(run.output, line, end);
}
