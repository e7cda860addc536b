// Setting lines: echoed in place, their value kept as the current setting
// and, the first time, as the start attribute.
#pragma once

#include "reader/record_line.hpp"
#include "state/run_state.hpp"

void read_layer_group(RunState &run, const RecordLine &line); // "lg"
void read_layer(RunState &run, const RecordLine &line);       // "ly"
void read_line_type(RunState &run, const RecordLine &line);   // "lt"
void read_line_colour(RunState &run, const RecordLine &line); // "lc"
void read_point_pen(RunState &run, const RecordLine &line);   // "pn"
void read_text_size(RunState &run, const RecordLine &line);   // "cn"
