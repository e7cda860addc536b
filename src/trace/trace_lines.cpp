#include "stream/console.hpp"
#include "stream/format.hpp"
#include "trace/trace.hpp"

namespace trace {

namespace {

using stream::console::out;

stream::Fixed one_decimal(double v) {
    return {v, 1};
}

constexpr const char *summary_head =
    "# ------------------ main() Pattern1 end file closing ------------------ \n";

} // namespace

void switches_read(const TraceState &trace) {
    if (shows_recolouring(trace.level)) out("\n\n#### debug #### Cmd-Option read\n");
}

void switch_applied(const RunState &run, const char *arg, int shown_from) {
    const TraceState &t = run.trace;
    if (t.level <= 2) return;
    out(stream::line_of("# --- command line option ---------------\n# --- (/", arg + shown_from,
                        ")\n#      iMode(", t.mode, ") iMode2(", t.second_mode, ") iMode3(",
                        run.pen_switch, ")\n"));
}

void exchange_file_counted(const TraceState &trace) {
    if (shows_recolouring(trace.level)) out("#  copyed to JWC_TEMP.$$$ \n");
}

// The line shows up to its first NUL.
void show_line_read(RecordLine line, std::uint32_t index, std::uint32_t line_count,
                    std::uint32_t line_limit) {
    out(stream::line_of("## ---- JW_PATTERN()  jwc_temp.txt processing --------\n##  jd_x=", index,
                        "/", line_count, " : jd_x/jd_xmax  jd_limit=", line_limit, "\n##  buf=(",
                        std::string_view(line.data()), ")\n"));
}

// The fields, the pen, every byte of the text as "%x ", and the marked text.
void show_text_record(const RunState &run, char pen, std::string_view marked) {
    const TraceState &t = run.trace;
    const TextRecord &r = run.text;
    const FreeSize &size = run.current.free_size;
    out(stream::line_of("\n#----- DIGIT_TINT()  command /M(", t.mode, ") /L(", t.second_mode,
                        ") /K(", run.pen_switch, ") /S(", t.word, ") /P(",
                        stream::Fixed{t.angle, 2}, ")\n#        input(ChSTR) = Head(", r.head,
                        ")  ChSTR(", std::string_view(reinterpret_cast<const char *>(r.text)),
                        ")\n#        input(ChX,ChY)=(", one_decimal(value_of(r.numbers[0])), ", ",
                        one_decimal(value_of(r.numbers[1])), ") (ChDX,ChDY)=(",
                        one_decimal(value_of(r.numbers[2])), ", ",
                        one_decimal(value_of(r.numbers[3])), ")\n#         Free cn0 size: W(",
                        one_decimal(size.width), ") H(", one_decimal(size.height), ") D(",
                        one_decimal(size.spacing), ") Pen(", size.colour, ")\n"));
    stream::LineBuf b = stream::line_of("#  iMode3(", run.pen_switch, ")  pen(0x",
                                        stream::Hex{static_cast<unsigned char>(pen)}, ")\n");
    for (const unsigned char *p = run.text.text; *p; ++p) stream::append(b, stream::Hex{*p}, " ");
    stream::append(b, "\n", marked, "\n");
    out(b);
}

void body_written(RunState &run, std::uint32_t line_count) {
    const int level = run.trace.level;
    const int marker = run.trace.phase.marker;
    if (prints_run_summary(level))
        out(stream::line_of(summary_head, "# jd_xmax= ", line_count, " stepcnt= ", marker,
                            " Error(0)\n"));
    if (!writes_run_summary(level)) return;
    stream::end_open_line(run.output);
    stream::put(run.output, stream::line_of(summary_head, "#    jd_xmax= ", line_count,
                                            " stepcnt= ", marker, " \n"));
}

} // namespace trace
