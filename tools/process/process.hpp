// Starts a program and collects how it ended: the one process runner of
// digit-tint-host, the tests, the benchmark and the guard. POSIX; peak memory
// on Linux only.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace process {

enum class Output {
    capture, // stdout and stderr kept in memory-backed files, so no child ever blocks on them
    discard, // both to /dev/null
};

struct Command {
    std::vector<std::string> argv; // argv[0] without a slash is looked up on PATH
    std::filesystem::path cwd;     // empty: this process's own
    std::vector<std::pair<std::string, std::string>> env; // set for the child only
    std::optional<unsigned> as_user;      // user and group id to run as (needs root)
    std::chrono::milliseconds timeout{0}; // 0: no limit; then it is killed
    Output output = Output::capture;
    // Standard input: these bytes where given, else /dev/null.
    std::optional<std::string> input;
    // Standard output a pipe whose reading end is closed before the program
    // writes, as `| head` leaves it once it has read its lines.
    bool stdout_closed = false;
    // Signals it starts with ignored, as a shell's `trap '' SIGNAL` passes them on.
    std::vector<int> ignored_signals;
    // Measures the program's own peak resident memory by stopping it at its
    // exit (ptrace); the timeout does not apply then.
    bool peak_rss = false;
};

// The status of a run that never reached the program; no exit status reads so.
constexpr int not_started = -1;

struct Exit {
    int status = not_started; // as a shell reports it: 0..255, or 128 + the signal
    int signal = 0;           // the signal that ended it, 0 for none
    bool timed_out = false;   // killed at the timeout
    std::string not_started_why;
    int not_started_error = 0; // the errno behind not_started_why
    std::string out, err;
    double seconds = 0;     // wall time from start to end
    double cpu_seconds = 0; // user and system time of the child
    // wait4's figure, which includes the forked copy of the parent before
    // the exec: meaningful only for a small parent.
    long max_rss_kib = 0;
    long peak_rss_kib = -1; // with Command::peak_rss: the program's own high-water mark
};

// A started program. It is killed and reaped when the object goes unwaited.
class Process {
  public:
    explicit Process(const Command &command);
    ~Process();
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;

    pid_t pid() const { return pid_; }
    void kill(int signal) const;
    // Whether it has ended, waiting at most so long; it is not reaped, so
    // wait() still collects it. A stop the caller watches for between calls
    // is seen within one such wait.
    bool ended_within(std::chrono::milliseconds limit) const;
    // Waits for the end (or the timeout) and collects it; once.
    Exit wait();

  private:
    Command command_;
    pid_t pid_ = -1;
    int out_fd_ = -1, err_fd_ = -1, in_fd_ = -1, closed_pipe_fd_ = -1;
    std::chrono::steady_clock::time_point started_;
    Exit exit_;
};

// Starts the command and waits for it.
Exit run(const Command &command);

} // namespace process
