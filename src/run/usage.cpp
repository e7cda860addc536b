#include "run/usage.hpp"

#include <string_view>

#include "recolour/digit_runs.hpp"
#include "run/exchange_names.hpp"
#include "run/messages.hpp"
#include "run/switches.hpp"
#include "stream/console.hpp"
#include "stream/format.hpp"

namespace usage {

namespace {

constexpr std::string_view name = "digit-tint";
constexpr std::string_view version = DIGIT_TINT_VERSION;

// What the tool is, with the names of the files the host and the tool share.
void add_what_it_is(stream::LineBuf &b) {
    using namespace exchange;
    stream::append(b, name,
                   ": recolours the digits in the texts of a CAD selection.\n"
                   "Every run of digits gets a pen escape (",
                   pen_escape, " and a pen digit) in front of it,\nand ", reset_escape,
                   " behind it where more text follows.\n"
                   "\n"
                   "A CAD program starts it as an external transform in its working folder,\n"
                   "where it has left the selection in ",
                   host_name, ", and reads ", exchange_name,
                   "\nback once the tool has ended. Started by hand elsewhere, it finds no\n"
                   "selection and ends with status -1.\n"
                   "\n"
                   "Usage: ",
                   name, " [switches]  (each starts with / or -; letters in either case)\n");
}

constexpr std::string_view questions = "  /? -? --help  this text\n"
                                       "  --version     the name and version\n";

// The files and statuses, with the names and the limit the run uses.
void add_files_and_statuses(stream::LineBuf &b) {
    using namespace exchange;
    const char *const *steps = take_over_names + 1;
    stream::append(b, "\nFiles, in the folder it runs in:\n  ", host_name,
                   "  the selection the CAD program leaves; renamed to ", exchange_name, "\n  ",
                   exchange_name, "  read, then replaced in one step by the result\n  ", work_name,
                   "  the result after /t1../t", highest_trace_level,
                   ", or the line that says the\n"
                   "                selection has more than ",
                   line_limit, " lines; else gone after the run\n  ", own_prefix, "<pid>, ",
                   steps[0], ", ", steps[1],
                   "\n                used while a run works\n\nExit status:\n  0   the result was "
                   "handed back "
                   "(after /t1../t",
                   highest_trace_level, ": left in ", work_name, ")\n  1   more than ", line_limit,
                   " lines: nothing was handed back\n"
                   "  -1  nothing was handed back; a message on standard error says why\n"
                   "      (errorlevel -1 on Windows, 255 in a POSIX shell)\n\n"
                   "Guides for Windows: README.txt (English) and README.ja.txt (Japanese),\n"
                   "beside digit-tint.exe in the zip.\n");
}

// What one whole argument asks for.
Request question(std::string_view arg) {
    if (arg == "/?" || arg == "-?" || arg == "--help") return Request::usage;
    if (arg == "--version") return Request::version;
    return Request::none;
}

} // namespace

Request requested(int argc, const char *const *argv) {
    for (int i = 1; i < argc; ++i)
        if (const Request r = question(argv[i]); r != Request::none) return r;
    return Request::none;
}

int answer(Request request) {
    stream::console::init();
    stream::LineBuf text;
    if (request == Request::version) stream::append(text, name, " ", version, "\n");
    if (request == Request::usage) {
        add_what_it_is(text);
        add_switch_usage(text);
        stream::append(text, questions);
        add_files_and_statuses(text);
    }
    // A usage cut to fit its buffer reached stdout only in part.
    const bool whole = stream::console::out(text);
    if (stream::console::flush_out() && whole)
        return messages::exit_code(messages::ExitStatus::done);
    return messages::exit_code(messages::cannot_open("stdout"));
}

} // namespace usage
