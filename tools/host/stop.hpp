// Ending early. SIGINT, SIGTERM, SIGHUP and SIGPIPE are caught, so that a run
// can stop the tool it started and remove its scratch directory, and then end
// as the signal would have ended it.
#pragma once

namespace host {

// Catches the four, except those ignored on entry, which stay ignored (a
// closed pipe then shows as a write error). Blocked reads and writes return
// early when one comes.
void catch_stop_signals();

// The first of them caught, 0 while none has come.
int stop_signal();

// Whether standard output is a pipe whose reader has gone, which the next
// write would meet as SIGPIPE or EPIPE.
bool output_closed();

// Whether signal is ignored, as it stays when it was ignored on entry.
bool ignored(int signal);

// Ends the program by signal, for the parent to see how it ended.
[[noreturn]] void end_by(int signal);

} // namespace host
