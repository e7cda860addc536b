#include "run/run_transform.hpp"

#include <cstdint>

#include "reader/closing_block.hpp"
#include "reader/read_records.hpp"
#include "run/exchange_files.hpp"
#include "run/run_lock.hpp"
#include "run/switches.hpp"
#include "run/work_file.hpp"
#include "state/run_state.hpp"
#include "stream/console.hpp"
#include "trace/trace.hpp"

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

// The records are read in one pass. Only a trace level counts them first,
// as its lines show the count before the records; a normal run learns the
// count as it reads, and a selection found too long gets its work file
// emptied for the overflow line. Null, or the name of the file that failed;
// a short read must not pass for a whole result.
const char *write_result(RunState &run, bool &overflow) {
    std::uint32_t line_count = 0; // shown in trace lines only
    const bool count_first = !trace::hands_result_back(run.trace.level);
    if (count_first) {
        line_count = static_cast<std::uint32_t>(stream::skip_reads(run.input, line_limit + 1));
        if (stream::read_failed(run.input)) return exchange_name;
        trace::exchange_file_counted(run.trace);
        overflow = line_count > line_limit;
        if (!overflow && !stream::rewind_in(run.input)) return exchange_name;
    }
    if (!overflow) {
        read_records(run, line_count, line_limit);
        stream::SpareRead spare = {};
        overflow = !count_first && !stream::next_read(run.input, spare).empty();
    }
    if (stream::read_failed(run.input)) return exchange_name;
    if (overflow) {
        if (!count_first && !stream::restart_out(run.output)) return exchange::work_name;
        work_file::write_overflow_line(run.output, line_limit);
        return nullptr;
    }
    trace::body_written(run, line_count);
    write_closing_block(run);
    return nullptr;
}

// Everything once the work file exists. A step that fails removes the run's
// own file, so that no partial result is left behind.
ExitStatus build_and_place(RunState &run, const work_file::OwnName &own) {
    bool overflow = false;
    const char *failed = write_result(run, overflow);
    if (!failed && !stream::console::flush_out()) failed = "stdout"; // trace output lost
    stream::close_in(run.input);
    if (failed) {
        work_file::discard(run.output, own);
        return cannot_open(failed);
    }
    const bool hand_back = !overflow && trace::hands_result_back(run.trace.level);
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
    stream::console::init();
    RunLock lock;
    if (!take_run_lock(lock)) {
        report_busy_directory();
        return static_cast<int>(ExitStatus::failed);
    }
    RunState run;
    read_switches(run, argc, argv);
    return static_cast<int>(transform(run, lock.held()));
}
