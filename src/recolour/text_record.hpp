// Text records: any "c" line but "cc", "cn" and "ci". A record is scanned,
// its digit runs marked, and its line written back in its place. Nothing
// here knows the run: the reader hands over the line and the output.
#pragma once

#include <string_view>

#include "stream/record_line.hpp"
#include "stream/scan.hpp"
#include "stream/text_out.hpp"

// A number of a text record: the "%.9f" form its own text fixes, which the
// record line copies, or else the value it converts to.
struct RecordNumber {
    stream::scan::NineDecimals fixed; // length 0: printed from value
    double value = 0.0;
};

// The double that "%lf" makes of the number, for the trace lines.
inline double value_of(const RecordNumber &n) {
    return n.fixed.length ? stream::scan::value_of(n.fixed) : n.value;
}

// The fields of the last text record. A record whose fields stop scanning
// part way is written with what the records before it left here.
struct TextRecord {
    static constexpr int cut_length = 231; // the longest text written back
    char head[3] = {'c', 'h', '\0'};       // the record line's first two bytes
    RecordNumber numbers[4];               // x, y, dx, dy
    // What of the line after the opening quote is written back: up to its
    // line end, a CR or a NUL, and at most cut_length bytes; terminated.
    unsigned char text[cut_length + 1] = {};
};

// "%2c%lf %lf %lf %lf \"%260c" into record: the head, the four numbers, and
// the text after the opening quote, kept as far as it is written back. A
// scan that stops part way leaves the rest as the earlier records left it.
void scan_text_record(RecordLine line, TextRecord &record);

// Writes the record line: the head, the four numbers with nine decimals, a
// blank and the quote, and the text with its digit runs marked in pen (there
// is no closing quote). Returns the marked text as written, valid until the
// next write to out.
std::string_view write_text_record(stream::TextOut &out, const TextRecord &record, char pen);
