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

// A named mutex stands for the directory. Its name is made from what
// identifies the directory itself, its volume and file index, so that one
// folder reached by two paths (a mapped drive, a link, a short name) takes
// one lock.
bool mutex_name(wchar_t (&name)[64]) {
    const HANDLE dir = CreateFileW(L".", 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (dir == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(dir, &info) != 0;
    CloseHandle(dir);
    if (!known) return false;
    const std::uint32_t parts[] = {info.dwVolumeSerialNumber, info.nFileIndexHigh,
                                   info.nFileIndexLow};
    const wchar_t prefix[] = L"digit-tint-run-";
    std::wmemcpy(name, prefix, 15);
    wchar_t *p = name + 15;
    for (const std::uint32_t part : parts)
        for (int shift = 28; shift >= 0; shift -= 4)
            *p++ = L"0123456789abcdef"[(part >> shift) & 15];
    *p = L'\0';
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
    stream::console::err("Another run is working in this directory\n");
}
