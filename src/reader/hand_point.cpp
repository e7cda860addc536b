#include "reader/hand_point.hpp"

#include <string_view>

#include "state/state.hpp"
#include "stream/console.hpp"
#include "stream/format.hpp"
#include "stream/scan.hpp"

namespace {

char at(const char *line, std::size_t len, std::size_t k) {
    return k < len ? line[k] : '\0';
}
const char *from(const char *line, std::size_t len, std::size_t k) {
    return line + (k <= len ? k : len);
}

bool in_slots(int index) {
    return index >= 0 && index <= HPmax;
}

// The level-3 line; an index without a slot shows 0.00 0.00.
void trace_slot(std::string_view mark) {
    double x = in_slots(iPOINT) ? PX[iPOINT] : 0.0;
    double y = in_slots(iPOINT) ? PY[iPOINT] : 0.0;
    stream::LineBuf b;
    stream::add(b, "##  hp");
    stream::add_int(b, iPOINT);
    stream::add(b, mark);
    stream::add_fixed(b, x, 2);
    stream::add(b, " ");
    stream::add_fixed(b, y, 2);
    stream::add(b, " \n");
    console::out(b);
}

void drawn_point(const char *line, std::size_t len) {
    const char *p = from(line, len, 2);
    scan::d(p, iPOINT);
    p = from(line, len, 5);
    if (scan::lf(p, HPOINTx)) scan::lf(p, HPOINTy);
    ++iPOINTcnt;
    stepcnt = 2;
}

// The blank, "+", "/" and "-" forms: coordinates stored in the index's slot.
void slot_point(const char *line, std::size_t len, char form) {
    ++iPOINTcnt;
    const char *p = from(line, len, 2);
    scan::d(p, iPOINT);
    if (in_slots(iPOINT)) {
        p = from(line, len, form == ' ' ? 3 : 4);
        if (scan::lf(p, PX[iPOINT])) scan::lf(p, PY[iPOINT]);
    }
    if (isTest != 3) return;
    if (form == ' ')
        trace_slot("   ");
    else if (form == '/')
        trace_slot("/  ");
    else if (form == '-')
        trace_slot("-  ");
}

} // namespace

void HandPoint(const char *line, std::size_t len) {
    const char f3 = at(line, len, 3), f4 = at(line, len, 4);
    if ((f3 == 'l' && f4 == 'n') || (f3 == 'c' && f4 == 'h'))
        drawn_point(line, len);
    else if (f3 == ' ' || f3 == '+' || f3 == '/' || f3 == '-')
        slot_point(line, len, f3);
}
