// The command-line switches: "-" or "/", a case-blind letter, a value.
#pragma once

#include "state/run_state.hpp"
#include "stream/format.hpp"

// Applies one switch to the run's settings; a refused letter is reported on
// stderr and a value out of range is ignored, and neither ends the run.
void apply_switch(RunState &run, const char *arg);

// Applies every argument that begins with "-" or "/", in order; the others
// have no effect.
void read_switches(RunState &run, int argc, const char *const *argv);

// The switches as the usage lists them, from the table the reading uses: one
// line for each run of letters that share an effect, each ended with LF.
void add_switch_usage(stream::LineBuf &b);
