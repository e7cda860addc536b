// The operating system on Windows.
#include "os/os.hpp"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

namespace os {

namespace {

constexpr DWORD path_room = 32768; // the longest path Windows has, and its end

// A virus scanner or a search indexer opens a file the moment it is written
// and holds it for a few to a few hundred milliseconds. Meanwhile a rename
// of it or over it, or an open of it, fails with one of these errors.
bool held_for_now(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

// Makes the call, and while it fails as it does on a held file makes it
// again after short, growing pauses while patience lasts, about a second
// from its first wait; true once it succeeds. Any other error, a missing file
// among them, ends it at once.
template <class Call> bool retried(Call call, Patience &patience) {
    constexpr ULONGLONG budget_ms = 1000;
    constexpr DWORD longest_pause_ms = 200;
    for (DWORD pause_ms = 2;; pause_ms = std::min(2 * pause_ms, longest_pause_ms)) {
        if (call()) return true;
        const DWORD error = GetLastError();
        const ULONGLONG now = GetTickCount64();
        if (patience.end_ms == 0) patience.end_ms = now + budget_ms;
        if (!held_for_now(error) || now >= patience.end_ms) return false;
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(pause_ms, patience.end_ms - now)));
    }
}

// The final path of what h opened; its length, 0 where it cannot be known.
DWORD final_path(HANDLE h, wchar_t (&path)[path_room]) {
    const DWORD length = GetFinalPathNameByHandleW(h, path, path_room, FILE_NAME_NORMALIZED);
    return length < path_room ? length : 0;
}

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens name itself, a reparse point not followed, a directory as well.
HANDLE open_itself(const wchar_t *name) {
    return CreateFileW(name, 0, share_all, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Under Wine a link in the file system is no reparse point: it opens as
// what it points to, and a rename of it moves that. The final path of what
// h opened, which Wine resolves through the link, gives it away: it is not
// the working directory's and name. The directory is compared exactly, case
// kept, as two folders whose names differ in case alone are two on a disk
// that keeps case; the name as the file system looks it up, in any case.
// False only where that is known; a name with a folder in it is not one of
// the working directory's, and passes.
bool stands_under(HANDLE h, const char *name) {
    if (std::strpbrk(name, "\\/:")) return true;
    wchar_t wide[MAX_PATH + 1];
    const int n = MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH + 1);
    wchar_t dir[path_room], entry[path_room];
    const HANDLE here = open_itself(L".");
    const DWORD dir_length = here == INVALID_HANDLE_VALUE ? 0 : final_path(here, dir);
    if (here != INVALID_HANDLE_VALUE) CloseHandle(here);
    const DWORD entry_length = final_path(h, entry);
    if (n <= 1 || dir_length == 0 || entry_length == 0) return true;
    const DWORD name_length = static_cast<DWORD>(n - 1);
    return entry_length == dir_length + 1 + name_length &&
           std::wmemcmp(entry, dir, dir_length) == 0 && entry[dir_length] == L'\\' &&
           CompareStringOrdinal(entry + dir_length + 1, static_cast<int>(name_length), wide,
                                static_cast<int>(name_length), TRUE) == CSTR_EQUAL;
}

// FAT gives a file an index from where its directory entry lies, which a
// rename changes; its creation time stays. Every other file system keeps
// the index (Wine's is the Unix inode).
bool indexes_move(HANDLE h) {
    wchar_t system[MAX_PATH + 1];
    return GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, nullptr, system,
                                         MAX_PATH + 1) &&
           std::wcsstr(system, L"FAT") != nullptr;
}

bool identify_handle(HANDLE h, FileId &id) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) return false;
    const bool by_time = indexes_move(h);
    const DWORD high = by_time ? info.ftCreationTime.dwHighDateTime : info.nFileIndexHigh;
    const DWORD low = by_time ? info.ftCreationTime.dwLowDateTime : info.nFileIndexLow;
    id = {info.dwVolumeSerialNumber, (std::uint64_t{high} << 32) | low};
    return true;
}

// Whether h is a regular file that stands under name itself; its id.
bool regular_file_under(HANDLE h, const char *name, FileId &id) {
    constexpr DWORD no_file =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
           !(info.dwFileAttributes & no_file) && stands_under(h, name) && identify_handle(h, id);
}

bool move_file(const char *from, const char *to, DWORD flags, Patience &patience) {
    return retried([&] { return MoveFileExA(from, to, flags) != 0; }, patience);
}

} // namespace

bool identify(std::FILE *file, FileId &id) {
    const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return h != INVALID_HANDLE_VALUE && identify_handle(h, id);
}

// Others may read and write the file meanwhile, as with the C runtime's
// fopen, and rename it, as the take-over does while it holds it.
std::FILE *open_held_file(const char *name, unsigned &permissions, Patience &patience) {
    HANDLE h = INVALID_HANDLE_VALUE;
    if (!retried(
            [&] {
                h = CreateFileA(name, GENERIC_READ, share_all, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
                return h != INVALID_HANDLE_VALUE;
            },
            patience))
        return nullptr;
    FileId id;
    const int fd = regular_file_under(h, name, id)
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

std::FILE *open_regular_file(const char *name, unsigned &permissions) {
    Patience patience;
    return open_held_file(name, permissions, patience);
}

bool holds(const char *name, const FileId &id) {
    wchar_t wide[MAX_PATH + 1];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH + 1) <= 1) return false;
    const HANDLE h = open_itself(wide);
    if (h == INVALID_HANDLE_VALUE) return false;
    FileId found;
    const bool same = regular_file_under(h, name, found) && found == id;
    CloseHandle(h);
    return same;
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
// run's own file, still empty, is moved over name and then back. Where the
// move back fails, what stands under name is the run's own file: it is
// removed, so that no file of the run's is left under a name not its own,
// and the run has no file any more.
bool clear_name(const char *name, const char *own, Patience &patience) {
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    if (!own) return entry_at(name) == Entry::file && remove_own_file(name, patience);
    if (!move_file(own, name, MOVEFILE_REPLACE_EXISTING, patience)) return false;
    if (move_file(name, own, 0, patience)) return !name_exists(name);
    remove_own_file(name, patience);
    return false;
}

bool clear_names(std::string_view prefix, bool (*matches)(std::string_view rest), const char *own,
                 Patience &patience) {
    const std::string pattern = std::string(prefix) + "*";
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    bool own_kept = true;
    do {
        const std::string_view name = found.cFileName;
        if (name.substr(0, prefix.size()) == prefix && matches(name.substr(prefix.size())) &&
            (!own || name != own) && !clear_name(found.cFileName, own, patience))
            own_kept = !own || name_exists(own);
    } while (own_kept && FindNextFileA(search, &found));
    FindClose(search);
    return own_kept;
}

bool remove_own_file(const char *name, Patience &patience) {
    return retried([&] { return DeleteFileA(name) != 0; }, patience);
}

namespace {

// Renames what h holds to to, replacing what stands there: by the handle, so
// that the object moved is the one the handle was checked to hold.
bool rename_by_handle(HANDLE h, const char *to) {
    wchar_t wide[MAX_PATH + 1];
    const int n = MultiByteToWideChar(CP_ACP, 0, to, -1, wide, MAX_PATH + 1);
    alignas(FILE_RENAME_INFO) char room[sizeof(FILE_RENAME_INFO) + sizeof wide] = {};
    auto *const info = reinterpret_cast<FILE_RENAME_INFO *>(room);
    info->ReplaceIfExists = TRUE; // and no root directory: to is a name in from's folder
    info->FileNameLength = static_cast<DWORD>(n - 1) * sizeof(wchar_t);
    std::wmemcpy(info->FileName, wide, static_cast<std::size_t>(n > 1 ? n - 1 : 0));
    return n > 1 && SetFileInformationByHandle(h, FileRenameInfo, info, sizeof room);
}

// Opens from itself for a rename, checks by the handle that it is the file
// id, and renames it by the handle, held files waited for while patience
// lasts.
bool move_held(const FileId &id, const char *from, const char *to, Patience &patience) {
    HANDLE h = INVALID_HANDLE_VALUE;
    if (!retried(
            [&] {
                h = CreateFileA(from, DELETE | SYNCHRONIZE, share_all, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
                return h != INVALID_HANDLE_VALUE;
            },
            patience))
        return false;
    FileId found;
    const bool moved = regular_file_under(h, from, found) && found == id &&
                       retried([&] { return rename_by_handle(h, to); }, patience);
    CloseHandle(h);
    return moved;
}

// Whether what stands under name is itself there, no Wine link: a rename of
// a link by its name under Wine moves what it points to.
bool stands_itself(const char *name) {
    wchar_t wide[MAX_PATH + 1];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH + 1) <= 1) return false;
    const HANDLE h = open_itself(wide);
    const bool itself = h != INVALID_HANDLE_VALUE && stands_under(h, name);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return itself;
}

} // namespace

// The rename by handle moves the object checked. Wine renames by the path
// the handle was opened under: the check by handle after the move keeps an
// entry swapped in meanwhile from passing for the file, and it goes back only
// where it is no link that Wine would follow out of the folder.
bool move_checked(const FileId &id, const char *from, const char *to, Patience &patience) {
    if (!move_held(id, from, to, patience)) return false;
    if (holds(to, id)) return true;
    if (!name_exists(from) && stands_itself(to)) move_file(to, from, 0, patience);
    return false;
}

// The rename by handle replaces to in one step already.
bool move_own_checked(const FileId &id, const char *from, const char *to, Patience &patience) {
    return move_checked(id, from, to, patience);
}

Entry entry_at(const char *name) {
    wchar_t wide[MAX_PATH + 1];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH + 1) <= 1) return Entry::none;
    const HANDLE h = open_itself(wide);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
                   ? Entry::none
               : held_for_now(GetLastError()) ? Entry::file
                                              : Entry::other;
    FileId id;
    const Entry entry = regular_file_under(h, name, id) ? Entry::file : Entry::other;
    CloseHandle(h);
    return entry;
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

// A process started without a standard handle has none to write to, and
// msvcrt marks the stream as having no descriptor (-2), which freopen will
// not reopen: the null device is opened under the stream's own descriptor,
// the stream pointed at it, and the process given its handle, before
// anything is written.
void open_standard_streams() {
    std::FILE *const streams[] = {stdin, stdout, stderr};
    constexpr DWORD std_handles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (int fd = 0; fd < 3; ++fd) {
        std::FILE *const stream = streams[fd];
        if (_fileno(stream) == fd && _get_osfhandle(fd) != -1 && _get_osfhandle(fd) != -2) continue;
        const int null_device = _open("NUL", _O_RDWR | _O_BINARY);
        if (null_device < 0) continue;
        if (null_device != fd && _dup2(null_device, fd) != 0) {
            _close(null_device);
            continue;
        }
        if (null_device != fd) _close(null_device);
        stream->_file = fd;
        SetStdHandle(std_handles[fd], reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
    }
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

namespace {

// What tells the directory apart from every other, in three numbers.
using Identity = std::uint32_t[3];

// A file system that can open a file by its index keeps the index stable and
// unique on its volume (NTFS, ReFS). FAT does not, nor does Wine, whose index
// is the Unix inode number: the roots of two mounts on one drive share it.
bool has_stable_indexes(HANDLE dir) {
    DWORD flags = 0;
    return GetVolumeInformationByHandleW(dir, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_SUPPORTS_OPEN_BY_FILE_ID);
}

// The volume serial number and the file index, which stay the same whatever
// path the directory is reached by (a mapped drive, a link, a short name),
// where they tell directories apart: not where either is 0, nor where the
// indexes are not stable.
bool identity_by_index(HANDLE dir, Identity &id) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(dir, &info) || info.dwVolumeSerialNumber == 0 ||
        (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0) || !has_stable_indexes(dir))
        return false;
    id[0] = info.dwVolumeSerialNumber;
    id[1] = info.nFileIndexHigh;
    id[2] = info.nFileIndexLow;
    return true;
}

// Elsewhere the directory's final path, the one the system resolves every
// other to, hashed (FNV-1a, 64 bits) as it is: on a disk that keeps case,
// folders whose names differ in case alone are two, and the system gives one
// folder one spelling. The first number marks a path.
bool identity_by_path(HANDLE dir, Identity &id) {
    wchar_t path[path_room];
    const DWORD length = GetFinalPathNameByHandleW(dir, path, path_room, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= path_room) return false;
    std::uint64_t hash = 14695981039346656037u;
    for (DWORD i = 0; i < length; ++i) hash = (hash ^ path[i]) * 1099511628211u;
    id[0] = 0;
    id[1] = static_cast<std::uint32_t>(hash >> 32);
    id[2] = static_cast<std::uint32_t>(hash);
    return true;
}

// A named mutex stands for the directory, its name made from the
// directory's identity, so that one folder takes one lock.
bool mutex_name(wchar_t (&name)[64]) {
    const HANDLE dir = CreateFileW(L".", 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (dir == INVALID_HANDLE_VALUE) return false;
    Identity parts;
    const bool known = identity_by_index(dir, parts) || identity_by_path(dir, parts);
    CloseHandle(dir);
    if (!known) return false;
    const wchar_t prefix[] = L"digit-tint-run-";
    constexpr std::size_t prefix_length = sizeof prefix / sizeof *prefix - 1; // no terminator
    std::wmemcpy(name, prefix, prefix_length);
    wchar_t *p = name + prefix_length;
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
