// The operating system on Windows.
#include "os/os.hpp"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>

namespace os {

namespace {

// A virus scanner or a search indexer opens a file the moment it is written
// and holds it for a few to a few hundred milliseconds. Meanwhile a rename
// of it or over it, or an open of it, fails with one of these errors.
bool held_for_now(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

// Makes the call, and while it fails as it does on a held file makes it
// again after short, growing pauses, for about a second in all; true once it
// succeeds. Any other error, a missing file among them, ends it at once.
template <class Call> bool retried(Call call) {
    constexpr ULONGLONG budget_ms = 1000;
    constexpr DWORD longest_pause_ms = 200;
    const ULONGLONG start = GetTickCount64();
    for (DWORD pause_ms = 2;; pause_ms = std::min(2 * pause_ms, longest_pause_ms)) {
        if (call()) return true;
        const ULONGLONG waited = GetTickCount64() - start;
        if (!held_for_now(GetLastError()) || waited >= budget_ms) return false;
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(pause_ms, budget_ms - waited)));
    }
}

} // namespace

// Others may read and write the file meanwhile, as with the C runtime's fopen.
std::FILE *open_regular_file(const char *name, unsigned &permissions) {
    HANDLE h = INVALID_HANDLE_VALUE;
    if (!retried([&] {
            h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            return h != INVALID_HANDLE_VALUE;
        }))
        return nullptr;
    const int fd = GetFileType(h) == FILE_TYPE_DISK
                       ? _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY)
                       : -1;
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    std::FILE *file = _fdopen(fd, "rb");
    if (!file) _close(fd);
    permissions = 0666;
    return file;
}

// Windows files keep no permission bits of the kind a selection carries.
std::FILE *create_new_file(const char *name, unsigned, bool &name_taken) {
    const HANDLE h = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD why = GetLastError();
        name_taken = why == ERROR_FILE_EXISTS || why == ERROR_ALREADY_EXISTS;
        return nullptr;
    }
    name_taken = false;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        DeleteFileA(name);
        return nullptr;
    }
    std::FILE *file = _fdopen(fd, "wb");
    if (!file) {
        _close(fd);
        DeleteFileA(name);
    }
    return file;
}

// Under Wine a link in the file system looks like the file it points to, and
// deleting it deletes that file. A rename replaces the link itself, so the
// run's own file is moved over name and then back.
bool clear_name(const char *name, const char *own) {
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    return MoveFileExA(own, name, MOVEFILE_REPLACE_EXISTING) && MoveFileExA(name, own, 0) &&
           !name_exists(name);
}

void clear_names(std::string_view prefix, bool (*matches)(std::string_view rest), const char *own) {
    const std::string pattern = std::string(prefix) + "*";
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string_view name = found.cFileName;
        if (name.substr(0, prefix.size()) == prefix && matches(name.substr(prefix.size())) &&
            name != own)
            clear_name(found.cFileName, own);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool remove_own_file(const char *name) {
    return DeleteFileA(name) != 0;
}

bool replace_file(const char *from, const char *to) {
    // The C runtime's rename refuses an existing target here.
    return retried([&] { return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0; });
}

Entry entry_at(const char *name) {
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return Entry::none;
    constexpr DWORD no_file =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    return attributes & no_file ? Entry::other : Entry::file;
}

bool name_exists(const char *name) {
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

bool empty_file(std::FILE *file) {
    return _chsize(_fileno(file), 0) == 0;
}

unsigned long process_id() {
    return GetCurrentProcessId();
}

void open_standard_streams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

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

} // namespace os
