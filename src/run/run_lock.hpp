// One run at a time in a working directory: a second run started while the
// first is working would take the first one's output for its input.
#pragma once

#include <cstdint>

// The lock a run holds on its working directory until it ends. The system
// drops it with the process, so a run that was killed blocks nobody.
struct RunLock {
    std::intptr_t handle = -1; // a directory descriptor, or a mutex handle on Windows

    RunLock() = default;
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;
    ~RunLock();

    bool held() const { return handle != -1; }
};

// False only when another run holds the lock on the working directory. Where
// the file system cannot lock at all, the run goes on unlocked.
bool take_run_lock(RunLock &lock);

// The one line a refused run writes.
void report_busy_directory();
