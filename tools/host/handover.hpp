// The selection on its way into the scratch directory: copied a line at a
// time, converted from UTF-8 where asked, counted, and its encoding noticed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "line_file.hpp"
#include "records.hpp"

namespace host {

struct Handover {
    Tally tally;           // the records handed over
    bool shift_jis = true; // every byte of the copy as read decodes as Shift_JIS
    bool utf8 = true;      // and every byte is valid UTF-8
    // With keep_geometry: the lines the drawing draws (line elements,
    // circles, points), the only ones it keeps of the selection.
    std::vector<std::string> geometry;
};

// The name of a selection for messages: "-" is standard input.
std::string selection_label(const std::string &selection);

// Copies the selection, opened as `in` from the file named selection ("-":
// standard input), to `to`: from UTF-8 to Shift_JIS with CR LF when
// from_utf8. False with a one-line message where it cannot.
bool hand_over(LineFile &in, const std::string &selection, bool from_utf8, bool keep_geometry,
               const std::filesystem::path &to, Handover &handover, std::string &error);

} // namespace host
