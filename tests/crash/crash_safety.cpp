// Kills the tool with SIGKILL at random moments of a run on a large selection
// and checks what every kill left: the exchange file, under whichever of its
// names the kill caught it, holds exactly the whole input or exactly the whole
// output, and one more run in the same directory still gives the right result.
//
// Usage: crash_safety TOOL [TRIALS] [SEED] [LATEST_KILL_US]; prints the outcome
// counts and exits non-zero on the first trial that breaks the promise. Kill
// moments spread over an unkilled run, or over its first LATEST_KILL_US
// microseconds, where the take-over renames the exchange file.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>

#include "run/exchange_names.hpp"
#include "support/files.hpp"
#include "support/process.hpp"
#include "support/scratch.hpp"
#include "support/selection.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using support::read_file;

// Every name the exchange file goes by, in the order the take-over uses them.
constexpr const auto &exchange_names = exchange::take_over_names;

// Ends the program through main, so that the scratch directory goes too.
[[noreturn]] void fail(const std::string &why) {
    throw std::runtime_error(why);
}

// stdout is not wanted. A run to be killed keeps quiet on stderr too: a
// sanitizer runtime caught at its exit by the kill complains there, which is
// no finding.
support::Command tool_command(const fs::path &tool, const fs::path &dir, bool to_be_killed) {
    support::Command c;
    c.argv = {tool.string()};
    c.cwd = dir;
    c.output = to_be_killed ? support::Output::discard : support::Output::capture;
    return c;
}

// Runs the tool to its end in dir, failing unless it ended with status 0.
void finish_run(const fs::path &tool, const fs::path &dir, const std::string &when) {
    const support::Exit e = support::run(tool_command(tool, dir, false));
    if (e.status != 0)
        fail(when + ": the run ended with status " + std::to_string(e.status) + " " +
             e.not_started_why + e.err);
}

// Runs the tool to its end in dir and checks that it handed back `expected`.
void run_to_end(const fs::path &tool, const fs::path &dir, const std::string &expected,
                const std::string &when) {
    finish_run(tool, dir, when);
    for (const auto &entry : fs::directory_iterator(dir))
        if (entry.path().filename() != exchange::exchange_name)
            fail(when + ": " + entry.path().filename().string() + " was left behind");
    if (read_file(dir / exchange::exchange_name) != expected)
        fail(when + ": JWC_TEMP.TXT is not the expected output");
}

void fresh_directory(const fs::path &dir, const std::string &input) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    support::write_file(dir / exchange::host_name, input);
}

// An unkilled run on input in a fresh dir; took is set to the run's own length.
std::string fresh_run(const fs::path &tool, const fs::path &dir, const std::string &input,
                      Clock::duration &took) {
    fresh_directory(dir, input);
    const auto t0 = Clock::now();
    finish_run(tool, dir, "an unkilled run");
    took = Clock::now() - t0;
    return read_file(dir / exchange::exchange_name);
}

struct Expected {
    std::string input, output, output_of_output;
};

// What one kill left, as "input under <name>" or "output under <name>".
std::string inspect(const fs::path &dir, const Expected &e, bool &is_output) {
    std::string found;
    for (const char *name : exchange_names) {
        if (!fs::exists(dir / name)) continue;
        if (!found.empty()) fail("the exchange file exists as " + found + " and as " + name);
        found = name;
    }
    if (found.empty()) fail("the exchange file is gone under every name");
    const std::string bytes = read_file(dir / found);
    if (bytes == e.input) {
        is_output = false;
        return "input under " + found;
    }
    if (bytes == e.output && found == exchange::exchange_name) {
        is_output = true;
        return "output under " + found;
    }
    fail(found + " holds neither the whole input nor the whole output (" +
         std::to_string(bytes.size()) + " bytes)");
}

struct Options {
    fs::path tool;
    int trials = 200;
    unsigned seed = 20261208u;
    long long latest_kill_us = -1; // -1: a fifth beyond an unkilled run
};

// What the kills left, counted by outcome.
struct Tally {
    std::map<std::string, int> outcomes;
    int ended_before_kill = 0;
};

// One kill after delay, then what it left and a run to the end.
void trial(const Options &o, const fs::path &dir, const Expected &e,
           std::chrono::microseconds delay, int t, Tally &tally) {
    fresh_directory(dir, e.input);
    support::Process run(tool_command(o.tool, dir, true));
    std::this_thread::sleep_for(delay);
    run.kill(SIGKILL);
    if (run.wait().signal == 0) ++tally.ended_before_kill;
    bool is_output = false;
    const std::string what = "trial " + std::to_string(t) + ", " + inspect(dir, e, is_output);
    ++tally.outcomes[what.substr(what.find(", ") + 2)];
    run_to_end(o.tool, dir, is_output ? e.output_of_output : e.output, what + ", second run");
}

void check(const Options &o, const fs::path &dir) {
    Expected e;
    e.input = support::selection(120000, o.seed, {.long_lines = true});
    Clock::duration took{}, run_time = Clock::duration::max();
    e.output = fresh_run(o.tool, dir, e.input, took);
    e.output_of_output = fresh_run(o.tool, dir, e.output, took);
    // The quickest of a few runs, as the first one may wait for the disk.
    for (int i = 0; i < 3; ++i) {
        if (fresh_run(o.tool, dir, e.input, took) != e.output) fail("two unkilled runs differ");
        run_time = std::min(run_time, took);
    }
    std::printf("selection: %zu bytes in, %zu bytes out; an unkilled run takes %lld ms\n",
                e.input.size(), e.output.size(),
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(run_time).count()));

    // Kill moments spread over the length of an unkilled run and a fifth beyond,
    // so that some kills find the result handed back.
    std::mt19937 rng(o.seed);
    const long long latest =
        o.latest_kill_us >= 0
            ? o.latest_kill_us
            : std::chrono::duration_cast<std::chrono::microseconds>(run_time).count() * 6 / 5;
    std::uniform_int_distribution<long long> delay_us(0, latest);
    Tally tally;
    for (int t = 0; t < o.trials; ++t)
        trial(o, dir, e, std::chrono::microseconds(delay_us(rng)), t, tally);
    std::printf("%d trials, %d of them ended before the kill came:\n", o.trials,
                tally.ended_before_kill);
    for (const auto &[what, count] : tally.outcomes)
        std::printf("  %5d  %s\n", count, what.c_str());
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: crash_safety TOOL [TRIALS] [SEED] [LATEST_KILL_US]\n");
        return 2;
    }
    Options o;
    o.tool = fs::absolute(argv[1]);
    if (argc > 2) o.trials = std::atoi(argv[2]);
    if (argc > 3) o.seed = static_cast<unsigned>(std::atoi(argv[3]));
    if (argc > 4) o.latest_kill_us = std::atoll(argv[4]);
    try {
        const support::ScratchDir scratch("crash");
        check(o, scratch / "run");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "crash_safety: %s\n", e.what());
        return 1;
    }
    return 0;
}
