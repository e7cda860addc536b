#include "reader/text_records.hpp"

#include <cstring>

#include "recolour/text_record.hpp"
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

// "%lf %lf %lf %lf \"%260c": the four numbers, then the text after the
// opening quote, kept as far as it is written back; nothing of an earlier text
// stays behind. A scan that stops part way leaves the rest as the earlier
// records left it.
void scan_fields(TextRecord &record, const char *p, const char *line_end) {
    for (RecordNumber *t : {&record.x, &record.y, &record.dx, &record.dy})
        if (!scan::lf(p, t->value, t->billionths)) return;
    scan::skip_space(p);
    if (*p != '"') return;
    keep_text(record, p + 1, line_end);
}

} // namespace

void read_text_record(RunState &run, const RecordLine &line) {
    // A "c" alone on its line carries no record at all.
    if (line.len == 1 || (line.len == 2 && line.text[1] == '\n')) return;
    TextRecord &record = run.text;
    // "%2c" stops at a NUL: a head byte it did not reach keeps its old value.
    for (std::size_t i = 0; i < 2 && line.text[i] != '\0'; ++i) record.head[i] = line.text[i];
    scan_fields(record, text_from(line, 2), line.text + line.len);
    recolour_text_record(run);
}
