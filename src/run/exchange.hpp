// The files of one transform, all in the working directory.
#pragma once

#include <cstdint>

namespace exchange {

constexpr const char *host_name = "jwc_temp.txt"; // where the host leaves the selection
constexpr const char *step_name1 = "JWC_x2x2.$$"; // intermediate names of the take-over
constexpr const char *step_name2 = "JWC_x2x2.$$$";
constexpr const char *exchange_name = "JWC_TEMP.TXT"; // read, and finally replaced
constexpr const char *work_name = "JWC_TEMP.$$$";     // the output is built here

constexpr std::uint32_t line_limit = 150000;

} // namespace exchange
