// The report of one exchange, as text for the terminal.
#pragma once

#include <string>
#include <vector>

#include "exchange.hpp"

namespace host {

struct Exchange {
    std::string selection;             // as named on the command line
    std::string tool;                  // as started
    std::vector<std::string> switches; // handed to the tool
    std::string scratch;               // the working directory
    bool kept = false;                 // scratch stays after the run
    ToolRun run;                       // status, stdout, stderr
    int timeout = 0;                   // seconds the tool was given
    std::vector<std::string> in;       // lines of the selection handed over
    std::vector<std::string> out;      // lines of the file read back
    std::string out_name;              // the name they were read from
};

// A rewritten text as a reader sees it: decoded, escapes hidden (unless raw),
// marked digits coloured for the terminal or else in brackets.
std::string show_text(const std::string &text, bool raw, bool colour);

// A returned line as the report lists it.
std::string show_line(const std::string &line, bool raw, bool colour);

std::string report(const Exchange &exchange, bool raw, bool colour);

} // namespace host
