#include "run/run_transform.hpp"

#include <cstdint>

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

namespace {

// The three ways a run ends, as the host sees them.
enum class ExitStatus : int {
    done = 0,     // the result handed back, or left in the work file at a trace level
    overflow = 1, // more lines than line_limit: the work file holds the overflow line
    failed = -1,  // nothing handed back; stderr says why
};

ExitStatus cannot_open(const char *name) {
    exchange::report_cannot_open(name);
    return ExitStatus::failed;
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

// The body and the closing block; null, or the name of the file that failed.
// A short read must not pass for a whole result.
const char *write_result(RunState &run, std::uint32_t line_count) {
    if (!stream::rewind_in(run.input)) return exchange_name;
    read_records(run, line_count, line_limit);
    write_run_summary(run, line_count);
    write_closing_block(run);
    return stream::read_failed(run.input) ? exchange_name : nullptr;
}

// Everything once the work file exists. A step that fails removes the run's
// own file, so that no partial result is left behind.
ExitStatus build_and_place(RunState &run, const work_file::OwnName &own) {
    const std::uint32_t line_count = count_lines(run.input, line_limit);
    // A file that stops reading part way must not pass for a short one.
    const char *failed = stream::read_failed(run.input) ? exchange_name : nullptr;
    if (!failed && trace::shows_recolouring(run.switches.trace_level))
        console::out("#  copyed to JWC_TEMP.$$$ \n");
    const bool overflow = line_count > line_limit;
    if (!failed && overflow) work_file::write_overflow_line(run.output, line_limit);
    if (!failed && !overflow) failed = write_result(run, line_count);
    if (!failed && !console::flush_out()) failed = "stdout"; // trace output lost
    stream::close_in(run.input);
    if (failed) {
        work_file::discard(run.output, own);
        return cannot_open(failed);
    }
    const bool hand_back = !overflow && trace::hands_result_back(run.switches.trace_level);
    if (const char *name = work_file::finish(run.output, own, hand_back)) return cannot_open(name);
    return overflow ? ExitStatus::overflow : ExitStatus::done;
}

ExitStatus transform(RunState &run, bool locked) {
    if (const char *name = exchange::take_over_exchange_file()) return cannot_open(name);
    if (!stream::open_in(run.input, exchange_name)) return cannot_open(exchange_name);
    work_file::OwnName own;
    if (const char *name = work_file::create(run.output, own, run.input, locked))
        return cannot_open(name);
    return build_and_place(run, own);
}

} // namespace

int run_transform(int argc, const char *const *argv) {
    console::init();
    RunLock lock;
    if (!take_run_lock(lock)) {
        report_busy_directory();
        return static_cast<int>(ExitStatus::failed);
    }
    RunState run;
    read_switches(run.switches, argc, argv);
    if (trace::shows_recolouring(run.switches.trace_level))
        console::out("\n\n#### debug #### Cmd-Option read\n");
    return static_cast<int>(transform(run, lock.held()));
}
