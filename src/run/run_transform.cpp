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

// What writing the result came to: null, or the name of the file that
// failed, as a short read must not pass for a whole result; and whether the
// selection was too long, so that the work file holds the overflow line.
struct Written {
    const char *failed = nullptr;
    bool overflow = false;
};

Written write_end(RunState &run, std::uint32_t line_count) {
    trace::body_written(run, line_count);
    write_closing_block(run);
    return {};
}

Written write_overflow(RunState &run) {
    work_file::write_overflow_line(run.output, line_limit);
    return {nullptr, true};
}

// A normal run reads the records in one pass and learns the count as it
// reads; a selection found too long gets its work file emptied for the
// overflow line.
Written write_in_one_pass(RunState &run) {
    read_records(run, 0, line_limit);
    stream::SpareRecordLine spare = {};
    const bool overflow = !stream::next_record_line(run.input, spare).empty();
    if (stream::read_failed(run.input)) return {exchange_name};
    if (!overflow) return write_end(run, 0);
    if (!stream::restart_out(run.output)) return {exchange::work_name};
    return write_overflow(run);
}

// A trace level counts the records first, as its lines show the count
// before the records; a selection too long is never read.
Written write_counted_first(RunState &run) {
    const auto line_count =
        static_cast<std::uint32_t>(stream::skip_record_lines(run.input, line_limit + 1));
    if (stream::read_failed(run.input)) return {exchange_name};
    trace::exchange_file_counted(run.trace);
    if (line_count > line_limit) return write_overflow(run);
    if (!stream::rewind_in(run.input)) return {exchange_name};
    read_records(run, line_count, line_limit);
    if (stream::read_failed(run.input)) return {exchange_name};
    return write_end(run, line_count);
}

// Everything once the work file exists. A step that fails removes the run's
// own file, so that no partial result is left behind.
ExitStatus build_and_place(RunState &run) {
    const bool hands_back = trace::hands_result_back(run.trace.level);
    Written result = hands_back ? write_in_one_pass(run) : write_counted_first(run);
    // Trace output lost, or cut to fit a line, is stdout not written whole.
    if (!result.failed && (!stream::console::flush_out() || run.trace.cut))
        result.failed = "stdout";
    stream::close_in(run.input);
    if (result.failed) {
        work_file::discard(run.output, run.own_name);
        return cannot_open(result.failed);
    }
    if (const char *name =
            work_file::finish(run.output, run.own_name, hands_back && !result.overflow))
        return cannot_open(name);
    return result.overflow ? ExitStatus::overflow : ExitStatus::done;
}

ExitStatus transform(RunState &run, bool locked) {
    if (const char *name = exchange::take_over_exchange_file(run.input)) return cannot_open(name);
    if (const char *name =
            work_file::create(run.output, run.own_name, run.input.permissions, locked))
        return cannot_open(name);
    return build_and_place(run);
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
