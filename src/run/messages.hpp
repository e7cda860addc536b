// Every message the tool writes on stderr, and every exit status: the host
// and the scripts that run the tool see a run only through these.
#pragma once

namespace messages {

// The three ways a run ends, as the host sees them.
enum class ExitStatus : int {
    done = 0,     // the result handed back, or left in the work file at a trace level
    overflow = 1, // more lines than the line limit: the work file holds the overflow line
    failed = -1,  // nothing handed back; stderr says why
};

constexpr int exit_code(ExitStatus status) {
    return static_cast<int>(status);
}

// "Cannot open file: <name> ", and the failure it ends. Every failure that
// keeps the result from the host says this, with the name of the file (or
// "stdout") that failed, whatever the cause: a rename, a write or a close.
// The host knows this one line from the tool, and people and scripts that
// run the tool have always looked for it.
ExitStatus cannot_open(const char *name);

// A second run refused while another works in the directory.
ExitStatus busy_directory();

// A switch whose letter is not known; the run goes on.
void illegal_option();

} // namespace messages
