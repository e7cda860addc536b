// The record reader: one pass over fp, each record line dispatched by its head.
#pragma once

#include <cstdint>

// Reads fp to its end or to jd_limit record lines, writing the body of the
// output to fpw; jd_xmax (the line count) is shown in trace lines only.
int JW_PATTERN(std::uint32_t jd_xmax, std::uint32_t jd_limit);

void PLreset();
