// Setting lines: echoed in place, their value kept as the current setting
// and, the first time, as the start attribute.
#pragma once

#include "state/run_state.hpp"
#include "stream/record_line.hpp"

// Comments, the drawing mark and other setting lines come back unchanged.
void echo(RunState &run, RecordLine line);

void read_layer_group(RunState &run, RecordLine line); // "lg"
void read_layer(RunState &run, RecordLine line);       // "ly"
void read_line_type(RunState &run, RecordLine line);   // "lt"
void read_line_colour(RunState &run, RecordLine line); // "lc"
void read_point_pen(RunState &run, RecordLine line);   // "pn"
void read_text_size(RunState &run, RecordLine line);   // "cn"
