// The closing block: the last lines of the output, which set the drawing
// back to the first settings the selection carried.
#pragma once

#include "state/run_state.hpp"

void write_closing_block(RunState &run);
