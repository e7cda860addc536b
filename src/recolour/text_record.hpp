// Recolouring of one text record: its text cut at the line end and at 231
// bytes, its digit runs marked, and the record line written in its place.
#pragma once

#include "state/run_state.hpp"

// Writes run.text back to the output with its text rewritten.
void recolour_text_record(RunState &run);
