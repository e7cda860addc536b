#include "options.hpp"

#include <algorithm>

namespace host {

namespace {

bool parse_color(std::string_view when, ColorWhen &color) {
    if (when == "auto")
        color = ColorWhen::auto_;
    else if (when == "always" || when == "yes" || when == "force")
        color = ColorWhen::always;
    else if (when == "never" || when == "no" || when == "none")
        color = ColorWhen::never;
    else
        return false;
    return true;
}

bool set_color(Options &options, std::string_view when, std::string &error) {
    if (when.empty()) {
        options.color = ColorWhen::always;
        return true;
    }
    if (parse_color(when, options.color)) return true;
    error = "--color takes auto, always or never, not \"" + std::string(when) + "\"";
    return false;
}

// A whole number from low to high, or -1.
int whole_number(std::string_view text, int low, int high) {
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || n > high) return -1;
        n = n * 10 + (c - '0');
    }
    return text.empty() || n < low || n > high ? -1 : n;
}

// Whole seconds, 1 to a day.
bool set_timeout(Options &options, std::string_view text, std::string &error) {
    options.timeout = whole_number(text, 1, 86400);
    if (options.timeout > 0) return true;
    error = "--timeout takes whole seconds from 1 to 86400, not \"" + std::string(text) + "\"";
    return false;
}

// Narrower than 200 pixels leaves no room for the legend.
bool set_svg_width(Options &options, std::string_view text, std::string &error) {
    options.svg_width = whole_number(text, 200, 20000);
    if (options.svg_width > 0) return true;
    error = "--svg-width takes whole pixels from 200 to 20000, not \"" + std::string(text) + "\"";
    return false;
}

template <bool Options::*flag> bool set_flag(Options &options, std::string_view, std::string &) {
    options.*flag = true;
    return true;
}

template <std::string Options::*text>
bool set_text(Options &options, std::string_view value, std::string &) {
    options.*text = value;
    return true;
}

const OptionSpec table[] = {
    {"--utf8", Takes::nothing, "", "SELECTION is UTF-8: convert it to Shift_JIS with CR LF",
     set_flag<&Options::utf8>},
    {"--color", Takes::optional_value, "WHEN",
     "colour the marked digits: auto (the default: only on a\n"
     "terminal, and not with NO_COLOR), always or never;\n"
     "--color alone means always",
     set_color},
    {"--raw", Takes::nothing, "", "show the pen escapes and the numbers in full",
     set_flag<&Options::raw>},
    {"--summary", Takes::nothing, "", "the counts only, without listing every returned command",
     set_flag<&Options::summary>},
    {"--svg", Takes::value, "FILE",
     "draw the selection with the marked digits in pen colours;\n"
     "\"-\" writes it to standard output, the report to stderr",
     set_text<&Options::svg>},
    {"--svg-width", Takes::value, "PIXELS",
     "the plan's largest width (default: 800): it keeps its\n"
     "proportions within PIXELS wide and 3/4 of PIXELS high,\n"
     "the legend's band included, so it is often narrower; a\n"
     "legend of many pens may widen the page; no text is drawn\n"
     "smaller than 10 pixels",
     set_svg_width},
    {"-o, --output", Takes::value, "FILE",
     "write the returned exchange file to FILE; \"-\" writes it\n"
     "to standard output, and the report to standard error",
     set_text<&Options::output>},
    {"--keep", Takes::value, "DIR", "run in DIR (new or empty) and keep it",
     set_text<&Options::keep>},
    {"--tool", Takes::value, "PATH", "the tool to run (default: digit-tint beside this program)",
     set_text<&Options::tool>},
    {"--timeout", Takes::value, "SECS", "kill the tool when it runs longer (default: 60)",
     set_timeout},
    {"--version", Takes::nothing, "", "show the version", set_flag<&Options::version>},
    {"-h, --help", Takes::nothing, "", "show this help", set_flag<&Options::help>},
};

const OptionSpec *find_option(std::string_view name) {
    for (const OptionSpec &entry : table) {
        const auto names = spellings(entry);
        if (std::find(names.begin(), names.end(), name) != names.end()) return &entry;
    }
    return nullptr;
}

bool is_color_word(std::string_view word) {
    ColorWhen ignored;
    return parse_color(word, ignored);
}

// One option at argv[i], with its value where it takes one; i moves past what it used.
bool parse_option(int argc, char **argv, int &i, Options &options, std::string &error) {
    const std::string_view arg = argv[i];
    const std::string_view name = arg.substr(0, arg.find('='));
    const bool joined = name.size() < arg.size();
    const std::string_view joined_value = joined ? arg.substr(name.size() + 1) : "";
    const OptionSpec *entry = find_option(name);
    if (!entry) {
        error = "unknown option " + std::string(arg);
        return false;
    }
    std::string_view value = joined_value;
    if (entry->takes == Takes::nothing && joined) {
        error = std::string(name) + " takes no value";
        return false;
    }
    if (entry->takes == Takes::value && !joined && i + 1 < argc) value = argv[++i];
    if ((entry->takes == Takes::value || joined) && value.empty()) {
        error = std::string(name) + " needs a value";
        return false;
    }
    if (entry->takes == Takes::optional_value && !joined && i + 1 < argc &&
        is_color_word(argv[i + 1]))
        options.color_word_apart = argv[i + 1];
    return entry->apply(options, value, error);
}

bool parse_arguments(int argc, char **argv, Options &options, std::string &error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            options.switches.assign(argv + i + 1, argv + argc);
            break;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            if (!parse_option(argc, argv, i, options, error)) return false;
        } else if (options.selection.empty()) {
            options.selection = arg;
        } else {
            error = "one SELECTION only; tool switches go after \"--\", as in -- /k3";
            return false;
        }
    }
    if (options.selection.empty() && !options.help && !options.version) {
        error = "no SELECTION given";
        return false;
    }
    if (options.output == "-" && options.svg == "-") {
        error = "-o - and --svg - both want standard output; name a file for one";
        return false;
    }
    return true;
}

std::string label(const OptionSpec &entry) {
    std::string text(entry.names);
    if (entry.takes == Takes::value) text.append(" ").append(entry.value);
    if (entry.takes == Takes::optional_value) text.append("[=").append(entry.value).append("]");
    return text;
}

const char *const usage_head =
    "usage: digit-tint-host [options] SELECTION [-- TOOL-SWITCHES...]\n"
    "Plays the host: leaves SELECTION as jwc_temp.txt in a scratch directory,\n"
    "runs digit-tint there, reads JWC_TEMP.TXT back and shows what it did.\n"
    "A SELECTION of \"-\" is read from standard input.\n"
    "\n"
    "Options:\n";

const char *const usage_tail =
    "\n"
    "Environment:\n"
    "  NO_COLOR  set and not empty: --color=auto colours nothing, as with TERM=dumb\n"
    "\n"
    "Exit status:\n"
    "  0      the tool ended with status 0 and everything was written\n"
    "  1      SELECTION cannot be read or converted; the tool cannot start, fails,\n"
    "         hands nothing back or outruns --timeout; an output cannot be written\n"
    "  2      a command line it cannot use\n"
    "  128+N  ended by signal N (INT, TERM, HUP, or PIPE when the reader of the\n"
    "         output went away); the tool is stopped and the scratch directory\n"
    "         removed first, unless --keep named it\n"
    "\n"
    "Examples:\n"
    "  digit-tint-host --svg plan.svg examples/floor-plan.txt -- /k3\n"
    "  digit-tint-host --utf8 --summary -o - - <examples/site-plan.utf8.txt >back.txt\n";

} // namespace

std::span<const OptionSpec> option_table() {
    return table;
}

std::vector<std::string_view> spellings(const OptionSpec &entry) {
    std::vector<std::string_view> names;
    for (std::string_view rest = entry.names; !rest.empty();) {
        const std::size_t comma = rest.find(", ");
        names.push_back(rest.substr(0, comma));
        rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 2);
    }
    return names;
}

bool parse_options(int argc, char **argv, Options &options, std::string &error) {
    if (parse_arguments(argc, argv, options, error)) return true;
    error += color_hint(options);
    return false;
}

std::string color_hint(const Options &options) {
    if (options.color_word_apart.empty()) return "";
    return " (--color takes WHEN after \"=\": --color=" + options.color_word_apart + ")";
}

std::string usage_text() {
    std::size_t width = 0;
    for (const OptionSpec &entry : table) width = std::max(width, label(entry).size());
    std::string text = usage_head;
    for (const OptionSpec &entry : table) {
        std::string head = "  " + label(entry);
        head.resize(width + 4, ' ');
        std::string_view help = entry.help;
        for (std::size_t end; (end = help.find('\n')) != std::string_view::npos;) {
            text.append(head).append(help.substr(0, end)).append("\n");
            help.remove_prefix(end + 1);
            head.assign(width + 4, ' ');
        }
        text.append(head).append(help).append("\n");
    }
    return text + usage_tail;
}

std::string version_text() {
    return "digit-tint-host " DIGIT_TINT_VERSION "\n";
}

} // namespace host
