// The record reader: one pass over the exchange file, each record line
// dispatched by its head (its first one to three bytes). The reader also
// writes: what it reads is echoed, rewritten or dropped as it goes, and
// closing_block.hpp writes the end.
#pragma once

#include <cstdint>

#include "state/run_state.hpp"

// Reads the input to its end or to line_limit record lines, writing the body
// of the output; line_count is shown in trace lines only.
void read_records(RunState &run, std::uint32_t line_count, std::uint32_t line_limit);
