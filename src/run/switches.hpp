// The command-line switches: "-" or "/", a case-blind letter, a value.
#pragma once

#include "state/run_state.hpp"

// Applies one switch to the run's settings; a refused letter is reported on
// stderr and a value out of range is ignored, and neither ends the run.
void apply_switch(RunState &run, const char *arg);

// Applies every argument that begins with "-" or "/", in order; the others
// have no effect.
void read_switches(RunState &run, int argc, const char *const *argv);
