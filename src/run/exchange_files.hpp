// The take-over of the selection that the host left.
#pragma once

#include "run/exchange_names.hpp"
#include "stream/text_in.hpp"

namespace exchange {

// Moves the host's file to exchange_name through the step names, and opens
// it for reading in input: the file that was checked, held open while it is
// moved, whatever is put under its names meanwhile. Where the host's name is
// not there, the file is looked for under exchange_name. Returns null, or the
// name under which the selection is there but could not be moved on or read.
const char *take_over_exchange_file(stream::TextIn &input);

} // namespace exchange
