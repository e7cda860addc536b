// The host's side of the exchange: a scratch working directory, the
// selection left in it, the tool started there, and what it hands back.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "run/exchange_names.hpp"

namespace host {

// The file the host leaves, the name it reads back, and the tool's work file.
inline constexpr const char *selection_name = exchange::host_name;
using exchange::exchange_name;
using exchange::work_name;
// The most lines the tool takes; above it, it ends with status 1.
using exchange::line_limit;

bool write_file(const std::filesystem::path &path, const std::string &bytes, std::string &error);
bool write_stdout(const std::string &bytes, std::string &error);
// Copies the file from to the file named to, or to standard output for "-".
bool copy_file_to(const std::filesystem::path &from, const std::string &to, std::string &error);

// Whether keep can serve as the scratch directory: missing, or an empty
// directory. False with a message naming it otherwise.
bool keep_usable(const std::string &keep, std::string &error);

// A fresh directory under the system's temporary directory, or keep (created
// where missing) when it is given; keep must hold nothing yet.
bool make_scratch(const std::string &keep, std::filesystem::path &dir, std::string &error);

// The digit-tint built beside this program.
std::string default_tool();

struct ToolRun {
    int status = 0;         // exit status as a shell reports it (0..255)
    int signal = 0;         // the signal that ended the tool, 0 for none
    bool timed_out = false; // killed for running past its time
    bool stopped = false;   // ended for a stop signal or a closed standard output
    std::string out;        // its standard output
    std::string err;        // its standard error
};

// Starts tool in dir with the switches and waits for it, at most timeout
// seconds when that is above 0: then it is killed and run.timed_out set.
// A stop signal to this program (stop.hpp), or the reader of standard output
// gone, ends it too, and sets run.stopped.
// False with a message where the tool could not be started at all.
bool run_tool(const std::string &tool, const std::vector<std::string> &switches,
              const std::filesystem::path &dir, ToolRun &run, std::string &error,
              double timeout = 0);

} // namespace host
