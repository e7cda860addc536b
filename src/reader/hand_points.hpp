// Hand-point records ("hp"): a point's index and coordinates, shown by the
// level-3 trace; the "ln" and "ch" forms set the phase marker.
#pragma once

#include "reader/record_line.hpp"
#include "state/run_state.hpp"

void read_hand_point(RunState &run, const RecordLine &line);
