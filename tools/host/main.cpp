// digit-tint-host: plays the host's part in one exchange with digit-tint and
// shows what came back.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "exchange.hpp"
#include "handover.hpp"
#include "line_file.hpp"
#include "options.hpp"
#include "records.hpp"
#include "report.hpp"
#include "sjis.hpp"
#include "stop.hpp"
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

bool use_colour(ColorWhen when, std::FILE *to) {
    if (when != ColorWhen::auto_) return when == ColorWhen::always;
    const char *no_color = std::getenv("NO_COLOR"), *term = std::getenv("TERM");
    return isatty(fileno(to)) && !(no_color && *no_color) && !(term && !std::strcmp(term, "dumb"));
}

// The tool's stderr on one line.
std::string one_line(const std::string &bytes) {
    std::string joined;
    for (const auto &line : split_lines(bytes))
        if (line.find_first_not_of(" \t") != std::string::npos)
            joined += (joined.empty() ? "" : " / ") + sjis_to_utf8(line);
    return joined.empty() ? "stderr empty" : "stderr: " + joined;
}

// What the tool's own statuses mean; -1 reads as 255 here. Status 1 means the
// line limit only where the selection handed over passed it: another program
// run as the tool may end with 1 for its own reasons.
std::string meaning(int status, std::size_t lines_handed) {
    if (status == 1 && lines_handed > line_limit)
        return ": more than " + std::to_string(line_limit) + " lines, nothing changed";
    if (status == 255) return " (-1): nothing handed back, for the reason in its message";
    return "";
}

std::string ending(const ToolRun &run, std::size_t lines_handed) {
    return run.signal ? "was killed by signal " + std::to_string(run.signal)
                      : "failed with exit status " + std::to_string(run.status) +
                            meaning(run.status, lines_handed);
}

// A UTF-8 selection goes over as it is, garbled for the tool; one line says
// what would have helped.
void hint_utf8(const Options &options, const Handover &handover) {
    if (!options.utf8 && !handover.shift_jis && handover.utf8)
        std::fprintf(stderr,
                     "digit-tint-host: %s is not Shift_JIS but looks like UTF-8; add --utf8\n",
                     selection_label(options.selection).c_str());
}

// The file the tool left for the host: the exchange file, or after a trace
// run (which leaves that untouched) the work file. Counted in one pass, its
// texts kept where a drawing wants them; the report lists it in another.
bool read_back(const fs::path &dir, Exchange &exchange, std::vector<std::string> *texts,
               std::string &error) {
    std::error_code ec;
    exchange.out_name = fs::exists(dir / work_name, ec) ? work_name : exchange_name;
    exchange.out_path = dir / exchange.out_name;
    LineFile back(exchange.out_path.string());
    if (!back.opened(error)) {
        error = "the tool handed nothing back (" + error + ")";
        return false;
    }
    std::string_view line;
    while (!stop_signal() && back.next(line)) {
        const std::string_view bare = without_end(line);
        exchange.out.add(bare, true);
        if (texts && kind_of(bare) == Kind::text) texts->emplace_back(bare);
    }
    if (back.error() == 0) return true;
    error = "cannot read " + exchange.out_path.string() + " back: " + std::strerror(back.error());
    return false;
}

bool write_outputs(const Options &options, const Exchange &exchange,
                   const std::vector<std::string> &geometry, const std::vector<std::string> &texts,
                   std::string &error) {
    if (!options.output.empty() && !copy_file_to(exchange.out_path, options.output, error))
        return false;
    if (options.svg.empty()) return true;
    std::size_t left_out = 0;
    const std::string drawing = svg_drawing(geometry, texts, options.svg_width, &left_out);
    if (left_out > 0)
        std::fprintf(stderr, "digit-tint-host: %s: shapes too large to draw, left out: %zu\n",
                     options.svg == "-" ? "the drawing" : options.svg.c_str(), left_out);
    return options.svg == "-" ? write_stdout(drawing, error)
                              : write_file(options.svg, drawing, error);
}

// The scratch directory of a run, removed at its end unless --keep named it.
struct Scratch {
    fs::path dir;
    bool keep = false;

    void tidy() const {
        std::error_code ec;
        if (!keep) fs::remove_all(dir, ec);
    }
    // Where a stop signal came: tidy up, then end as the signal would have.
    void end_if_stopped() const {
        if (!stop_signal()) return;
        tidy();
        end_by(stop_signal());
    }
};

// The report goes to standard output, or to standard error where the
// returned file or the drawing takes standard output.
std::FILE *report_stream(const Options &options) {
    return options.output == "-" || options.svg == "-" ? stderr : stdout;
}

// The reader of standard output went away while the tool ran, which
// stopped the tool: the end and the message of a write that meets it.
int output_gone(const Options &options, const Scratch &scratch) {
    scratch.tidy();
    if (!ignored(SIGPIPE)) end_by(SIGPIPE);
    const char *what = report_stream(options) == stderr ? "standard output" : "the report";
    return fail(std::string("cannot write ") + what + ": " + std::strerror(EPIPE));
}

Exchange exchange_of(const Options &options, const Scratch &scratch, const Handover &handover) {
    Exchange exchange;
    exchange.selection = options.selection;
    exchange.tool = options.tool.empty() ? default_tool() : options.tool;
    exchange.switches = options.switches;
    exchange.scratch = scratch.dir.string();
    exchange.kept = scratch.keep;
    exchange.in = handover.tally;
    exchange.timeout = options.timeout;
    return exchange;
}

// After the tool ran: the report, then the files asked for.
int show(const Options &options, const Scratch &scratch, Exchange &exchange,
         const Handover &handover) {
    std::string error;
    std::FILE *to = report_stream(options);
    const ReportStyle style{options.raw, use_colour(options.color, to), options.summary};
    if (exchange.run.timed_out) {
        exchange.kept = true;
        write_report(to, exchange, style, error);
        scratch.end_if_stopped();
        return fail_kept("the tool was still running after " + std::to_string(options.timeout) +
                             " s and was killed",
                         scratch.dir);
    }
    if (exchange.run.status != 0 || exchange.run.signal)
        return fail_kept("the tool " + ending(exchange.run, exchange.in.lines) + " (" +
                             one_line(exchange.run.err) + ")",
                         scratch.dir);
    std::vector<std::string> texts;
    if (!read_back(scratch.dir, exchange, options.svg.empty() ? nullptr : &texts, error))
        return fail_kept(error, scratch.dir);
    // The report first: a file that cannot be written spoils none of it.
    bool done = write_report(to, exchange, style, error);
    scratch.end_if_stopped();
    done = done && write_outputs(options, exchange, handover.geometry, texts, error);
    scratch.end_if_stopped();
    scratch.tidy();
    return done ? 0 : fail(error);
}

int exchange_once(const Options &options) {
    std::string error;
    LineFile selection(options.selection);
    if (!selection.opened(error))
        return fail("cannot read the selection " + error +
                    (options.selection == options.color_word_apart ? color_hint(options) : ""));
    Scratch scratch;
    scratch.keep = !options.keep.empty();
    if (!make_scratch(options.keep, scratch.dir, error)) return fail(error);
    Handover handover;
    const bool handed = hand_over(selection, options.selection, options.utf8, !options.svg.empty(),
                                  scratch.dir / selection_name, handover, error);
    scratch.end_if_stopped();
    if (!handed) return scratch.tidy(), fail(error);
    hint_utf8(options, handover);

    Exchange exchange = exchange_of(options, scratch, handover);
    const bool started = run_tool(exchange.tool, options.switches, scratch.dir, exchange.run, error,
                                  options.timeout);
    scratch.end_if_stopped();
    if (!started) return scratch.tidy(), fail(error);
    if (exchange.run.stopped) return output_gone(options, scratch);
    return show(options, scratch, exchange, handover);
}

// Whether an output names the selection itself (by any path or link), which
// writing it would overwrite, as cp refuses to copy a file onto itself.
bool same_file(const std::string &to, const std::string &selection) {
    std::error_code ec;
    return !to.empty() && to != "-" && selection != "-" && fs::equivalent(to, selection, ec);
}

int print(const std::string &text) {
    std::fputs(text.c_str(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : fail(std::strerror(errno));
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    std::string error;
    if (!parse_options(argc, argv, options, error)) {
        std::fprintf(stderr, "digit-tint-host: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options.help) return print(usage_text());
    if (options.version) return print(version_text());
    if (!options.keep.empty() && !keep_usable(options.keep, error)) {
        std::fprintf(stderr, "digit-tint-host: %s\n", error.c_str());
        return 2;
    }
    for (const std::string *to : {&options.output, &options.svg})
        if (same_file(*to, options.selection)) {
            std::fprintf(stderr, "digit-tint-host: '%s' and '%s' are the same file\n", to->c_str(),
                         options.selection.c_str());
            return 2;
        }
    // The report can be long; on standard error it is written in blocks too.
    if (report_stream(options) == stderr) std::setvbuf(stderr, nullptr, _IOFBF, 1 << 16);
    catch_stop_signals();
    return exchange_once(options);
}
