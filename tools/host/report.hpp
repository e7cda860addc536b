// The report of one exchange, as text for the terminal.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "exchange.hpp"
#include "records.hpp"
#include "sjis.hpp"

namespace host {

struct Exchange {
    std::string selection;             // as named on the command line
    std::string tool;                  // as started
    std::vector<std::string> switches; // handed to the tool
    std::string scratch;               // the working directory
    bool kept = false;                 // scratch stays after the run
    ToolRun run;                       // status, stdout, stderr
    int timeout = 0;                   // seconds the tool was given
    Tally in;                          // the selection handed over
    Tally out;                         // the file read back
    std::string out_name;              // the name it was read from
    std::filesystem::path out_path;    // where it is, to be listed from
};

struct ReportStyle {
    bool raw = false;     // escapes shown
    bool colour = false;  // marked digits in pen colours
    bool summary = false; // the counts without the listing
};

// A rewritten text as a reader sees it: decoded, escapes hidden (unless raw),
// marked digits coloured for the terminal or else in brackets.
std::string show_text(Codec &codec, const std::string &text, bool raw, bool colour);

// A returned line as the report lists it.
std::string show_line(Codec &codec, const std::string &line, bool raw, bool colour);

// Writes the report to `to`, the returned commands listed a line at a time
// from out_path. False where writing (or reading the file back) failed, with
// a message, or where a stop signal came, with none.
bool write_report(std::FILE *to, const Exchange &exchange, const ReportStyle &style,
                  std::string &error);

} // namespace host
