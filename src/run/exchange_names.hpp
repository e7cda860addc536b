// The names of the files of one transform, all in the working directory, the
// line limit and the trace levels: what the host and the tool agree on, and
// every program that plays either part (the companion, the tests, the
// benchmark, the guard, the fuzz target) takes from here.
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

// The levels of "/t": 0 is a normal run, 1 to this one leave the result in
// the work file. One digit, as only the switch's first character counts.
constexpr int highest_trace_level = 6;
static_assert(highest_trace_level <= 9);

} // namespace exchange
