#include "reader/hand_points.hpp"

#include "stream/scan.hpp"
#include "trace/trace.hpp"

namespace {

// The blank, "+", "/" and "-" forms: coordinates stored in the index's slot.
void read_slot_point(trace::TraceState &trace, RecordLine line, char form) {
    trace::HandPoints &points = trace.hand_points;
    if (points.has_slot(points.index)) {
        const char *p = text_from(line, form == ' ' ? 3 : 4);
        if (stream::scan::real(p, points.x[points.index]))
            stream::scan::real(p, points.y[points.index]);
    }
    trace::hand_point_read(trace, form);
}

} // namespace

// The index is scanned from offset 2, so one digit there is the whole index:
// the form byte behind it ends the number. The "ln" and "ch" forms move the
// phase; their point is shown nowhere.
void read_hand_point(RunState &run, RecordLine line) {
    trace::TraceState &trace = run.trace;
    if (!trace::shows_hand_points(trace.level) && !trace::shows_phase(trace.level)) return;
    const char f3 = byte_at(line, 3), f4 = byte_at(line, 4);
    const bool drawn = (f3 == 'l' && f4 == 'n') || (f3 == 'c' && f4 == 'h');
    if (!drawn && f3 != ' ' && f3 != '+' && f3 != '/' && f3 != '-') return;
    const char *p = text_from(line, 2);
    stream::scan::integer(p, trace.hand_points.index);
    if (drawn)
        trace.phase.marker = 2;
    else
        read_slot_point(trace, line, f3);
}
