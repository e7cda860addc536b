// The work file, in which the whole result is built under a name of the
// run's own, so that nothing another run writes is ever handed back and
// nothing partial is ever left.
//
// The calling sequence:
//
//   1. create() makes the run's own file, empty, with the selection's
//      permission bits, notes which file it is (OwnName::id), and clears
//      the work name of a stale file (a run holding the lock also clears the
//      own files of killed runs, first where every own name is taken).
//   2. The result is written with stream::put and friends. An over-long
//      selection found part way calls stream::restart_out and then
//      write_overflow_line, so that the file holds that line alone.
//   3. Exactly one of:
//      - finish(): closes the file, every error checked, and moves it
//        whole over the exchange file (hand_back) or to the work name, each
//        move checked to move that very file. A complete result that cannot
//        go over the exchange file is left under the work name, with a
//        patience of its own; anything else that fails removes the file
//        where its name still holds it.
//      - discard(): after any failure, closes and removes the file.
//
// A run killed between 1 and 3 leaves its own file behind, under a name no
// other run takes while it lives; the next run that holds the lock removes
// it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "os/os.hpp"
#include "run/exchange_names.hpp"
#include "state/run_state.hpp"
#include "stream/text_out.hpp"

namespace work_file {

// The number of names a run tries for its own file: a name taken is a killed
// run's that had the same process id.
constexpr unsigned attempts = 100;

constexpr std::size_t decimal_digits(unsigned long n) {
    return n < 10 ? 1 : 1 + decimal_digits(n / 10);
}
constexpr std::size_t max_attempt_digits = decimal_digits(attempts - 1);

// The run's own name: exchange::own_prefix, the process id, and "-<n>" after
// the first attempt.
using OwnName = ::OwnName;
constexpr std::size_t longest_own_name = std::char_traits<char>::length(exchange::own_prefix) +
                                         decimal_digits(std::numeric_limits<unsigned long>::max()) +
                                         1 + max_attempt_digits;
static_assert(longest_own_name < sizeof OwnName::text, "the own name and its end must fit");

// Creates the work file under a name of this run's own, with the permission
// bits of the exchange file it is to replace. Null, or the name that failed.
const char *create(stream::TextOut &out, OwnName &own, unsigned permissions, bool locked);

// The one line an over-long selection gets back instead of its result.
void write_overflow_line(stream::TextOut &out, std::uint32_t limit);

// Null, or the name that failed.
const char *finish(stream::TextOut &out, const OwnName &own, bool hand_back);

void discard(stream::TextOut &out, const OwnName &own);

} // namespace work_file
