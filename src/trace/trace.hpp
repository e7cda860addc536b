// The trace lines of levels 1 to 6, byte for byte as the tool has always
// written them. The run calls these at the points their names tell, and each
// decides by the level what it shows: no caller tests a trace level. Those
// on the record path test it inline, so that a normal run makes no call.
#pragma once

#include <cstdint>
#include <string_view>

#include "reader/record_line.hpp"
#include "state/run_state.hpp"

namespace trace {

// Once the switches are read: "Cmd-Option read" (level 2).
void switches_read(const TraceState &trace);

// After each switch, from the one that raised the level past 2 on; the
// argument shows from offset shown_from.
void switch_applied(const RunState &run, const char *arg, int shown_from);

// Once the exchange file is open and counted: "copyed" (level 2).
void exchange_file_counted(const TraceState &trace);

// Every record line as read (level 5), its index counted from 0.
void show_line_read(RecordLine line, std::uint32_t index, std::uint32_t line_count,
                    std::uint32_t line_limit);
inline void line_read(const TraceState &trace, RecordLine line, std::uint32_t index,
                      std::uint32_t line_count, std::uint32_t line_limit) {
    if (trace.level == 5) show_line_read(line, index, line_count, line_limit);
}

// The header, and the records only the trace reads (head-table entries).
inline void header_read(TraceState &trace) {
    trace.phase.marker = 1;
}
void line_element_read(RunState &run, RecordLine line);
void hand_point_read(RunState &run, RecordLine line);

// A text record written back with its text marked (level 2).
void show_text_record(const RunState &run, char pen, std::string_view marked);
inline void text_record_written(const RunState &run, char pen, std::string_view marked) {
    if (shows_recolouring(run.trace.level)) show_text_record(run, pen, marked);
}

// After the body, before the closing block: the run summary, on stdout at
// level 3 and in the work file at level 1.
void body_written(RunState &run, std::uint32_t line_count);

} // namespace trace
