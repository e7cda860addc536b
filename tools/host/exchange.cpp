#include "exchange.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "process/process.hpp"
#include "stop.hpp"

namespace host {

namespace fs = std::filesystem;

bool write_file(const fs::path &path, const std::string &bytes, std::string &error) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (f) f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (f) f.close();
    if (!f) {
        error = "cannot write " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool write_stdout(const std::string &bytes, std::string &error) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
        std::fflush(stdout) == 0)
        return true;
    error = std::string("cannot write standard output: ") + std::strerror(errno);
    return false;
}

namespace {

bool copy_stream(std::FILE *in, std::FILE *out) {
    char chunk[65536];
    for (std::size_t n; !stop_signal() && (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
        if (std::fwrite(chunk, 1, n, out) != n) return false;
    return !std::ferror(in) && std::fflush(out) == 0;
}

} // namespace

bool copy_file_to(const fs::path &from, const std::string &to, std::string &error) {
    std::FILE *in = std::fopen(from.c_str(), "rb");
    if (!in) {
        error = "cannot read " + from.string() + ": " + std::strerror(errno);
        return false;
    }
    std::FILE *out = to == "-" ? stdout : std::fopen(to.c_str(), "wb");
    bool copied = out && copy_stream(in, out);
    int why = errno;
    std::fclose(in);
    if (out && out != stdout && std::fclose(out) != 0 && copied) copied = false, why = errno;
    if (!copied)
        error = "cannot write " + (to == "-" ? std::string("standard output") : to) + ": " +
                std::strerror(why);
    return copied;
}

bool keep_usable(const std::string &keep, std::string &error) {
    std::error_code ec;
    const fs::file_status status = fs::status(keep, ec);
    if (!fs::exists(status)) return true;
    if (!fs::is_directory(status))
        error = "--keep " + keep + ": not a directory";
    else if (!fs::is_empty(keep, ec))
        error = "--keep " + keep + ": the directory is not empty";
    return error.empty();
}

bool make_scratch(const std::string &keep, fs::path &dir, std::string &error) {
    std::error_code ec;
    if (!keep.empty()) {
        if (!keep_usable(keep, error)) return false;
        dir = fs::absolute(keep, ec);
        fs::create_directories(dir, ec);
        if (ec || !fs::is_directory(dir)) {
            error = "cannot make the directory " + keep + ": " + ec.message();
            return false;
        }
        return true;
    }
    std::string pattern = (fs::temp_directory_path(ec) / "digit-tint-host.XXXXXX").string();
    if (ec || !mkdtemp(pattern.data())) {
        error = "cannot make a scratch directory " + pattern + ": " + std::strerror(errno);
        return false;
    }
    dir = pattern;
    return true;
}

std::string default_tool() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? "digit-tint" : (self.parent_path() / "digit-tint").string();
}

namespace {

using std::chrono::milliseconds;

// Asks the tool to end, as a host does when its user cancels, and kills it
// where it is still running a second later.
void stop_tool(const process::Process &tool) {
    tool.kill(SIGTERM);
    if (!tool.ended_within(milliseconds(1000))) tool.kill(SIGKILL);
}

enum class Waited { ended, timed_out, stopped };

// Waits for the tool's end, looking every 50 ms for a stop signal. Past
// timeout seconds (when above 0) it is killed; after a stop signal, or once
// the reader of standard output has gone (nothing of the run could reach
// it), it is stopped.
Waited wait_for(const process::Process &tool, double timeout) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    while (!tool.ended_within(milliseconds(50))) {
        if (stop_signal() || output_closed()) {
            stop_tool(tool);
            return Waited::stopped;
        }
        if (timeout > 0 && std::chrono::steady_clock::now() >= deadline) {
            tool.kill(SIGKILL); // cannot be caught: the wait after it is short
            return Waited::timed_out;
        }
    }
    return Waited::ended;
}

} // namespace

bool run_tool(const std::string &tool, const std::vector<std::string> &switches,
              const fs::path &dir, ToolRun &run, std::string &error, double timeout) {
    process::Command command;
    // A path with a slash names a file from here; a bare name is looked up on PATH.
    command.argv = {tool.find('/') == std::string::npos ? tool : fs::absolute(tool).string()};
    command.argv.insert(command.argv.end(), switches.begin(), switches.end());
    command.cwd = dir;
    process::Process started(command);
    const Waited waited = wait_for(started, timeout);
    const process::Exit exit = started.wait();
    if (exit.status == process::not_started) {
        error = "cannot start the tool " + tool + ": " + std::strerror(exit.not_started_error);
        return false;
    }
    run.timed_out = waited == Waited::timed_out;
    run.stopped = waited == Waited::stopped;
    run.signal = exit.signal;
    run.status = exit.status;
    run.out = exit.out;
    run.err = exit.err;
    return true;
}

} // namespace host
