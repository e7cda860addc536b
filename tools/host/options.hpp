// The stand-in's own command line: one table of options, from which both the
// parser and --help are made.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace host {

enum class ColorWhen { auto_, always, never };

struct Options {
    std::string selection;             // the exchange file to hand over; "-" for stdin
    std::vector<std::string> switches; // everything after "--", for the tool
    bool utf8 = false;                 // selection is UTF-8, convert it first
    bool raw = false;                  // show the escapes instead of hiding them
    bool summary = false;              // the counts only, no listing of the commands
    bool help = false;
    bool version = false;
    ColorWhen color = ColorWhen::auto_;
    std::string svg;     // drawing to write, if any; "-" for stdout
    int svg_width = 800; // the plan's largest width in pixels
    std::string keep;    // scratch directory to use and keep, if any
    std::string output;  // where to copy the returned exchange file; "-" for stdout
    std::string tool;    // the tool to start; empty for the one built beside us
    int timeout = 60;    // seconds the tool may run before it is killed
    // "always" in "--color always": the blank made it an argument of its
    // own, worth a hint where that goes wrong.
    std::string color_word_apart;
};

enum class Takes { nothing, value, optional_value };

struct OptionSpec {
    std::string_view names; // every spelling, comma-separated, as --help lists them
    Takes takes;
    std::string_view value; // its placeholder in --help: "FILE", "WHEN"
    std::string_view help;  // one line; a second after "\n"
    // Takes the option's value (empty for none); false with a message.
    bool (*apply)(Options &options, std::string_view value, std::string &error);
};

std::span<const OptionSpec> option_table();

// The spellings of one option: "-o, --output" gives "-o" and "--output".
std::vector<std::string_view> spellings(const OptionSpec &entry);

// False with a one-line message on a command line it cannot use.
bool parse_options(int argc, char **argv, Options &options, std::string &error);

// A hint for a --color whose WHEN stood apart, to follow a message; empty
// where there was none.
std::string color_hint(const Options &options);

std::string usage_text();
std::string version_text();

} // namespace host
