// The files of one transform, all in the working directory, and the
// take-over of the selection that the host left.
#pragma once

#include <cstdint>

namespace exchange {

constexpr const char *host_name = "jwc_temp.txt";     // where the host leaves the selection
constexpr const char *exchange_name = "JWC_TEMP.TXT"; // read, and finally replaced
constexpr const char *work_name = "JWC_TEMP.$$$";     // the output is built here

// The names the take-over moves the selection through, a rename a step: with
// two between, every step changes the name, also where case is not told apart.
constexpr const char *take_over_names[] = {host_name, "JWC_x2x2.$$", "JWC_x2x2.$$$", exchange_name};

// Lines beyond this are refused as a whole; also the most the reader reads.
constexpr std::uint32_t line_limit = 150000;

// Moves the host's file to exchange_name through the step names. Where the
// host's name is not there, the file is looked for under exchange_name.
// Returns null, or the name under which the selection is there but could
// not be moved on.
const char *take_over_exchange_file();

// The "Cannot open file: <name> " message on stderr.
void report_cannot_open(const char *name);

} // namespace exchange
