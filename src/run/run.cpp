#include "run/run.hpp"

#include "reader/jw_pattern.hpp"
#include "reader/start_attributes.hpp"
#include "run/exchange.hpp"
#include "run/opt.hpp"
#include "run/tcopy.hpp"
#include "state/state.hpp"
#include "stream/console.hpp"
#include "stream/files.hpp"
#include "stream/format.hpp"
#include "stream/text_in.hpp"
#include "stream/text_out.hpp"

using namespace exchange;

namespace {

void read_switches(int argc, const char *const *argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-' || argv[i][0] == '/') opt(argv[i]);
}

// The exchange file ends up as "JWC_TEMP.TXT"; when the host's name is not
// there, the file is looked for under that name as it stands. A run killed
// inside the take-over left the selection under a step name, newer than any
// "JWC_TEMP.TXT": the steps after the first one finish that take-over.
void take_over_exchange_file() {
    stream::replace_file(host_name, step_name1);
    stream::replace_file(step_name1, step_name2);
    stream::replace_file(step_name2, exchange_name);
}

void write_overflow_line() {
    // "he", two blanks, the count-exceeded notice in Shift_JIS, four blanks
    stream::LineBuf b;
    stream::add(b, "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5B\x83\x6F\x81\x5B    MAX=");
    stream::add_int(b, line_limit);
    stream::add(b, "\n");
    stream::put(fpw, stream::view(b));
}

// The run summary: on stdout at level 3, in the work file at level 1.
void trace_end(std::uint32_t line_count) {
    if (isTest != 3 && isTest != 1) return;
    const bool on_stdout = isTest == 3;
    stream::LineBuf b;
    stream::add(b, "# ------------------ main() Pattern1 end file closing ------------------ \n");
    stream::add(b, on_stdout ? "# jd_xmax= " : "#    jd_xmax= ");
    stream::add_int(b, line_count);
    stream::add(b, " stepcnt= ");
    stream::add_int(b, stepcnt);
    stream::add(b, on_stdout ? " Error(0)\n" : " \n");
    if (on_stdout) {
        console::out(b);
        return;
    }
    stream::end_open_line(fpw);
    stream::put(fpw, stream::view(b));
}

// The complete work file replaces the exchange file in one step, so the host
// finds either its input or the whole output there, never a part.
int hand_back() {
    if (!stream::replace_file(work_name, exchange_name)) {
        report_cannot_open(exchange_name);
        return -1;
    }
    return 0;
}

// Reads the exchange file into the work file; fpw is open on entry and
// closed on return.
int transform(std::uint32_t line_count) {
    fp = stream::open_in(exchange_name);
    if (!fp) {
        report_cannot_open(exchange_name);
        stream::close_out(fpw);
        return 1;
    }
    JW_PATTERN(line_count, line_limit);
    trace_end(line_count);
    IniZokusei();
    const bool read_ok = !stream::read_failed(fp);
    stream::close_in(fp);
    const bool written = stream::close_out(fpw);
    fp = nullptr;
    fpw = nullptr;
    // Neither a short read nor a short write may replace the user's drawing.
    if (!read_ok) {
        report_cannot_open(exchange_name);
        return -1;
    }
    if (!written) {
        report_cannot_open(work_name);
        return -1;
    }
    return 0;
}

} // namespace

int run_transform(int argc, const char *const *argv) {
    reset_state();
    console::init();
    read_switches(argc, argv);
    if (isTest == 2) console::out("\n\n#### debug #### Cmd-Option read\n");
    take_over_exchange_file();
    const auto line_count = Tcopy(exchange_name, work_name);
    if (!line_count) return -1;
    if (isTest == 2) console::out("#  copyed to JWC_TEMP.$$$ \n");
    fpw = stream::open_out(work_name);
    if (!fpw) {
        report_cannot_open(work_name);
        return 1;
    }
    if (*line_count > line_limit) {
        write_overflow_line();
        stream::close_out(fpw);
        fpw = nullptr;
        return 1;
    }
    if (const int status = transform(*line_count); status != 0) return status;
    if (isTest != 0) return 0;
    return hand_back();
}
