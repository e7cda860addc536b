// The trace lines of every level, byte for byte as the tool has always
// written them. The run calls these at the points their names tell, and each
// decides by the level what it shows. A caller tests a level only where the
// level changes its own work: the readers of line elements and hand points,
// which only trace lines show, and the run, which at a trace level counts
// the records first and hands nothing back. The calls on the record path
// test the level inline, so that a normal run makes none of them.
// A line too long for its buffer marks the trace cut, so that the run
// counts stdout as lost.
#pragma once

#include <cstdint>
#include <string_view>

#include "state/run_state.hpp"
#include "stream/record_line.hpp"

namespace trace {

// Once the switches are read: "Cmd-Option read" (level 2).
void switches_read(TraceState &trace);

// After each switch, from the one that raised the level past 2 on; the
// argument shows from offset shown_from.
void switch_applied(RunState &run, const char *arg, int shown_from);

// Once the exchange file is open and counted: "copyed" (level 2).
void exchange_file_counted(TraceState &trace);

// Every record line as read (level 5), its index counted from 0.
void show_line_read(TraceState &trace, RecordLine line, std::uint32_t index,
                    std::uint32_t line_count, std::uint32_t line_limit);
inline void line_read(TraceState &trace, RecordLine line, std::uint32_t index,
                      std::uint32_t line_count, std::uint32_t line_limit) {
    if (shows_every_line(trace.level)) show_line_read(trace, line, index, line_count, line_limit);
}

// The header moves the phase marker on.
inline void header_read(TraceState &trace) {
    trace.phase.marker = 1;
}

// A hand point of the blank, "/" and "-" forms, with its slot (level 3).
void show_hand_point(TraceState &trace, char form);
inline void hand_point_read(TraceState &trace, char form) {
    if (shows_hand_points(trace.level) && form != '+') show_hand_point(trace, form);
}

// A text record written back with its text marked (level 2).
void show_text_record(RunState &run, char pen, std::string_view marked);
inline void text_record_written(RunState &run, char pen, std::string_view marked) {
    if (shows_recolouring(run.trace.level)) show_text_record(run, pen, marked);
}

// After the body, before the closing block: the run summary, on stdout at
// level 3 and in the work file at level 1.
void body_written(RunState &run, std::uint32_t line_count);

} // namespace trace
