#include "run/run_lock.hpp"

#include "stream/console.hpp"

#ifdef _WIN32
#include <windows.h>

#include <cwchar>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#ifdef _WIN32

namespace {

// A named mutex stands for the directory: its name is made from the
// directory's full path, in upper case because names there ignore case.
bool mutex_name(wchar_t (&name)[64]) {
    wchar_t path[32768];
    const DWORD n = GetFullPathNameW(L".", 32768, path, nullptr);
    if (n == 0 || n >= 32768) return false;
    CharUpperBuffW(path, n);
    std::uint64_t hash = 14695981039346656037u; // FNV-1a
    for (DWORD i = 0; i < n; ++i) {
        hash ^= static_cast<std::uint16_t>(path[i]);
        hash *= 1099511628211u;
    }
    const wchar_t prefix[] = L"digit-tint-run-";
    std::wmemcpy(name, prefix, 15);
    for (int i = 0; i < 16; ++i) name[15 + i] = L"0123456789abcdef"[(hash >> (60 - 4 * i)) & 15];
    name[31] = L'\0';
    return true;
}

} // namespace

RunLock::~RunLock() {
    if (handle == -1) return;
    const auto mutex = reinterpret_cast<HANDLE>(handle);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

bool take_run_lock(RunLock &lock) {
    wchar_t name[64];
    if (!mutex_name(name)) return true;
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    if (!mutex) return true;
    const DWORD got = WaitForSingleObject(mutex, 0); // abandoned: its owner died
    if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return got != WAIT_TIMEOUT;
    }
    lock.handle = reinterpret_cast<std::intptr_t>(mutex);
    return true;
}

#else

RunLock::~RunLock() {
    if (handle != -1) close(static_cast<int>(handle)); // drops the lock
}

// An advisory lock on the directory itself, so that no lock file is left.
bool take_run_lock(RunLock &lock) {
    const int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        lock.handle = fd;
        return true;
    }
    const bool busy = errno == EWOULDBLOCK;
    close(fd);
    return !busy;
}

#endif

void report_busy_directory() {
    console::err("Another run is working in this directory\n");
}
