#include "options.hpp"

#include <string_view>

namespace host {

const char *const usage_text =
    "usage: digit-tint-host [options] SELECTION [-- TOOL-SWITCHES...]\n"
    "Plays the host: leaves SELECTION as jwc_temp.txt in a scratch directory,\n"
    "runs digit-tint there, reads JWC_TEMP.TXT back and shows what it did.\n"
    "\n"
    "  --utf8          SELECTION is UTF-8: convert it to Shift_JIS with CR LF\n"
    "  --color[=WHEN]  colour the marked digits: auto (default), always, never\n"
    "  --raw           show the pen escapes instead of hiding them\n"
    "  --svg FILE      draw the selection with the marked digits in pen colours\n"
    "  -o FILE         write the returned exchange file to FILE\n"
    "  --keep DIR      run in DIR (new or empty) and keep it\n"
    "  --tool PATH     the tool to run (default: digit-tint beside this program)\n"
    "  --timeout SECS  kill the tool when it runs longer (default: 60)\n"
    "  -h, --help      show this help\n";

namespace {

// Options that take a value, as "--name VALUE" or "--name=VALUE".
std::string *value_target(std::string_view name, Options &options) {
    if (name == "--svg") return &options.svg;
    if (name == "--keep") return &options.keep;
    if (name == "-o" || name == "--output") return &options.output;
    if (name == "--tool") return &options.tool;
    if (name == "--timeout") return &options.timeout_text;
    return nullptr;
}

bool parse_color(std::string_view when, Options &options) {
    if (when == "auto")
        options.color = ColorWhen::auto_;
    else if (when == "always" || when == "yes" || when == "force")
        options.color = ColorWhen::always;
    else if (when == "never" || when == "no" || when == "none")
        options.color = ColorWhen::never;
    else
        return false;
    return true;
}

bool parse_flag(std::string_view arg, Options &options, std::string &error) {
    if (arg == "--utf8")
        options.utf8 = true;
    else if (arg == "--raw")
        options.raw = true;
    else if (arg == "-h" || arg == "--help")
        options.help = true;
    else if (arg == "--color")
        options.color = ColorWhen::always;
    else if (arg.substr(0, 8) == "--color=") {
        if (!parse_color(arg.substr(8), options)) {
            error =
                "--color takes auto, always or never, not \"" + std::string(arg.substr(8)) + "\"";
            return false;
        }
    } else {
        error = "unknown option " + std::string(arg);
        return false;
    }
    return true;
}

// A whole number of seconds, 1 to a day.
bool parse_timeout(Options &options, std::string &error) {
    if (options.timeout_text.empty()) return true;
    int seconds = 0;
    for (char c : options.timeout_text) {
        if (c < '0' || c > '9' || seconds > 86400) seconds = -1;
        if (seconds < 0) break;
        seconds = seconds * 10 + (c - '0');
    }
    if (seconds < 1 || seconds > 86400) {
        error =
            "--timeout takes whole seconds from 1 to 86400, not \"" + options.timeout_text + "\"";
        return false;
    }
    options.timeout = seconds;
    return true;
}

} // namespace

bool parse_options(int argc, char **argv, Options &options, std::string &error) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--") {
            options.switches.assign(argv + i + 1, argv + argc);
            break;
        }
        std::string_view name = arg.substr(0, arg.find('='));
        if (std::string *target = value_target(name, options)) {
            if (name.size() < arg.size())
                *target = arg.substr(name.size() + 1);
            else if (i + 1 < argc)
                *target = argv[++i];
            else {
                error = std::string(name) + " needs a value";
                return false;
            }
            if (target->empty()) {
                error = std::string(name) + " needs a value";
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            if (!parse_flag(arg, options, error)) return false;
        } else if (options.selection.empty()) {
            options.selection = arg;
        } else {
            error = "one SELECTION only; tool switches go after \"--\", as in -- /k3";
            return false;
        }
    }
    if (options.selection.empty() && !options.help) {
        error = "no SELECTION given";
        return false;
    }
    return parse_timeout(options, error);
}

} // namespace host
