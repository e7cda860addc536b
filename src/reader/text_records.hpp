// Text records: any "c" line but "cc", "cn" and "ci". Their fields are
// scanned here and the record is written back recoloured in its place.
#pragma once

#include "reader/record_line.hpp"
#include "state/run_state.hpp"

void read_text_record(RunState &run, const RecordLine &line);
