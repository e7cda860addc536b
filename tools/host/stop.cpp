#include "stop.hpp"

#include <csignal>
#include <initializer_list>
#include <poll.h>
#include <unistd.h>

namespace host {

namespace {

// The first stop signal caught, 0 while none has come; set by the handler only.
volatile std::sig_atomic_t caught = 0;

extern "C" void note_stop(int signal) {
    if (caught == 0) caught = signal;
}

} // namespace

void catch_stop_signals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) != 0 || before.sa_handler == SIG_IGN) continue;
        struct sigaction catching {};
        catching.sa_handler = note_stop;
        sigemptyset(&catching.sa_mask);
        catching.sa_flags = 0; // no SA_RESTART: a blocked call returns, and the run looks
        sigaction(signal, &catching, nullptr);
    }
}

int stop_signal() {
    return caught;
}

bool output_closed() {
    pollfd out{STDOUT_FILENO, 0, 0};
    return poll(&out, 1, 0) == 1 && (out.revents & POLLERR);
}

bool ignored(int signal) {
    struct sigaction now {};
    return sigaction(signal, nullptr, &now) == 0 && now.sa_handler == SIG_IGN;
}

void end_by(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal); // not reached while the signal's default is to end
}

} // namespace host
