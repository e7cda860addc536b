// What the host makes of the lines it writes and reads back: the kind of each
// record, the fields of text records, and the pen marks inside their texts.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace host {

enum class Kind {
    header,     // hq written, hd read back
    comment,    // #...
    setting,    // lg ly lt lc l..., pn, cn, cc, bz
    text,       // ch and every c line other than cc, cn, ci
    line,       // a blank, then x1 y1 x2 y2
    circle,     // ci x y r [start end ...]
    point,      // pt
    poly_line,  // pl
    hand_point, // hp
    table,      // hs, hc...
    attribute,  // z
    other,      // anything else
    count
};

const char *kind_name(Kind kind);
Kind kind_of(std::string_view line);

using KindCounts = std::array<std::size_t, static_cast<std::size_t>(Kind::count)>;

// What a pass over a file counts, a line at a time: its lines by kind and,
// where asked, the marked digit runs by pen.
struct Tally {
    std::size_t lines = 0;
    KindCounts kinds{};
    std::array<std::size_t, 10> runs_by_pen{};
    std::size_t runs = 0;

    // line without its end
    void add(std::string_view line, bool count_runs);
};

// The lines of an exchange file without their CR LF (or LF) ends.
std::vector<std::string> split_lines(std::string_view file);

// Reads up to n blank-separated numbers from text; returns how many it read.
std::size_t scan_numbers(std::string_view text, double *numbers, std::size_t n);

struct TextRecord {
    std::string head;               // "ch"
    std::array<std::string, 4> raw; // x, y, dx, dy as written
    std::array<double, 4> number{}; // the same as numbers
    std::string text;               // Shift_JIS bytes after the opening quote
};

// Splits a text record line; false where it has no opening quote.
bool parse_text_record(std::string_view line, TextRecord &record);

// A stretch of a rewritten text: plain (pen -1) or one marked digit run.
struct Piece {
    int pen = -1;
    std::string open;  // "^$" and the pen digit, as written
    std::string bytes; // the characters the reader sees
    std::string close; // "^%" where it was written
};

// Splits a rewritten text at its escapes: "^$" and a pen digit open a run of
// digits, which "^%" or the end of the text closes. Shift_JIS aware, so a
// trail byte that happens to be "^" is never taken for an escape.
std::vector<Piece> split_marks(std::string_view text);

} // namespace host
