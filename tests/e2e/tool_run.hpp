// Runs the built tool in a scratch directory and collects what it left.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace e2e {

struct Outcome {
    int status = 0;                           // exit status as the shell reports it (0..255)
    std::string out, err;                     // stdout and stderr bytes
    std::map<std::string, std::string> files; // every file left in the directory
};

// A fresh, empty directory for one run.
std::filesystem::path scratch_dir(const std::string &name);

// Removes a scratch directory and the stream captures beside it.
void discard(const std::filesystem::path &dir);

void write_file(const std::filesystem::path &path, const std::string &bytes);
std::string read_file(const std::filesystem::path &path);

// Runs the tool (DIGIT_TINT, under DIGIT_TINT_EMULATOR where set) in dir.
// With as_user other than 0 the tool runs under that user and group id, so
// that a test running as root can see permission bits take effect.
Outcome run_tool(const std::filesystem::path &dir, const std::vector<std::string> &args,
                 unsigned as_user = 0);

// The status run_tool reports when the tool could not be started at all.
constexpr int not_started = 122;

// What an exit(status) of the tool reads as once it reaches the shell: its
// low byte, for a Windows exit code under Wine as well (-1 reads 255).
int reported_status(int status);

// Whether the tool reaches "jwc_temp.txt" and "JWC_TEMP.TXT" as one file:
// a Windows program does so wherever it runs, under Wine too.
bool tool_ignores_case();

} // namespace e2e
