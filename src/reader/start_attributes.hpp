// The first value of each drawing setting: filled as the record lines are
// read, written back by the closing block.
#pragma once

#include "state/run_state.hpp"

// A start attribute stays open while it holds not_yet_seen, so a record that
// itself carries 20 leaves it open for the next one.
inline void take_first(int &start, int current) {
    if (start == not_yet_seen) start = current;
}

// The first text size record decides for the whole run; a free size is
// taken whole, with the values its record just scanned.
inline void take_first_free_size(StartAttributes &start, const FreeSize &current) {
    if (start.text_type != not_yet_seen) return;
    start.text_type = 0;
    start.free_size = current;
}
