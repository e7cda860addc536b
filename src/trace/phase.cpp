#include "stream/console.hpp"
#include "stream/format.hpp"
#include "stream/scan.hpp"
#include "trace/trace.hpp"

namespace trace {

namespace {

bool has_slot(int index) {
    return index >= 0 && index < HandPoints::slots;
}

// The level-3 line: the form byte and two blanks; an index without a slot
// shows 0.00 0.00.
void show_slot(const HandPoints &points, char form) {
    const int i = points.index;
    const double x = has_slot(i) ? points.x[i] : 0.0;
    const double y = has_slot(i) ? points.y[i] : 0.0;
    const char mark[] = {form, ' ', ' '};
    stream::console::out(stream::line_of("##  hp", i, std::string_view(mark, 3),
                                         stream::Fixed{x, 2}, " ", stream::Fixed{y, 2}, " \n"));
}

// The blank, "+", "/" and "-" forms: coordinates stored in the index's slot.
void slot_point(TraceState &trace, RecordLine line, char form) {
    HandPoints &points = trace.hand_points;
    if (has_slot(points.index)) {
        const char *p = text_from(line, form == ' ' ? 3 : 4);
        if (stream::scan::real(p, points.x[points.index]))
            stream::scan::real(p, points.y[points.index]);
    }
    if (shows_hand_points(trace.level) && form != '+') show_slot(points, form);
}

} // namespace

// A line element moves the phase on unless its ends are one point; numbers
// that do not scan keep the ends of the line element before.
void line_element_read(RunState &run, RecordLine line) {
    if (!shows_phase(run.trace.level)) return;
    double *ends = run.trace.phase.line_ends;
    const char *p = text_from(line, 1);
    for (int i = 0; i < 4; ++i)
        if (!stream::scan::real(p, ends[i])) break;
    if (ends[0] != ends[2] || ends[1] != ends[3]) run.trace.phase.marker = 3;
}

// The index is scanned from offset 2, so one digit there is the whole index:
// the form byte behind it ends the number. The "ln" and "ch" forms move the
// phase; their point is shown nowhere.
void hand_point_read(RunState &run, RecordLine line) {
    TraceState &trace = run.trace;
    if (!shows_hand_points(trace.level) && !shows_phase(trace.level)) return;
    const char f3 = byte_at(line, 3), f4 = byte_at(line, 4);
    const bool drawn = (f3 == 'l' && f4 == 'n') || (f3 == 'c' && f4 == 'h');
    if (!drawn && f3 != ' ' && f3 != '+' && f3 != '/' && f3 != '-') return;
    const char *p = text_from(line, 2);
    stream::scan::integer(p, trace.hand_points.index);
    if (drawn)
        trace.phase.marker = 2;
    else
        slot_point(trace, line, f3);
}

} // namespace trace
