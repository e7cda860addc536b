// The stand-in's own command line.
#pragma once

#include <string>
#include <vector>

namespace host {

enum class ColorWhen { auto_, always, never };

struct Options {
    std::string selection;             // the exchange file to hand over
    std::vector<std::string> switches; // everything after "--", for the tool
    bool utf8 = false;                 // selection is UTF-8, convert it first
    bool raw = false;                  // show the escapes instead of hiding them
    bool help = false;
    ColorWhen color = ColorWhen::auto_;
    std::string svg;          // drawing to write, if any
    std::string keep;         // scratch directory to use and keep, if any
    std::string output;       // where to copy the returned exchange file, if anywhere
    std::string tool;         // the tool to start; empty for the one built beside us
    int timeout = 60;         // seconds the tool may run before it is killed
    std::string timeout_text; // --timeout as given
};

// False with a one-line message on a command line it cannot use.
bool parse_options(int argc, char **argv, Options &options, std::string &error);

extern const char *const usage_text;

} // namespace host
