// Hand points ("hp"): not handed back; only the trace shows them, the
// level-3 lines their slots and the run summary the phase they mark.
#pragma once

#include "state/run_state.hpp"
#include "stream/record_line.hpp"

void read_hand_point(RunState &run, RecordLine line);
