#include "run/run_transform.hpp"

#include <cstdint>

#include "os/os.hpp"
#include "reader/closing_block.hpp"
#include "reader/read_records.hpp"
#include "run/exchange_files.hpp"
#include "run/messages.hpp"
#include "run/switches.hpp"
#include "run/work_file.hpp"
#include "state/run_state.hpp"
#include "stream/console.hpp"
#include "trace/trace.hpp"

using exchange::exchange_name;
using exchange::line_limit;
using messages::cannot_open;
using messages::ExitStatus;

namespace {

// The records are read in one pass. Only a trace level counts them first,
// as its lines show the count before the records; a normal run learns the
// count as it reads, and a selection found too long gets its work file
// emptied for the overflow line. Null, or the name of the file that failed;
// a short read must not pass for a whole result.
const char *write_result(RunState &run, bool &overflow) {
    std::uint32_t line_count = 0; // shown in trace lines only
    const bool count_first = !trace::hands_result_back(run.trace.level);
    if (count_first) {
        line_count =
            static_cast<std::uint32_t>(stream::skip_record_lines(run.input, line_limit + 1));
        if (stream::read_failed(run.input)) return exchange_name;
        trace::exchange_file_counted(run.trace);
        overflow = line_count > line_limit;
        if (!overflow && !stream::rewind_in(run.input)) return exchange_name;
    }
    if (!overflow) {
        read_records(run, line_count, line_limit);
        stream::SpareRecordLine spare = {};
        overflow = !count_first && !stream::next_record_line(run.input, spare).empty();
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
    // Trace output lost, or cut to fit a line, is stdout not written whole.
    if (!failed && (!stream::console::flush_out() || run.trace.cut)) failed = "stdout";
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
    if (const char *name = exchange::take_over_exchange_file(run.input)) return cannot_open(name);
    work_file::OwnName own;
    if (const char *name = work_file::create(run.output, own, run.input.permissions, locked))
        return cannot_open(name);
    return build_and_place(run, own);
}

} // namespace

int run_transform(int argc, const char *const *argv) {
    stream::console::init();
    os::RunLock lock;
    if (!os::take_run_lock(lock)) return messages::exit_code(messages::busy_directory());
    RunState run;
    read_switches(run, argc, argv);
    return messages::exit_code(transform(run, lock.held()));
}
