#include "reader/text_records.hpp"

#include "recolour/digit_runs.hpp"
#include "recolour/text_record.hpp"
#include "trace/trace.hpp"

void read_text_record(RunState &run, RecordLine line) {
    // A "c" alone on its line carries no record at all.
    if (line == "c" || line == "c\n") return;
    scan_text_record(line, run.text);
    const char pen = pen_digit(run.pen_switch);
    trace::text_record_written(run, pen, write_text_record(run.output, run.text, pen));
}
