#include "reader/hand_points.hpp"

#include <string_view>

#include "state/trace_levels.hpp"
#include "stream/console.hpp"
#include "stream/format.hpp"
#include "stream/scan.hpp"

namespace {

bool has_slot(int index) {
    return index >= 0 && index < HandPoints::slots;
}

// The level-3 line; an index without a slot shows 0.00 0.00.
void trace_slot(const HandPoints &points, std::string_view mark) {
    const int i = points.index;
    const double x = has_slot(i) ? points.x[i] : 0.0;
    const double y = has_slot(i) ? points.y[i] : 0.0;
    console::out(
        stream::line_of("##  hp", i, mark, stream::Fixed{x, 2}, " ", stream::Fixed{y, 2}, " \n"));
}

// The index is scanned from offset 2, so one digit there is the whole index:
// the form byte behind it ends the number.
void scan_index(HandPoints &points, const RecordLine &line) {
    const char *p = text_from(line, 2);
    scan::d(p, points.index);
}

// The "ln" and "ch" forms: their point is shown nowhere, only the phase.
void drawn_point(RunState &run, const RecordLine &line) {
    scan_index(run.hand_points, line);
    run.phase.marker = 2;
}

// The blank, "+", "/" and "-" forms: coordinates stored in the index's slot.
void slot_point(RunState &run, const RecordLine &line, char form) {
    HandPoints &points = run.hand_points;
    scan_index(points, line);
    if (has_slot(points.index)) {
        const char *p = text_from(line, form == ' ' ? 3 : 4);
        if (scan::lf(p, points.x[points.index])) scan::lf(p, points.y[points.index]);
    }
    if (!trace::shows_hand_points(run.switches.trace_level)) return;
    if (form == ' ')
        trace_slot(points, "   ");
    else if (form == '/')
        trace_slot(points, "/  ");
    else if (form == '-')
        trace_slot(points, "-  ");
}

} // namespace

void read_hand_point(RunState &run, const RecordLine &line) {
    const int level = run.switches.trace_level;
    if (!trace::shows_hand_points(level) && !trace::shows_phase(level)) return;
    const char f3 = byte_at(line, 3), f4 = byte_at(line, 4);
    if ((f3 == 'l' && f4 == 'n') || (f3 == 'c' && f4 == 'h'))
        drawn_point(run, line);
    else if (f3 == ' ' || f3 == '+' || f3 == '/' || f3 == '-')
        slot_point(run, line, f3);
}
