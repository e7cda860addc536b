// The life of the work file, in which the whole output is built: created
// once, written, closed with every error checked, and then handed back in
// place of the exchange file by one rename, or left where it is.
#pragma once

#include <cstdint>

#include "stream/text_in.hpp"
#include "stream/text_out.hpp"

namespace work_file {

// Creates the work file afresh, with the permission bits of the exchange
// file it is to replace; false, with the message, when that fails.
bool create(stream::TextOut &out, const stream::TextIn &exchange_file);

// The one line an over-long selection gets back instead of its result.
void write_overflow_line(stream::TextOut &out, std::uint32_t limit);

// Flushes and closes; false when any write, the flush or the close failed.
bool close(stream::TextOut &out);

// Renames the closed work file over the exchange file in one step, so that
// the host finds either its input or the whole output there, never a part.
// Returns the exit status.
int hand_back();

} // namespace work_file
