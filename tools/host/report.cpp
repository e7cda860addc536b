#include "report.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "handover.hpp"
#include "line_file.hpp"
#include "pens.hpp"
#include "sjis.hpp"
#include "stop.hpp"

namespace host {

namespace {

std::string coloured(const std::string &body, int pen) {
    return std::string("\x1b[") + pen_colour(pen).ansi + "m" + body + "\x1b[0m";
}

// 600.000000000 reads better as 600.
std::string short_number(std::string raw) {
    if (raw.find('.') == std::string::npos) return raw;
    while (raw.back() == '0') raw.pop_back();
    if (raw.back() == '.') raw.pop_back();
    return raw;
}

std::string field(const char *label, const std::string &value) {
    char head[32];
    std::snprintf(head, sizeof head, "%-15s", label);
    return head + value + "\n";
}

std::string kinds(const Tally &tally) {
    std::string text = std::to_string(tally.lines);
    const char *sep = ": ";
    for (std::size_t k = 0; k < tally.kinds.size(); ++k) {
        if (tally.kinds[k] == 0) continue;
        text += sep + std::string(kind_name(static_cast<Kind>(k))) + " " +
                std::to_string(tally.kinds[k]);
        sep = ", ";
    }
    return text;
}

std::string marked_runs(const Tally &tally) {
    std::string text = std::to_string(tally.runs);
    const char *sep = " (";
    for (std::size_t pen = 0; pen < tally.runs_by_pen.size(); ++pen) {
        if (tally.runs_by_pen[pen] == 0) continue;
        text += sep + std::string("pen ") + std::to_string(pen) + ": " +
                std::to_string(tally.runs_by_pen[pen]);
        sep = ", ";
    }
    return tally.runs ? text + ")" : text;
}

// Every line of a stream, decoded, under one label.
std::string stream_lines(const char *label, const std::string &bytes) {
    std::vector<std::string> lines = split_lines(bytes);
    std::string text;
    for (const auto &line : lines) {
        if (line.empty()) continue;
        text += field(text.empty() ? label : "", sjis_to_utf8(line));
    }
    return text.empty() ? field(label, "(empty)") : text;
}

std::string tool_command(const Exchange &exchange) {
    std::string text = exchange.tool;
    for (const auto &s : exchange.switches) text += " " + s;
    return exchange.switches.empty() ? text + " (no switches)" : text;
}

std::string ending(const Exchange &exchange) {
    const ToolRun &run = exchange.run;
    if (run.timed_out)
        return "none: killed after " + std::to_string(exchange.timeout) +
               " s, still running (--timeout)";
    return run.signal ? "killed by signal " + std::to_string(run.signal)
                      : std::to_string(run.status);
}

} // namespace

std::string show_text(Codec &codec, const std::string &text, bool raw, bool colour) {
    std::string shown;
    for (const Piece &piece : split_marks(text)) {
        if (piece.pen < 0) {
            shown += codec.sjis_to_utf8(piece.bytes);
            continue;
        }
        std::string body = raw ? piece.open + piece.bytes + piece.close : piece.bytes;
        shown += colour ? coloured(body, piece.pen) : raw ? body : "[" + body + "]";
    }
    return shown;
}

std::string show_line(Codec &codec, const std::string &line, bool raw, bool colour) {
    TextRecord record;
    if (kind_of(line) != Kind::text || !parse_text_record(line, record))
        return codec.sjis_to_utf8(line);
    std::string shown = record.head;
    for (const auto &number : record.raw) shown += " " + (raw ? number : short_number(number));
    return shown + " \"" + show_text(codec, record.text, raw, colour);
}

namespace {

// Everything above the listing.
std::string head(const Exchange &exchange) {
    const ToolRun &run = exchange.run;
    std::string text = field("selection", selection_label(exchange.selection));
    text += field("tool", tool_command(exchange));
    text += field("scratch", exchange.scratch + (exchange.kept ? " (kept)" : " (removed)"));
    text += field("exit status", ending(exchange));
    text += stream_lines("stderr", run.err);
    text += field("records in", kinds(exchange.in));
    if (run.timed_out) return text + field("commands out", "none read back");
    text += field("commands out", kinds(exchange.out));
    text += field("marked runs", marked_runs(exchange.out));
    if (exchange.out_name != exchange_name)
        text += field("note", std::string("a trace run: ") + exchange_name +
                                  " still holds the selection; shown is " + exchange.out_name);
    return text;
}

// The report's stream, which remembers the first write that failed and why.
class Writer {
  public:
    explicit Writer(std::FILE *to) : to_(to) {}

    // False once a write failed or a stop signal came.
    bool put(std::string_view text) {
        if (ok() && std::fwrite(text.data(), 1, text.size(), to_) != text.size())
            failed_ = errno ? errno : EIO;
        return ok();
    }
    bool flush() {
        if (!failed_ && std::fflush(to_) != 0) failed_ = errno ? errno : EIO;
        return ok();
    }
    bool ok() const { return !failed_ && !stop_signal(); }
    std::string why() const {
        return failed_ ? std::string("cannot write the report: ") + std::strerror(failed_) : "";
    }

  private:
    std::FILE *to_;
    int failed_ = 0;
};

// The returned commands, numbered, read back a line at a time.
bool list_commands(Writer &out, const Exchange &exchange, const ReportStyle &style,
                   std::string &error) {
    out.put("\nreturned commands (");
    out.put(exchange.out_name);
    out.put(")\n");
    LineFile back(exchange.out_path.string());
    if (!back.opened(error)) return false;
    std::string_view line;
    char number[32];
    Codec codec;
    // as wide as the last line's number, and at least four
    const int width = std::max(4, static_cast<int>(std::to_string(exchange.out.lines).size()));
    for (std::size_t n = 1; out.ok() && back.next(line); ++n) {
        std::snprintf(number, sizeof number, "%*zu  ", width, n);
        out.put(number);
        out.put(show_line(codec, std::string(without_end(line)), style.raw, style.colour) + "\n");
    }
    if (back.error() != 0)
        error =
            "cannot read " + exchange.out_path.string() + " back: " + std::strerror(back.error());
    return out.ok() && error.empty();
}

} // namespace

bool write_report(std::FILE *to, const Exchange &exchange, const ReportStyle &style,
                  std::string &error) {
    Writer out(to);
    out.put(head(exchange));
    const bool listing = !exchange.run.timed_out && !style.summary;
    if (listing && !list_commands(out, exchange, style, error)) {
        if (error.empty()) error = out.why();
        return false;
    }
    if (!exchange.run.out.empty()) {
        out.put("\n");
        out.put(stream_lines("tool stdout", exchange.run.out));
    }
    out.flush();
    error = out.why();
    return out.ok();
}

} // namespace host
