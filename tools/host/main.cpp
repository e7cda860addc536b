// digit-tint-host: plays the host's part in one exchange with digit-tint and
// shows what came back.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "exchange.hpp"
#include "options.hpp"
#include "records.hpp"
#include "report.hpp"
#include "sjis.hpp"
#include "svg.hpp"

namespace {

namespace fs = std::filesystem;
using namespace host;

int fail(const std::string &message) {
    std::fprintf(stderr, "digit-tint-host: %s\n", message.c_str());
    return 1;
}

// A failure after the tool ran: the scratch directory is left for a look.
int fail_kept(const std::string &message, const fs::path &dir) {
    return fail(message + "; scratch directory kept: " + dir.string());
}

bool use_colour(ColorWhen when) {
    if (when != ColorWhen::auto_) return when == ColorWhen::always;
    const char *no_color = std::getenv("NO_COLOR"), *term = std::getenv("TERM");
    return isatty(STDOUT_FILENO) && !(no_color && *no_color) &&
           !(term && !std::strcmp(term, "dumb"));
}

// The tool's stderr on one line.
std::string one_line(const std::string &bytes) {
    std::string joined;
    for (const auto &line : split_lines(bytes))
        if (line.find_first_not_of(" \t") != std::string::npos)
            joined += (joined.empty() ? "" : " / ") + sjis_to_utf8(line);
    return joined.empty() ? "stderr empty" : "stderr: " + joined;
}

std::string ending(const ToolRun &run) {
    return run.signal ? "was killed by signal " + std::to_string(run.signal)
                      : "failed with exit status " + std::to_string(run.status);
}

// A UTF-8 selection goes over as it is, garbled for the tool; one line says
// what would have helped.
void hint_utf8(const std::string &name, const std::string &bytes) {
    if (!is_shift_jis(bytes) && is_utf8(bytes))
        std::fprintf(stderr,
                     "digit-tint-host: %s is not Shift_JIS but looks like UTF-8; add --utf8\n",
                     name.c_str());
}

// The selection as it goes into the scratch directory.
bool selection_bytes(const Options &options, std::string &bytes, std::string &error) {
    std::string file;
    if (!read_file(options.selection, file, error)) {
        error = "cannot read the selection " + error;
        return false;
    }
    if (!options.utf8) {
        hint_utf8(options.selection, file);
        bytes = file;
        return true;
    }
    if (utf8_to_exchange(file, bytes, error)) return true;
    error = options.selection + ": " + error;
    return false;
}

// The file the tool left for the host: the exchange file, or after a trace
// run (which leaves that untouched) the work file.
bool read_back(const fs::path &dir, Exchange &exchange, std::string &bytes, std::string &error) {
    std::error_code ec;
    exchange.out_name = fs::exists(dir / work_name, ec) ? work_name : exchange_name;
    if (read_file(dir / exchange.out_name, bytes, error)) return true;
    error = std::string("the tool handed nothing back (") + error + ")";
    return false;
}

bool write_outputs(const Options &options, const Exchange &exchange, const std::string &returned,
                   std::string &error) {
    if (!options.output.empty() && !write_file(options.output, returned, error)) return false;
    if (!options.svg.empty() &&
        !write_file(options.svg, svg_drawing(exchange.in, exchange.out), error))
        return false;
    return true;
}

int exchange_once(const Options &options) {
    std::string selection, error;
    if (!selection_bytes(options, selection, error)) return fail(error);
    fs::path dir;
    if (!make_scratch(options.keep, dir, error)) return fail(error);
    const bool keep = !options.keep.empty();
    const auto tidy = [&] {
        std::error_code ec;
        if (!keep) fs::remove_all(dir, ec);
    };
    if (!write_file(dir / selection_name, selection, error)) return tidy(), fail(error);

    Exchange exchange;
    exchange.selection = options.selection;
    exchange.tool = options.tool.empty() ? default_tool() : options.tool;
    exchange.switches = options.switches;
    exchange.scratch = dir.string();
    exchange.kept = keep;
    exchange.in = split_lines(selection);
    exchange.timeout = options.timeout;
    if (!run_tool(exchange.tool, options.switches, dir, exchange.run, error, options.timeout))
        return tidy(), fail(error);
    const bool colour = use_colour(options.color);
    if (exchange.run.timed_out) {
        exchange.kept = true;
        std::fputs(report(exchange, options.raw, colour).c_str(), stdout);
        return fail_kept("the tool was still running after " + std::to_string(options.timeout) +
                             " s and was killed",
                         dir);
    }
    if (exchange.run.status != 0 || exchange.run.signal)
        return fail_kept(
            "the tool " + ending(exchange.run) + " (" + one_line(exchange.run.err) + ")", dir);
    std::string returned;
    if (!read_back(dir, exchange, returned, error)) return fail_kept(error, dir);
    exchange.out = split_lines(returned);
    // The report first: a file that cannot be written spoils none of it.
    std::fputs(report(exchange, options.raw, colour).c_str(), stdout);
    std::fflush(stdout);
    const bool written = write_outputs(options, exchange, returned, error);
    tidy();
    return written ? 0 : fail(error);
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    std::string error;
    if (!parse_options(argc, argv, options, error)) {
        std::fprintf(stderr, "digit-tint-host: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (!options.keep.empty() && !keep_usable(options.keep, error)) {
        std::fprintf(stderr, "digit-tint-host: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    return exchange_once(options);
}
