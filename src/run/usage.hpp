// What the tool says to a person who starts it by hand to learn what it is.
// Only a whole argument asks, so that every switch a host passes keeps its
// meaning, and an answer touches no file.
#pragma once

namespace usage {

enum class Request { none, usage, version };

// What the first argument that asks ("/?", "-?", "--help" or "--version")
// asks for; none where no argument does.
Request requested(int argc, const char *const *argv);

// Prints the usage or the name and version on stdout. Returns the exit
// status: 0, or -1 with "Cannot open file: stdout " where the text was lost.
int answer(Request request);

} // namespace usage
