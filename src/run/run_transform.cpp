#include "run/run_transform.hpp"

#include <cstdint>
#include <optional>

#include "reader/closing_block.hpp"
#include "reader/read_records.hpp"
#include "run/exchange_files.hpp"
#include "run/line_count.hpp"
#include "run/run_lock.hpp"
#include "run/switches.hpp"
#include "run/work_file.hpp"
#include "state/run_state.hpp"
#include "state/trace_levels.hpp"
#include "stream/console.hpp"
#include "stream/format.hpp"

using exchange::exchange_name;
using exchange::line_limit;
using exchange::report_cannot_open;

namespace {

// Opens the exchange file and creates the work file, then counts the
// exchange file's lines; empty, with the message, when that fails.
std::optional<std::uint32_t> open_and_count(RunState &run) {
    if (!stream::open_in(run.input, exchange_name)) {
        report_cannot_open(exchange_name);
        return std::nullopt;
    }
    if (!work_file::create(run.output, run.input)) return std::nullopt;
    const std::uint32_t count = count_lines(run.input, line_limit);
    // A file that stops reading part way must not pass for a short one.
    if (stream::read_failed(run.input)) {
        report_cannot_open(exchange_name);
        return std::nullopt;
    }
    return count;
}

constexpr const char *summary_head =
    "# ------------------ main() Pattern1 end file closing ------------------ \n";

// The run summary: on stdout at one level, in the work file at another.
void write_run_summary(RunState &run, std::uint32_t line_count) {
    const int level = run.switches.trace_level;
    const int marker = run.phase.marker;
    if (trace::prints_run_summary(level))
        console::out(stream::line_of(summary_head, "# jd_xmax= ", line_count, " stepcnt= ", marker,
                                     " Error(0)\n"));
    if (!trace::writes_run_summary(level)) return;
    stream::end_open_line(run.output);
    const auto b =
        stream::line_of(summary_head, "#    jd_xmax= ", line_count, " stepcnt= ", marker, " \n");
    stream::put(run.output, stream::view(b));
}

// Neither a short read nor a short write may replace the user's drawing.
int close_streams(RunState &run) {
    const bool read_ok = !stream::read_failed(run.input);
    stream::close_in(run.input);
    const bool written = work_file::close(run.output);
    if (!read_ok) {
        report_cannot_open(exchange_name);
        return -1;
    }
    if (!written) {
        report_cannot_open(exchange::work_name);
        return -1;
    }
    return 0;
}

} // namespace

int run_transform(int argc, const char *const *argv) {
    console::init();
    RunLock lock;
    if (!take_run_lock(lock)) {
        report_busy_directory();
        return -1;
    }
    RunState run;
    read_switches(run.switches, argc, argv);
    const int level = run.switches.trace_level;
    if (trace::shows_recolouring(level)) console::out("\n\n#### debug #### Cmd-Option read\n");
    if (!exchange::take_over_exchange_file()) return -1;
    const auto line_count = open_and_count(run);
    if (!line_count) return -1;
    if (trace::shows_recolouring(level)) console::out("#  copyed to JWC_TEMP.$$$ \n");
    if (*line_count > line_limit) {
        work_file::write_overflow_line(run.output, line_limit);
        work_file::close(run.output);
        return 1;
    }
    if (!stream::rewind_in(run.input)) {
        report_cannot_open(exchange_name);
        return 1;
    }
    read_records(run, *line_count, line_limit);
    write_run_summary(run, *line_count);
    write_closing_block(run);
    if (const int status = close_streams(run); status != 0) return status;
    return trace::hands_result_back(level) ? work_file::hand_back() : 0;
}
