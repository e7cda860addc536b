// The names of the files of one transform, all in the working directory, and
// the line limit: what the host and the tool agree on, and every program
// that plays either part (the companion, the tests, the benchmark) takes
// from here.
#pragma once

#include <cstdint>
#include <string_view>

namespace exchange {

constexpr const char *host_name = "jwc_temp.txt";     // where the host leaves the selection
constexpr const char *exchange_name = "JWC_TEMP.TXT"; // read, and finally replaced
constexpr const char *work_name = "JWC_TEMP.$$$";     // the result at a trace level

// Where a run's own file begins: the work name and a marker that no person
// gives a file and no other program uses, so that a name in this form followed
// by a process id is one a run made, and a killed run's may be removed.
constexpr const char *own_prefix = "JWC_TEMP.$$$.~digit-tint~";
static_assert(std::string_view(own_prefix).starts_with(work_name));

// The names the take-over moves the selection through, a rename a step: with
// two between, every step changes the name, also where case is not told apart.
constexpr const char *take_over_names[] = {host_name, "JWC_x2x2.$$", "JWC_x2x2.$$$", exchange_name};

// Lines beyond this are refused as a whole; also the most the reader reads.
constexpr std::uint32_t line_limit = 150000;

} // namespace exchange
