// The take-over of the selection that the host left.
#pragma once

#include "run/exchange_names.hpp"

namespace exchange {

// Moves the host's file to exchange_name through the step names. Where the
// host's name is not there, the file is looked for under exchange_name.
// Returns null, or the name under which the selection is there but could
// not be moved on.
const char *take_over_exchange_file();

} // namespace exchange
