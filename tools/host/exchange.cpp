#include "exchange.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <initializer_list>
#include <sys/wait.h>
#include <unistd.h>

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

// Reads an unlinked temporary file back from its start.
std::string drain(std::FILE *file) {
    std::string bytes;
    std::rewind(file);
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
    return bytes;
}

// The child's side: standard streams, working directory, exec. An errno that
// stops it goes back through report_fd, which exec closes on success.
[[noreturn]] void exec_tool(std::vector<char *> &argv, const fs::path &dir, int out, int err,
                            int report_fd) {
    int in = open("/dev/null", O_RDONLY);
    if (in >= 0 && dup2(in, 0) >= 0 && dup2(out, 1) >= 0 && dup2(err, 2) >= 0 &&
        chdir(dir.c_str()) == 0)
        execvp(argv[0], argv.data());
    int e = errno;
    ssize_t ignored = write(report_fd, &e, sizeof e);
    (void)ignored;
    _exit(127);
}

// Asks the tool to end, as a host does when its user cancels, and kills it
// where it is still running a second later.
void stop_tool(pid_t pid, int &wstatus) {
    kill(pid, SIGTERM);
    for (int tries = 0; tries < 100; ++tries) {
        if (waitpid(pid, &wstatus, WNOHANG) == pid) return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
}

enum class Waited { ended, timed_out, stopped };

// Waits for pid, polling with growing naps so that a quick tool costs about a
// millisecond and a stop signal is seen within 50 ms. Past timeout seconds
// (when above 0) it is killed; after a stop signal, or once the reader of
// standard output has gone (nothing of the run could reach it), it is stopped.
Waited wait_for(pid_t pid, int &wstatus, double timeout) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    for (useconds_t nap = 500;; nap = std::min<useconds_t>(nap * 2, 50000)) {
        const pid_t done = waitpid(pid, &wstatus, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) return Waited::ended;
        if (stop_signal() || output_closed()) {
            stop_tool(pid, wstatus);
            return Waited::stopped;
        }
        if (timeout > 0 && std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL); // cannot be caught: the wait below is short
            while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
            }
            return Waited::timed_out;
        }
        if (done == 0) usleep(nap);
    }
}

} // namespace

bool run_tool(const std::string &tool, const std::vector<std::string> &switches,
              const fs::path &dir, ToolRun &run, std::string &error, double timeout) {
    // A path with a slash names a file from here; a bare name is looked up on PATH.
    std::string program = tool.find('/') == std::string::npos ? tool : fs::absolute(tool).string();
    std::vector<std::string> words{program};
    words.insert(words.end(), switches.begin(), switches.end());
    std::vector<char *> argv;
    for (auto &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    std::FILE *out = std::tmpfile(), *err = std::tmpfile();
    int report[2];
    if (!out || !err || pipe2(report, O_CLOEXEC) != 0) {
        error = std::string("cannot start ") + tool + ": " + std::strerror(errno);
        for (std::FILE *file : {out, err})
            if (file) std::fclose(file);
        return false;
    }
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) exec_tool(argv, dir, fileno(out), fileno(err), report[1]);
    close(report[1]);
    int child_errno = 0;
    bool exec_failed = pid > 0 && read(report[0], &child_errno, sizeof child_errno) > 0;
    close(report[0]);
    int wstatus = 0;
    const Waited waited = pid > 0 ? wait_for(pid, wstatus, timeout) : Waited::ended;
    run.timed_out = waited == Waited::timed_out;
    run.stopped = waited == Waited::stopped;
    run.out = drain(out);
    run.err = drain(err);
    std::fclose(out);
    std::fclose(err);
    if (pid < 0 || exec_failed) {
        error =
            "cannot start the tool " + tool + ": " + std::strerror(pid < 0 ? errno : child_errno);
        return false;
    }
    run.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + run.signal;
    return true;
}

} // namespace host
