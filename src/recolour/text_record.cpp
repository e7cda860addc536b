#include "recolour/text_record.hpp"

#include <cstring>
#include <span>

#include "recolour/digit_runs.hpp"
#include "stream/format.hpp"
#include "stream/scan.hpp"

namespace {

// The text from p to the line's end, cut where it is written back: at the
// line end (an LF stands only last), a CR or a NUL, and at cut_length bytes.
// Searched for those bytes at once rather than compared byte by byte.
void keep_text(TextRecord &record, const char *p, const char *line_end) {
    auto n = static_cast<std::size_t>(line_end - p);
    if (n > 0 && line_end[-1] == '\n') --n;
    if (n > TextRecord::cut_length) n = TextRecord::cut_length;
    for (const char stop : {'\0', '\r'})
        if (const void *at = std::memchr(p, stop, n))
            n = static_cast<std::size_t>(static_cast<const char *>(at) - p);
    std::memcpy(record.text, p, n);
    record.text[n] = 0;
}

// The longest record line: the head, four numbers with their blanks, the
// blank and quote, and the marked text with its terminator.
using MarkedText = std::span<unsigned char, rewrite_room<sizeof TextRecord::text>>;
constexpr std::size_t record_line_room = 2 + 4 * (1 + stream::fixed_room) + 2 + MarkedText::extent;

bool scan_number(const char *&p, RecordNumber &n) {
    if (stream::scan::nine_decimals(p, n.fixed)) return true;
    if (!stream::scan::real(p, n.value)) return false;
    n.fixed.length = 0;
    return true;
}

char *put_number(char *p, const RecordNumber &n) {
    *p++ = ' ';
    if (n.fixed.length == 0) return stream::write_fixed(p, n.value, 9);
    std::memcpy(p, n.fixed.text, sizeof n.fixed.text);
    return p + n.fixed.length;
}

// The record line at p; marked is where its text stands.
char *build_record_line(char *p, const TextRecord &record, char pen, std::string_view &marked) {
    *p++ = record.head[0];
    *p++ = record.head[1];
    for (const RecordNumber &n : record.numbers) p = put_number(p, n);
    *p++ = ' ';
    *p++ = '"';
    const MarkedText text(reinterpret_cast<unsigned char *>(p), MarkedText::extent);
    marked = {p, mark_digit_runs(record.text, pen, text)};
    return p + marked.size();
}

} // namespace

void scan_text_record(RecordLine line, TextRecord &record) {
    // "%2c" stops at a NUL: a head byte it did not reach keeps its old value.
    for (std::size_t i = 0; i < 2 && line[i] != '\0'; ++i) record.head[i] = line[i];
    const char *p = text_from(line, 2);
    for (RecordNumber &n : record.numbers)
        if (!scan_number(p, n)) return;
    stream::scan::skip_space(p);
    if (*p == '"') keep_text(record, p + 1, line.data() + line.size());
}

std::string_view write_text_record(stream::TextOut &out, const TextRecord &record, char pen) {
    std::string_view marked;
    stream::put_built_line<record_line_room>(
        out, [&](char *p) { return build_record_line(p, record, pen, marked); });
    return marked;
}
