// The line count of the exchange file, taken before anything is written.
#pragma once

#include <cstdint>

#include "stream/text_in.hpp"

// Counts the line reads from here to the end of the input, as the reader will
// make them (a line of 254 bytes or more counts as two or more), stopping at
// one past limit. A read error stops the count; read_failed tells it.
std::uint32_t count_lines(stream::TextIn &in, std::uint32_t limit);
