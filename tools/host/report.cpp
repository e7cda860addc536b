#include "report.hpp"

#include <array>
#include <cstdio>

#include "pens.hpp"
#include "records.hpp"
#include "sjis.hpp"

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

std::string kinds(const std::vector<std::string> &lines) {
    KindCounts counts = count_kinds(lines);
    std::string text = std::to_string(lines.size());
    const char *sep = ": ";
    for (std::size_t k = 0; k < counts.size(); ++k) {
        if (counts[k] == 0) continue;
        text +=
            sep + std::string(kind_name(static_cast<Kind>(k))) + " " + std::to_string(counts[k]);
        sep = ", ";
    }
    return text;
}

std::string marked_runs(const std::vector<std::string> &lines) {
    std::array<std::size_t, 10> per_pen{};
    std::size_t total = 0;
    TextRecord record;
    for (const auto &line : lines) {
        if (kind_of(line) != Kind::text || !parse_text_record(line, record)) continue;
        for (const Piece &piece : split_marks(record.text))
            if (piece.pen >= 0) ++per_pen[static_cast<std::size_t>(piece.pen)], ++total;
    }
    std::string text = std::to_string(total);
    const char *sep = " (";
    for (std::size_t pen = 0; pen < per_pen.size(); ++pen) {
        if (per_pen[pen] == 0) continue;
        text +=
            sep + std::string("pen ") + std::to_string(pen) + ": " + std::to_string(per_pen[pen]);
        sep = ", ";
    }
    return total ? text + ")" : text;
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

std::string show_text(const std::string &text, bool raw, bool colour) {
    std::string shown;
    for (const Piece &piece : split_marks(text)) {
        if (piece.pen < 0) {
            shown += sjis_to_utf8(piece.bytes);
            continue;
        }
        std::string body = raw ? piece.open + piece.bytes + piece.close : piece.bytes;
        shown += colour ? coloured(body, piece.pen) : raw ? body : "[" + body + "]";
    }
    return shown;
}

std::string show_line(const std::string &line, bool raw, bool colour) {
    TextRecord record;
    if (kind_of(line) != Kind::text || !parse_text_record(line, record)) return sjis_to_utf8(line);
    std::string shown = record.head;
    for (const auto &number : record.raw) shown += " " + (raw ? number : short_number(number));
    return shown + " \"" + show_text(record.text, raw, colour);
}

std::string report(const Exchange &exchange, bool raw, bool colour) {
    const ToolRun &run = exchange.run;
    std::string text = field("selection", exchange.selection);
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
    text.append("\nreturned commands (").append(exchange.out_name).append(")\n");
    char number[32];
    for (std::size_t i = 0; i < exchange.out.size(); ++i) {
        std::snprintf(number, sizeof number, "%4zu  ", i + 1);
        text += number + show_line(exchange.out[i], raw, colour) + "\n";
    }
    if (!run.out.empty()) text.append("\n").append(stream_lines("tool stdout", run.out));
    return text;
}

} // namespace host
