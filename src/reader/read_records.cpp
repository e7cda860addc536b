#include "reader/read_records.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "reader/hand_points.hpp"
#include "reader/setting_lines.hpp"
#include "recolour/digit_runs.hpp"
#include "recolour/text_record.hpp"
#include "stream/record_line.hpp"
#include "stream/scan.hpp"
#include "stream/text_in.hpp"
#include "stream/text_out.hpp"
#include "trace/trace.hpp"

namespace {

// Geometry and header tables: not handed back, and nothing they carry shows
// anywhere, so they are not even scanned.
void skip(RunState &, RecordLine) {}

void header(RunState &run, RecordLine) {
    stream::put(run.output, "hd\n");
    trace::header_read(run.trace);
}

// Line elements (a blank, then four numbers) are not handed back; only the
// run summary's phase marker shows them. A line element moves the phase on
// unless its ends are one point; numbers that do not scan keep the ends of
// the line element before.
void read_line_element(RunState &run, RecordLine line) {
    if (!trace::shows_phase(run.trace.level)) return;
    double *ends = run.trace.phase.line_ends;
    const char *p = text_from(line, 1);
    for (int i = 0; i < 4; ++i)
        if (!stream::scan::real(p, ends[i])) break;
    if (ends[0] != ends[2] || ends[1] != ends[3]) run.trace.phase.marker = 3;
}

// A text record is scanned into the run's text record, written back with
// its digit runs marked, and traced.
void read_text_record(RunState &run, RecordLine line) {
    // A "c" alone on its line carries no record at all.
    if (line == "c" || line == "c\n") return;
    scan_text_record(line, run.text);
    const char pen = pen_digit(run.pen_switch);
    trace::text_record_written(run, pen, write_text_record(run.output, run.text, pen));
}

// What becomes of the continuations of a physical line too long for one
// record line: they go where its first record line went, and are never read
// as records of their own, so that no user text becomes a command.
enum class Continuations : bool { dropped, echoed };

struct Head {
    std::string_view head;
    void (*read)(RunState &, RecordLine);
    Continuations continuations;
};

using enum Continuations;

// The first head that the record line begins with decides; a line whose head
// is not here is dropped. Longer heads stand before the shorter ones they
// extend.
constexpr Head heads[] = {
    {"#", echo, echoed},               // comment
    {"bz", echo, echoed},              // drawing mark
    {" ", read_line_element, dropped}, // line element
    {"cc", echo, echoed},
    {"cn", read_text_size, echoed},   // text type or free text size
    {"ci", skip, dropped},            // circle or arc
    {"c", read_text_record, dropped}, // text record: its text is cut at 231 bytes
    {"hq", header, dropped},          // the selection's header
    {"hp", read_hand_point, dropped}, // hand point
    {"hs", skip, dropped},            // header scales
    {"hcw", skip, dropped},           // header text-type tables
    {"hch", skip, dropped},
    {"hcd", skip, dropped},
    {"hcc", skip, dropped},
    {"lg", read_layer_group, echoed},
    {"ly", read_layer, echoed},
    {"lt", read_line_type, echoed},
    {"lc", read_line_colour, echoed},
    {"l", echo, echoed}, // any other "l" setting line
    {"pn", read_point_pen, echoed},
    {"pt", skip, dropped}, // point
    {"pl", skip, dropped}, // poly-line mark
    {"z", skip, dropped},  // attribute
};

constexpr std::size_t head_count = std::size(heads);

// The heads of one first byte stand together, so that a line is compared
// with those few only.
constexpr bool heads_grouped() {
    for (std::size_t i = 0; i < head_count; ++i)
        for (std::size_t j = i + 2; j < head_count; ++j)
            if (heads[j].head[0] == heads[i].head[0] && heads[j - 1].head[0] != heads[i].head[0])
                return false;
    return true;
}
static_assert(heads_grouped(), "heads of one first byte must stand together");

// The first bytes that begin a head, numbered from 1; 0 for all others.
constexpr auto head_group = [] {
    std::array<std::uint8_t, 256> group{};
    std::uint8_t groups = 0;
    for (const Head &h : heads) {
        auto &g = group[static_cast<unsigned char>(h.head[0])];
        if (g == 0) g = ++groups;
    }
    return group;
}();

constexpr std::size_t group_count = *std::max_element(head_group.begin(), head_group.end()) + 1;

// By first byte (its group) and second byte, the first head a line may have:
// the heads of its group before that one differ from it in the second byte,
// so that one compare in place decides nearly every line.
constexpr auto first_candidate = [] {
    std::array<std::array<std::uint8_t, 256>, group_count> at{};
    for (auto &row : at) row.fill(head_count);
    for (std::size_t b1 = 0; b1 < 256; ++b1)
        for (std::size_t i = head_count; i-- > 0;) {
            const std::string_view h = heads[i].head;
            if (h.size() == 1 || static_cast<unsigned char>(h[1]) == b1)
                at[head_group[static_cast<unsigned char>(h[0])]][b1] = static_cast<std::uint8_t>(i);
        }
    return at;
}();

// Heads are one to three bytes: compared in place rather than by a call.
bool begins_with(std::string_view line, std::string_view head) {
    if (line.size() < head.size()) return false;
    for (std::size_t i = 0; i < head.size(); ++i)
        if (line[i] != head[i]) return false;
    return true;
}

// Reads the record by its head and tells what becomes of the line's
// continuations; a line whose head is not known is dropped whole.
Continuations dispatch(RunState &run, RecordLine line) {
    if (line.empty()) return dropped;
    const auto b0 = static_cast<unsigned char>(line[0]);
    const auto b1 = static_cast<unsigned char>(byte_at(line, 1));
    for (std::size_t i = first_candidate[head_group[b0]][b1];
         i < head_count && heads[i].head[0] == line[0]; ++i) {
        if (begins_with(line, heads[i].head)) {
            heads[i].read(run, line);
            return heads[i].continuations;
        }
    }
    return dropped;
}

} // namespace

void read_records(RunState &run, std::uint32_t line_count, std::uint32_t line_limit) {
    stream::SpareRecordLine spare = {};
    bool inside_line = false; // the last record line stopped inside a physical line
    Continuations continuations = dropped;
    for (std::uint32_t index = 0; index != line_limit; ++index) {
        const RecordLine line = stream::next_record_line(run.input, spare);
        if (line.empty()) break;
        // An echoed continuation without its line end must not take on a later line.
        if (!inside_line) stream::end_open_line(run.output);
        const bool continuation = inside_line;
        inside_line = line.size() == stream::line_buffer_size - 1 && line.back() != '\n';
        trace::line_read(run.trace, line, index, line_count, line_limit);
        if (!continuation)
            continuations = dispatch(run, line);
        else if (continuations == echoed)
            echo(run, line);
    }
}
