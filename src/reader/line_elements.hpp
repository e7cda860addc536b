// Line elements (a blank, then four numbers): not handed back; only the run
// summary's phase marker shows them.
#pragma once

#include "state/run_state.hpp"
#include "stream/record_line.hpp"

void read_line_element(RunState &run, RecordLine line);
