#include "reader/text_records.hpp"

#include <cstring>

#include "recolour/text_record.hpp"
#include "stream/scan.hpp"

namespace {

// "%lf %lf %lf %lf \"%260c": the four numbers, then everything after the
// opening quote to the line's end; nothing of an earlier text stays behind.
// A scan that stops part way leaves the rest as the earlier records left it.
void scan_fields(TextRecord &record, const char *p) {
    for (double *t : {&record.x, &record.y, &record.dx, &record.dy})
        if (!scan::lf(p, *t)) return;
    scan::skip_space(p);
    if (*p != '"') return;
    std::size_t n = std::strlen(++p);
    if (n > TextRecord::text_size - 1) n = TextRecord::text_size - 1;
    std::memcpy(record.text, p, n);
    record.text[n] = '\0';
}

} // namespace

void read_text_record(RunState &run, const RecordLine &line) {
    // A "c" alone on its line carries no record at all.
    if (line.len == 1 || (line.len == 2 && line.text[1] == '\n')) return;
    TextRecord &record = run.text;
    // "%2c" stops at a NUL: a head byte it did not reach keeps its old value.
    for (std::size_t i = 0; i < 2 && line.text[i] != '\0'; ++i) record.head[i] = line.text[i];
    scan_fields(record, text_from(line, 2));
    recolour_text_record(run);
}
