// Everything one transform run keeps between record lines, in one object
// that the run creates and hands to whatever needs it. Nothing is kept that
// no output shows.
#pragma once

#include <cstdint>

#include "stream/text_in.hpp"
#include "stream/text_out.hpp"

// The values the switches set. Only the pen switch and the trace level
// change what is written; the others are shown in trace lines.
struct Switches {
    int trace_level = 0; // 0..6 (/t); 0 hands the result back
    int pen_switch = 20; // 0..9 from /k, 20 while no /k was given
    int m_value = 1;     // /m
    int l_value = 20;    // /l
    double angle = 10.0; // /p
    char word[128] = {}; // first word of /s, at most 127 bytes
};

// A free text size, as a "cn0" record carries it.
struct FreeSize {
    double width = 0.0;
    double height = 0.0;
    double spacing = 0.0;
    int colour = 0;
};

// The last value read of each setting. A record whose value does not scan
// leaves the one before it.
struct DrawingSettings {
    int layer_group = 0; // "lg", hexadecimal
    int layer = 0;       // "ly", hexadecimal
    int line_type = 1;   // "lt"
    int line_colour = 1; // "lc"
    int point_pen = 1;   // "pn", hexadecimal
    int text_type = 1;   // "cn"; 0 for a free size
    FreeSize free_size;  // the last "cn0"
};

// A start attribute holding this value is still open: the next record of its
// kind fills it, even one that itself carries 20.
constexpr int not_yet_seen = 20;

// The first value of each setting, which the closing block sets again.
struct StartAttributes {
    int layer_group = not_yet_seen;
    int layer = not_yet_seen;
    int line_type = not_yet_seen;
    int line_colour = not_yet_seen;
    int point_pen = not_yet_seen;
    int text_type = not_yet_seen; // 0 when the first text size was a free one
    // Taken only when the first text size is a free one; the negative width
    // keeps the free-size line out of the closing block until then.
    FreeSize free_size{-20.0, 20.0, 20.0, not_yet_seen};
};

// A number of a text record, and its nine decimals as an integer where its
// text fixes them (scan::lf), which the record line then prints directly.
struct RecordNumber {
    double value = 0.0;
    std::uint64_t billionths = 0; // of 0.0
};

// The fields of the last text record. A record whose fields stop scanning
// part way is written with what the records before it left here.
struct TextRecord {
    static constexpr int cut_length = 231; // the longest text written back
    char head[3] = {'c', 'h', '\0'};       // the record line's first two bytes
    RecordNumber x, y, dx, dy;
    // What of the line after the opening quote is written back: up to its
    // line end, a CR or a NUL, and at most cut_length bytes; terminated.
    unsigned char text[cut_length + 1] = {};
};

// Numbered hand points, shown by the level-3 trace.
struct HandPoints {
    static constexpr int slots = 4; // indexes 0..3 have a slot
    int index = 0;                  // from the last hand-point record that scanned one
    double x[slots] = {};
    double y[slots] = {};
};

// The phase marker that the run summary shows: 1 after "hq", 2 after a hand
// point of the "ln" or "ch" form, 3 after a line element whose ends differ.
struct Phase {
    int marker = 0;
    // Ends of the last line element (x1, y1, x2, y2): a line element that
    // scans none of its numbers compares these again.
    double line_ends[4] = {};
};

struct RunState {
    Switches switches;
    DrawingSettings current;
    StartAttributes start;
    TextRecord text;
    HandPoints hand_points;
    Phase phase;
    stream::TextIn input;   // the exchange file, read twice: counted, then read
    stream::TextOut output; // the work file the result is built in
};
