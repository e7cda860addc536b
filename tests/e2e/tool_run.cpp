#include "tool_run.hpp"

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "support/files.hpp"

namespace e2e {

namespace fs = std::filesystem;

namespace {

std::string env_or(const char *name, const char *fallback) {
    const char *v = std::getenv(name);
    return v && *v ? v : fallback;
}

std::vector<std::string> command(const std::vector<std::string> &args) {
    std::vector<std::string> cmd;
    std::istringstream emulator(env_or("DIGIT_TINT_EMULATOR", ""));
    for (std::string word; emulator >> word;) cmd.push_back(word);
    const char *tool = std::getenv("DIGIT_TINT");
    if (!tool) throw std::runtime_error("DIGIT_TINT names no tool");
    cmd.push_back(fs::absolute(tool).string());
    cmd.insert(cmd.end(), args.begin(), args.end());
    return cmd;
}

} // namespace

int reported_status(int status) {
    return status & 0xFF;
}

bool tool_ignores_case() {
    std::string tool = env_or("DIGIT_TINT", "");
    for (char &c : tool) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tool.size() >= 4 && tool.compare(tool.size() - 4, 4, ".exe") == 0;
}

support::Command tool_command(const fs::path &dir, const std::vector<std::string> &args) {
    support::Command c;
    c.argv = command(args);
    c.cwd = dir;
    c.timeout = run_limit;
    return c;
}

support::Exit run_tool_alone(const fs::path &dir, const std::vector<std::string> &args,
                             unsigned as_user, std::chrono::seconds limit) {
    support::Command c = tool_command(dir, args);
    c.timeout = limit;
    if (as_user != 0) c.as_user = as_user;
    support::Exit e = support::run(c);
    if (e.timed_out) throw std::runtime_error("the tool ran longer than the limit");
    return e;
}

Outcome run_tool(const fs::path &dir, const std::vector<std::string> &args, unsigned as_user,
                 std::chrono::seconds limit) {
    support::Exit e = run_tool_alone(dir, args, as_user, limit);
    return Outcome{e.status, std::move(e.out), std::move(e.err), support::read_files(dir)};
}

Outcome run_tool_within(const std::vector<std::string> &wrapper, const fs::path &dir,
                        const std::vector<std::string> &args, unsigned as_user,
                        std::chrono::seconds limit) {
    support::Command c = tool_command(dir, args);
    c.argv.insert(c.argv.begin(), wrapper.begin(), wrapper.end());
    c.timeout = limit;
    if (as_user != 0) c.as_user = as_user;
    support::Exit e = support::run(c);
    if (e.timed_out) throw std::runtime_error("the tool ran longer than the limit");
    return Outcome{e.status, std::move(e.out), std::move(e.err), support::read_files(dir)};
}

// A sanitizer build's leak check cannot run under a tracer and would fail
// the run, so it is off there.
std::vector<std::string> failing_calls(const std::string &inject) {
    return {"env",
            "ASAN_OPTIONS=detect_leaks=0",
            "strace",
            "-f",
            "-qq",
            "-o",
            "/dev/null",
            "-e",
            "inject=" + inject,
            "--"};
}

std::string unreachable_by(unsigned user, const fs::path &dir) {
    support::Command c;
    c.argv = {"/bin/sh",
              "-c",
              "test -x \"$1\" || echo \"$1\"; cd \"$2\" || echo \"$2\"",
              "sh",
              command({}).back(),
              dir.string()};
    c.as_user = user;
    const support::Exit e = support::run(c);
    if (e.status != 0 || !e.out.empty())
        return "user " + std::to_string(user) + " cannot reach " + e.out + e.not_started_why;
    return "";
}

bool can_fail_calls() {
    return !tool_ignores_case() && std::system("strace -qq -o /dev/null true 2>/dev/null") == 0;
}

} // namespace e2e
