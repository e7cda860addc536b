// The trace lines of levels 1 to 6, byte for byte as the tool has always
// written them. The run calls these at the points their names tell, and each
// decides by the level what it shows: no caller tests a trace level. Those
// on the record path test it inline, so that a normal run makes no call.
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
    if (trace.level == 5) show_line_read(trace, line, index, line_count, line_limit);
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
