// End-to-end cases as data: the files a host leaves, the switches, and every
// byte expected back. One ".case" file holds several cases:
//
//   @@ case <title>            starts a case
//   @@ args /k3 "/s two words" switches, split at blanks, quotes keep blanks
//   @@ file <name>             lines of an input file, each ended with CR LF
//   @@ status <n>              the tool's exit(n); 0 when not given
//   @@ expect <name>           lines the file must hold, each ended with CR LF
//   @@ same <name> <input>     the file must hold that input file's bytes
//   @@ stdout / @@ stderr      lines expected there, each ended with LF;
//                              @version@ in stdout is the build's version
//   @@ names keep case         the case holds only where the tool's file names
//   @@ names ignore case       tell case apart, or only where they do not
//   @@ # ...                   a comment
//
// A file left in the directory that no expect or same line names fails the
// case, and so does any output on a stream that no stdout or stderr names.
// In content lines \xNN is a byte, \\ a backslash, \r a CR, \n a LF, and \!
// at the end of a line leaves its line end off. Blank lines closing a
// section are not content.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

struct Case {
    std::string title;
    std::string source; // file:line of the "@@ case" line
    std::vector<std::string> args;
    std::map<std::string, std::string> inputs;
    std::map<std::string, std::string> expected_files;
    int status = 0;
    std::string expected_out, expected_err;
    std::string names; // "", "keep case" or "ignore case"
};

std::vector<Case> load_cases(const std::string &path);

} // namespace e2e

namespace e2e {
// gtest prints a case by where it stands.
inline void PrintTo(const Case &c, std::ostream *os) {
    *os << c.source;
}
} // namespace e2e
