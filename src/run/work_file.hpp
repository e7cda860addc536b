// The life of the work file, in which the whole output is built: created
// under a name of the run's own, written, closed with every error checked,
// and only then moved into place whole, so that nothing another run writes
// is ever handed back and nothing partial is ever left.
#pragma once

#include <cstdint>

#include "stream/text_in.hpp"
#include "stream/text_out.hpp"

namespace work_file {

// The work name, a dot, the process id, and "-<n>" where a file of a killed
// run that had the same id stands under that name.
struct OwnName {
    char text[64];
};

// Creates the work file under a name of this run's own, with the permission
// bits of the exchange file it is to replace, and clears the work name of a
// stale file. A run that holds the lock also clears what killed runs left
// under names of their own. Null, or the name that failed.
const char *create(stream::TextOut &out, OwnName &own, const stream::TextIn &exchange_file,
                   bool locked);

// The one line an over-long selection gets back instead of its result.
void write_overflow_line(stream::TextOut &out, std::uint32_t limit);

// Closes the work file and moves it to its place: over the exchange file
// (hand_back), which the host then finds holding either its input or the
// whole output, or else to the work name. A complete result that cannot go
// over the exchange file is left under the work name. Null, or the name that
// failed.
const char *finish(stream::TextOut &out, const OwnName &own, bool hand_back);

// Closes and removes the run's own file after a failure.
void discard(stream::TextOut &out, const OwnName &own);

} // namespace work_file
