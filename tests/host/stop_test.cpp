// A run that ends early: interrupted, terminated, hung up, or its output
// closed by the reader. The host must leave no tool running and no scratch
// directory behind (unless --keep named it), and end as the signal ends a
// program: with 128 + the signal, or 1 after a write it saw fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include "host_run.hpp"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A tool that tells its process id, then runs until it is ended; with
// SIGTERM ignored where asked, so that only SIGKILL ends it.
std::string tool_script(const fs::path &pid_file, bool ignores_term) {
    return std::string("#!/bin/sh\n") + (ignores_term ? "trap '' TERM\n" : "") + "echo $$ >'" +
           pid_file.string() + ".new'\nmv '" + pid_file.string() + ".new' '" + pid_file.string() +
           "'\n" + (ignores_term ? "while :; do sleep 1; done\n" : "exec sleep 30\n");
}

// The tool's process id once it has written it; 0 where it has not within `wait`.
pid_t tool_pid(const fs::path &pid_file, std::chrono::milliseconds wait) {
    for (auto waited = 0ms; waited < wait && !fs::exists(pid_file); waited += 10ms)
        std::this_thread::sleep_for(10ms);
    return fs::exists(pid_file) ? std::stoi(host_test::read(pid_file)) : 0;
}

bool running(pid_t pid) {
    return pid > 0 && (kill(pid, 0) == 0 || errno != ESRCH);
}

struct StopCase {
    const char *title;
    int signal = 0;                // sent to the host while its tool runs
    bool tool_hangs = signal != 0; // the tool runs until it is ended; else the real tool
    std::vector<std::string> options{};
    bool ignores_term = false;    // the tool outlives SIGTERM
    bool stdout_closed = false;   // the report's reader went away before it was written
    bool sigpipe_ignored = false; // as a caller that ignores SIGPIPE passes it on
    int status = 128 + signal;
    const char *message = ""; // the host's own line on stderr, where it writes one
};

// gtest names a case by its title.
void PrintTo(const StopCase &c, std::ostream *os) {
    *os << c.title;
}

class Stops : public testing::TestWithParam<StopCase> {};

TEST_P(Stops, NoToolRunningAndNoScratchLeft) {
    const StopCase &c = GetParam();
    const fs::path dir = host_test::scratch(std::string("stop_") + c.title);
    const fs::path tmpdir = dir / "tmp", pid_file = dir / "tool.pid";
    fs::create_directory(tmpdir);
    host_test::write(dir / "sel.txt", "ch 1 2 3 0 \"A1\r\n");
    host_test::write(dir / "tool.sh", tool_script(pid_file, c.ignores_term));
    fs::permissions(dir / "tool.sh", fs::perms::owner_all);
    std::vector<std::string> args = c.options;
    if (c.tool_hangs) args.insert(args.end(), {"--tool", "./tool.sh"});
    args.push_back("sel.txt");

    const auto host = host_test::start_host(
        args, dir, {std::nullopt, c.stdout_closed, c.sigpipe_ignored, tmpdir});
    pid_t tool = 0;
    if (c.signal) {
        tool = tool_pid(pid_file, 10s);
        ASSERT_NE(tool, 0) << "the tool never started";
        host->kill(c.signal);
    }
    const host::ToolRun run = host_test::ended(*host);
    // One stopped before it could tell its id died unseen, or it tells it now.
    if (c.tool_hangs && !tool) tool = tool_pid(pid_file, 500ms);
    const bool tool_left = running(tool);
    if (tool_left) kill(tool, SIGKILL);
    EXPECT_FALSE(tool_left) << "the tool " << tool << " is still running";
    EXPECT_EQ(run.status, c.status) << run.err;
    const std::size_t own = run.err.find("digit-tint-host: ");
    EXPECT_EQ(own == std::string::npos ? "" : run.err.substr(own), c.message);
    const bool kept = std::find(args.begin(), args.end(), "--keep") != args.end();
    EXPECT_TRUE(fs::is_empty(tmpdir)) << "a scratch directory is left in " << tmpdir;
    EXPECT_EQ(fs::exists(dir / "kept" / "jwc_temp.txt"), kept);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, Stops,
    testing::Values(
        StopCase{.title = "interrupted", .signal = SIGINT},
        StopCase{.title = "terminated", .signal = SIGTERM},
        StopCase{.title = "hung_up", .signal = SIGHUP},
        StopCase{.title = "interrupted_keeping", .signal = SIGINT, .options = {"--keep", "kept"}},
        // killed a second after SIGTERM did not end it
        StopCase{.title = "tool_ignores_term", .signal = SIGINT, .ignores_term = true},
        StopCase{.title = "closed_pipe", .stdout_closed = true, .status = 128 + SIGPIPE},
        StopCase{.title = "closed_pipe_summary",
                 .options = {"--summary"},
                 .stdout_closed = true,
                 .status = 128 + SIGPIPE},
        // the report goes to stderr, the returned file to the closed pipe
        StopCase{.title = "closed_pipe_output",
                 .options = {"-o", "-"},
                 .stdout_closed = true,
                 .status = 128 + SIGPIPE},
        // nothing of the run can reach a reader that has gone: the tool is stopped
        StopCase{.title = "closed_pipe_while_tool_runs",
                 .tool_hangs = true,
                 .stdout_closed = true,
                 .status = 128 + SIGPIPE},
        StopCase{.title = "closed_pipe_while_tool_runs_unsignalled",
                 .tool_hangs = true,
                 .stdout_closed = true,
                 .sigpipe_ignored = true,
                 .status = 1,
                 .message = "digit-tint-host: cannot write the report: Broken pipe\n"},
        StopCase{.title = "closed_pipe_output_unsignalled",
                 .options = {"-o", "-"},
                 .stdout_closed = true,
                 .sigpipe_ignored = true,
                 .status = 1,
                 .message = "digit-tint-host: cannot write standard output: Broken pipe\n"},
        StopCase{.title = "closed_pipe_drawing_unsignalled",
                 .options = {"--summary", "--svg", "-"},
                 .stdout_closed = true,
                 .sigpipe_ignored = true,
                 .status = 1,
                 .message = "digit-tint-host: cannot write standard output: Broken pipe\n"},
        StopCase{.title = "closed_pipe_unsignalled",
                 .stdout_closed = true,
                 .sigpipe_ignored = true,
                 .status = 1,
                 .message = "digit-tint-host: cannot write the report: Broken pipe\n"}),
    host_test::by_title<StopCase>);

} // namespace
