// Where two byte strings part, told in a few lines whatever their size: a
// failing comparison of two outputs of megabytes must stay readable and small.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace support {

// Printable ASCII as it is, \r \n \t \\ and \xNN for the rest, on one line.
std::string escape(std::string_view bytes);

// Empty where the two are equal; otherwise their sizes, the first offset
// where they differ, and the escaped bytes around it from each, as
//   sizes 120 and 118; first difference at byte 57
//     got:  ...^$512^%B\r\nlg14...
//     want: ...^$712^%B\r\nlg14...
std::string first_difference(std::string_view got, std::string_view want, std::size_t context = 24,
                             std::string_view got_label = "got",
                             std::string_view want_label = "want");

} // namespace support
