// Runs the built tool in a directory and collects what it left.
#pragma once

#include <chrono>
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

// Far beyond any run of the suite, under a sanitizer and Wine: a tool that
// hangs fails its test instead of the whole suite's time limit.
constexpr std::chrono::seconds run_limit{300};
// For a run that must not block at all (a pipe under an exchange name): a
// few seconds, still ample for a start under Wine.
constexpr std::chrono::seconds no_wait_limit{10};

// Runs the tool (DIGIT_TINT, under DIGIT_TINT_EMULATOR where set) in dir.
// With as_user other than 0 the tool runs under that user and group id, so
// that a test running as root can see permission bits take effect. A run
// past limit is killed and fails the test.
Outcome run_tool(const std::filesystem::path &dir, const std::vector<std::string> &args,
                 unsigned as_user = 0, std::chrono::seconds limit = run_limit);

// The same run without reading the directory afterwards, for a directory
// that this process may not be able to read until it gives permissions back.
support::Exit run_tool_alone(const std::filesystem::path &dir, const std::vector<std::string> &args,
                             unsigned as_user = 0, std::chrono::seconds limit = run_limit);

// The same run with the tool started by a wrapper: the words in front of it
// (a shell that sets a limit, strace failing a call).
Outcome run_tool_within(const std::vector<std::string> &wrapper, const std::filesystem::path &dir,
                        const std::vector<std::string> &args, unsigned as_user = 0,
                        std::chrono::seconds limit = run_limit);

// The wrapper under which the system calls that inject names fail as it
// says, strace's "-e inject=" (for example "flock:error=ENOLCK").
std::vector<std::string> failing_calls(const std::string &inject);

// Whether failing_calls can work here: strace is installed and the tool is
// a native one.
bool can_fail_calls();

// The command that starts the tool in dir, for a test that runs several at once.
support::Command tool_command(const std::filesystem::path &dir,
                              const std::vector<std::string> &args);

// Why user cannot run the tool in dir, or "" where it can: the tool and dir
// must be reachable through every folder above them, which a clone or a
// scratch folder inside a folder of mode 0700 is not.
std::string unreachable_by(unsigned user, const std::filesystem::path &dir);

// The status run_tool reports when the tool could not be started at all.
constexpr int not_started = support::not_started;

// What an exit(status) of the tool reads as once it reaches the shell: its
// low byte, for a Windows exit code under Wine as well (-1 reads 255).
int reported_status(int status);

// Whether the tool reaches "jwc_temp.txt" and "JWC_TEMP.TXT" as one file:
// a Windows program does so wherever it runs, under Wine too.
bool tool_ignores_case();

} // namespace e2e
