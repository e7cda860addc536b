// Runs the built tool in a directory and collects what it left.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/process.hpp"

namespace e2e {

struct Outcome {
    int status = 0;                           // exit status as the shell reports it (0..255)
    std::string out, err;                     // stdout and stderr bytes
    std::map<std::string, std::string> files; // every file left in the directory
};

// Runs the tool (DIGIT_TINT, under DIGIT_TINT_EMULATOR where set) in dir.
// With as_user other than 0 the tool runs under that user and group id, so
// that a test running as root can see permission bits take effect.
Outcome run_tool(const std::filesystem::path &dir, const std::vector<std::string> &args,
                 unsigned as_user = 0);

// The same run without reading the directory afterwards, for a directory
// that this process may not be able to read until it gives permissions back.
support::Exit run_tool_alone(const std::filesystem::path &dir, const std::vector<std::string> &args,
                             unsigned as_user = 0);

// The command that starts the tool in dir, for a test that runs several at once.
support::Command tool_command(const std::filesystem::path &dir,
                              const std::vector<std::string> &args);

// The status run_tool reports when the tool could not be started at all.
constexpr int not_started = support::not_started;

// What an exit(status) of the tool reads as once it reaches the shell: its
// low byte, for a Windows exit code under Wine as well (-1 reads 255).
int reported_status(int status);

// Whether the tool reaches "jwc_temp.txt" and "JWC_TEMP.TXT" as one file:
// a Windows program does so wherever it runs, under Wine too.
bool tool_ignores_case();

} // namespace e2e
