#include "host_run.hpp"

#include <csignal>
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>

#include "support/files.hpp"
#include "support/process.hpp"
#include "support/scratch.hpp"

namespace host_test {

namespace fs = std::filesystem;

namespace {

// One scratch directory for the test program, removed at its exit; every
// test's directory and whatever the host makes under TMPDIR lie in it.
const support::ScratchDir &scratch_root() {
    static const support::ScratchDir root("host-test");
    return root;
}

} // namespace

fs::path scratch(const std::string &name) {
    const fs::path dir = scratch_root() / name;
    support::make_removable(dir);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string read(const fs::path &path) {
    try {
        return support::read_file(path);
    } catch (const std::exception &e) {
        ADD_FAILURE() << e.what();
        return "";
    }
}

void write(const fs::path &path, const std::string &bytes) {
    ASSERT_NO_THROW(support::write_file(path, bytes));
}

namespace {

support::Command host_command(const std::vector<std::string> &args, const fs::path &dir,
                              const HostCall &call) {
    support::Command c;
    c.argv = {HOST_BINARY};
    c.argv.insert(c.argv.end(), args.begin(), args.end());
    c.cwd = dir;
    const fs::path tmpdir = call.tmpdir.empty() ? scratch_root().path() : call.tmpdir;
    c.env = {{"TMPDIR", tmpdir.string()}};
    c.input = call.input;
    c.stdout_closed = call.stdout_closed;
    if (call.sigpipe_ignored) c.ignored_signals = {SIGPIPE};
    return c;
}

host::ToolRun as_run(const support::Exit &e) {
    EXPECT_NE(e.status, support::not_started) << e.not_started_why;
    host::ToolRun run;
    run.status = e.status, run.signal = e.signal, run.timed_out = e.timed_out;
    run.out = e.out, run.err = e.err;
    return run;
}

} // namespace

host::ToolRun run_host(const std::vector<std::string> &args, const fs::path &dir,
                       const HostCall &call) {
    return as_run(support::run(host_command(args, dir, call)));
}

std::unique_ptr<support::Process> start_host(const std::vector<std::string> &args,
                                             const fs::path &dir, const HostCall &call) {
    return std::make_unique<support::Process>(host_command(args, dir, call));
}

host::ToolRun ended(support::Process &host) {
    return as_run(host.wait());
}

std::string report_field(const std::string &report, const std::string &label) {
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(label + " ", 0) == 0)
            return line.substr(line.find_first_not_of(' ', label.size()));
    return "(no " + label + ")";
}

} // namespace host_test
