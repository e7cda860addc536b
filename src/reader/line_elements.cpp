#include "reader/line_elements.hpp"

#include "stream/scan.hpp"

// A line element moves the phase on unless its ends are one point; numbers
// that do not scan keep the ends of the line element before.
void read_line_element(RunState &run, RecordLine line) {
    if (!trace::shows_phase(run.trace.level)) return;
    double *ends = run.trace.phase.line_ends;
    const char *p = text_from(line, 1);
    for (int i = 0; i < 4; ++i)
        if (!stream::scan::real(p, ends[i])) break;
    if (ends[0] != ends[2] || ends[1] != ends[3]) run.trace.phase.marker = 3;
}
