#include "reader/text_records.hpp"

#include "recolour/text_record.hpp"
#include "stream/scan.hpp"

namespace {

// "%lf %lf %lf %lf \"%260c": the four numbers, then the text after the
// opening quote, kept as far as it is written back; nothing of an earlier text
// stays behind. A scan that stops part way leaves the rest as the earlier
// records left it.
void scan_fields(TextRecord &record, const char *p) {
    for (RecordNumber *t : {&record.x, &record.y, &record.dx, &record.dy})
        if (!scan::lf(p, t->value, t->billionths)) return;
    scan::skip_space(p);
    if (*p != '"') return;
    ++p;
    int n = 0;
    for (; n < TextRecord::cut_length; ++n) {
        const char c = p[n];
        if (c == '\0' || c == '\r' || c == '\n') break;
        record.text[n] = static_cast<unsigned char>(c);
    }
    record.text[n] = 0;
}

} // namespace

void read_text_record(RunState &run, const RecordLine &line) {
    TextRecord &record = run.text;
    // "%2c" stops at a NUL: a head byte it did not reach keeps its old value.
    for (std::size_t i = 0; i < 2 && line.text[i] != '\0'; ++i) record.head[i] = line.text[i];
    scan_fields(record, text_from(line, 2));
    recolour_text_record(run);
}
