#include "process/process.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <initializer_list>
#include <poll.h>
#include <sys/mman.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace process {

namespace {

using Clock = std::chrono::steady_clock;

// The steps of the child before its exec, named when one of them fails.
enum Step { open_streams, change_directory, switch_user, trace_me, exec_program };
constexpr const char *step_names[] = {"standard streams", "chdir", "switching user", "ptrace",
                                      "exec"};

struct Failure {
    int step, error;
};

std::vector<char *> pointers(std::vector<std::string> &words) {
    std::vector<char *> p;
    for (auto &w : words) p.push_back(w.data());
    p.push_back(nullptr);
    return p;
}

// This process's environment with the command's variables set over it.
std::vector<std::string> child_environment(const Command &command) {
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        bool overridden = false;
        for (const auto &[name, value] : command.env)
            overridden = overridden || entry.rfind(name + "=", 0) == 0;
        if (!overridden) env.push_back(entry);
    }
    for (const auto &[name, value] : command.env) env.push_back(name + "=" + value);
    return env;
}

[[noreturn]] void fail_in_child(int report_fd, Step step) {
    const Failure f{step, errno};
    ssize_t ignored = write(report_fd, &f, sizeof f);
    (void)ignored;
    _exit(127);
}

struct StreamFds {
    int in, out, err; // -1: /dev/null
};

bool set_streams(const Command &command, StreamFds fds) {
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC); // the copies on 0..2 stay open
    if (null < 0 || dup2(fds.in >= 0 ? fds.in : null, 0) < 0) return false;
    if (command.output == Output::discard) fds.err = null;
    if (command.output == Output::discard && !command.stdout_closed) fds.out = null;
    return dup2(fds.out, 1) >= 0 && dup2(fds.err, 2) >= 0;
}

bool switch_to(unsigned user) {
    return setgroups(0, nullptr) == 0 && setgid(user) == 0 && setuid(user) == 0;
}

// The child's side, between fork and exec: only calls that are safe there.
[[noreturn]] void become(const Command &command, char *const *argv, char *const *envp,
                         StreamFds fds, int report_fd) {
    if (!set_streams(command, fds)) fail_in_child(report_fd, open_streams);
    if (!command.cwd.empty() && chdir(command.cwd.c_str()) != 0)
        fail_in_child(report_fd, change_directory);
    if (command.as_user && !switch_to(*command.as_user)) fail_in_child(report_fd, switch_user);
    for (int signal : command.ignored_signals) std::signal(signal, SIG_IGN);
    if (command.peak_rss && ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
        fail_in_child(report_fd, trace_me);
    execvpe(argv[0], argv, envp);
    fail_in_child(report_fd, exec_program);
}

std::string drain(int fd) {
    std::string bytes;
    if (fd < 0 || lseek(fd, 0, SEEK_SET) != 0) return bytes;
    char chunk[65536];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
        bytes.append(chunk, static_cast<std::size_t>(n));
    return bytes;
}

// A memory-backed file holding bytes, read from its start; -1 where it cannot be made.
int file_of(const std::string &bytes) {
    const int fd = memfd_create("stdin", MFD_CLOEXEC);
    if (fd < 0) return -1;
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
        if (n <= 0) return close(fd), -1;
        at += static_cast<std::size_t>(n);
    }
    return lseek(fd, 0, SEEK_SET) == 0 ? fd : (close(fd), -1);
}

// The writing end of a pipe whose reading end is closed already.
int closed_pipe() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return -1;
    close(ends[0]);
    return ends[1];
}

// The traced program's high-water mark of resident memory, from /proc.
long high_water_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// One stop of a traced program: its exec, its exit, or a signal to pass on.
void continue_traced(pid_t pid, int wstatus, Exit &exit) {
    int pass_on = 0;
    if (wstatus >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8)))
        exit.peak_rss_kib = high_water_kib(pid);
    else if (WSTOPSIG(wstatus) == SIGTRAP)
        ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL);
    else
        pass_on = WSTOPSIG(wstatus);
    ptrace(PTRACE_CONT, pid, nullptr, pass_on);
}

// Without a pidfd (kernels before 5.3): looks now and then.
bool ended_before_by_looking(pid_t pid, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// Waits until the program ended or the deadline passed; false at the deadline.
bool ended_before(pid_t pid, Clock::time_point deadline) {
    // by its number: glibc's own declaration is missing or, in 2.36, unusable from C++
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) return ended_before_by_looking(pid, deadline);
    int ready = -1;
    while (ready < 0) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd, POLLIN, 0};
        ready = poll(&p, 1, static_cast<int>(std::max<long>(0, left.count())));
        if (ready < 0 && errno != EINTR) ready = 1; // cannot wait here: the caller waits
    }
    close(fd);
    return ready > 0;
}

double seconds_of(const timeval &t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

} // namespace

Process::Process(const Command &command) : command_(command), started_(Clock::now()) {
    if (command.output == Output::capture) {
        out_fd_ = memfd_create("stdout", MFD_CLOEXEC);
        err_fd_ = memfd_create("stderr", MFD_CLOEXEC);
    }
    if (command.input) in_fd_ = file_of(*command.input);
    if (command.stdout_closed) closed_pipe_fd_ = closed_pipe();
    int report[2];
    if ((command.output == Output::capture && (out_fd_ < 0 || err_fd_ < 0)) ||
        (command.input && in_fd_ < 0) || (command.stdout_closed && closed_pipe_fd_ < 0) ||
        pipe2(report, O_CLOEXEC) != 0) {
        exit_.not_started_error = errno;
        exit_.not_started_why = std::string("cannot set up: ") + std::strerror(errno);
        return;
    }
    std::vector<std::string> words = command.argv, env = child_environment(command);
    std::vector<char *> argv = pointers(words), envp = pointers(env);
    std::fflush(nullptr); // the child must not write out what this process holds
    pid_ = fork();
    if (pid_ == 0)
        become(command, argv.data(), envp.data(),
               {in_fd_, command.stdout_closed ? closed_pipe_fd_ : out_fd_, err_fd_}, report[1]);
    const int fork_error = errno;
    for (int *fd : {&in_fd_, &closed_pipe_fd_})
        if (*fd >= 0) close(*fd), *fd = -1;
    close(report[1]);
    Failure failure{};
    const bool failed = pid_ > 0 && read(report[0], &failure, sizeof failure) == sizeof failure;
    close(report[0]);
    if (pid_ < 0) {
        exit_.not_started_error = fork_error;
        exit_.not_started_why = std::string("fork: ") + std::strerror(fork_error);
    }
    if (!failed) return;
    exit_.not_started_error = failure.error;
    exit_.not_started_why =
        std::string(step_names[failure.step]) + ": " + std::strerror(failure.error);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

Process::~Process() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : {out_fd_, err_fd_, in_fd_, closed_pipe_fd_})
        if (fd >= 0) close(fd);
}

void Process::kill(int signal) const {
    if (pid_ > 0) ::kill(pid_, signal);
}

bool Process::ended_within(std::chrono::milliseconds limit) const {
    return pid_ <= 0 || ended_before(pid_, Clock::now() + limit);
}

Exit Process::wait() {
    if (pid_ <= 0) return exit_;
    if (command_.timeout.count() > 0 && !command_.peak_rss &&
        !ended_before(pid_, started_ + command_.timeout)) {
        ::kill(pid_, SIGKILL);
        exit_.timed_out = true;
    }
    int wstatus = 0;
    rusage usage{};
    for (;;) {
        const pid_t got = wait4(pid_, &wstatus, 0, &usage);
        if (got < 0 && errno == EINTR) continue;
        if (got != pid_ || !WIFSTOPPED(wstatus)) break;
        continue_traced(pid_, wstatus, exit_);
    }
    pid_ = -1;
    exit_.seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    exit_.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
    exit_.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + exit_.signal;
    exit_.cpu_seconds = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
    exit_.max_rss_kib = usage.ru_maxrss;
    exit_.out = drain(out_fd_);
    exit_.err = drain(err_fd_);
    return exit_;
}

Exit run(const Command &command) {
    return Process(command).wait();
}

} // namespace process
