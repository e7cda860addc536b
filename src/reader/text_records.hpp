// Text records: any "c" line but "cc", "cn" and "ci". The record is scanned
// into the run's text record, written back with its digit runs marked, and
// traced.
#pragma once

#include "state/run_state.hpp"
#include "stream/record_line.hpp"

void read_text_record(RunState &run, RecordLine line);
