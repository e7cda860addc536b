#include "stream/console.hpp"
#include "stream/format.hpp"
#include "trace/trace.hpp"

namespace trace {

namespace {

// Every trace line goes out through here: a line cut to fit its buffer
// reached stdout only in part.
void out(TraceState &trace, const stream::LineBuf &line) {
    if (!stream::console::out(line)) trace.cut = true;
}
void out(TraceState &, std::string_view line) {
    stream::console::out(line);
}

stream::Fixed one_decimal(double v) {
    return {v, 1};
}

constexpr const char *summary_head =
    "# ------------------ main() Pattern1 end file closing ------------------ \n";

} // namespace

void switches_read(TraceState &trace) {
    if (shows_recolouring(trace.level)) out(trace, "\n\n#### debug #### Cmd-Option read\n");
}

void switch_applied(RunState &run, const char *arg, int shown_from) {
    TraceState &t = run.trace;
    if (!echoes_switches(t.level)) return;
    out(t, stream::line_of("# --- command line option ---------------\n# --- (/", arg + shown_from,
                           ")\n#      iMode(", t.mode, ") iMode2(", t.second_mode, ") iMode3(",
                           run.pen_switch, ")\n"));
}

void exchange_file_counted(TraceState &trace) {
    if (shows_recolouring(trace.level)) out(trace, "#  copyed to JWC_TEMP.$$$ \n");
}

// The line shows up to its first NUL.
void show_line_read(TraceState &trace, RecordLine line, std::uint32_t index,
                    std::uint32_t line_count, std::uint32_t line_limit) {
    out(trace, stream::line_of("## ---- JW_PATTERN()  jwc_temp.txt processing --------\n##  jd_x=",
                               index, "/", line_count, " : jd_x/jd_xmax  jd_limit=", line_limit,
                               "\n##  buf=(", std::string_view(line.data()), ")\n"));
}

// The fields, the pen, every byte of the text as "%x ", and the marked text.
void show_text_record(RunState &run, char pen, std::string_view marked) {
    TraceState &t = run.trace;
    const TextRecord &r = run.text;
    const FreeSize &size = run.current.free_size;
    out(t, stream::line_of("\n#----- DIGIT_TINT()  command /M(", t.mode, ") /L(", t.second_mode,
                           ") /K(", run.pen_switch, ") /S(", t.word, ") /P(",
                           stream::Fixed{t.angle, 2}, ")\n#        input(ChSTR) = Head(", r.head,
                           ")  ChSTR(", std::string_view(reinterpret_cast<const char *>(r.text)),
                           ")\n#        input(ChX,ChY)=(", one_decimal(value_of(r.numbers[0])),
                           ", ", one_decimal(value_of(r.numbers[1])), ") (ChDX,ChDY)=(",
                           one_decimal(value_of(r.numbers[2])), ", ",
                           one_decimal(value_of(r.numbers[3])), ")\n#         Free cn0 size: W(",
                           one_decimal(size.width), ") H(", one_decimal(size.height), ") D(",
                           one_decimal(size.spacing), ") Pen(", size.colour, ")\n"));
    stream::LineBuf b = stream::line_of("#  iMode3(", run.pen_switch, ")  pen(0x",
                                        stream::Hex{static_cast<unsigned char>(pen)}, ")\n");
    for (const unsigned char *p = run.text.text; *p; ++p) stream::append(b, stream::Hex{*p}, " ");
    stream::append(b, "\n", marked, "\n");
    out(t, b);
}

// The level-3 line: the form byte and two blanks; an index without a slot
// shows 0.00 0.00.
void show_hand_point(TraceState &trace, char form) {
    const HandPoints &points = trace.hand_points;
    const int i = points.index;
    const double x = HandPoints::has_slot(i) ? points.x[i] : 0.0;
    const double y = HandPoints::has_slot(i) ? points.y[i] : 0.0;
    const char mark[] = {form, ' ', ' '};
    out(trace, stream::line_of("##  hp", i, std::string_view(mark, 3), stream::Fixed{x, 2}, " ",
                               stream::Fixed{y, 2}, " \n"));
}

void body_written(RunState &run, std::uint32_t line_count) {
    const int level = run.trace.level;
    const int marker = run.trace.phase.marker;
    if (prints_run_summary(level))
        out(run.trace, stream::line_of(summary_head, "# jd_xmax= ", line_count,
                                       " stepcnt= ", marker, " Error(0)\n"));
    if (!writes_run_summary(level)) return;
    stream::end_open_line(run.output);
    stream::put(run.output, stream::line_of(summary_head, "#    jd_xmax= ", line_count,
                                            " stepcnt= ", marker, " \n"));
}

} // namespace trace
