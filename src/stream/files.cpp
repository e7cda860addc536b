#include "stream/files.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace stream {

#ifdef _WIN32

std::FILE *open_regular_file(const char *name) {
    std::FILE *file = std::fopen(name, "rb");
    struct _stat64 st;
    if (file && (_fstat64(_fileno(file), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

// Under Wine a link in the file system looks like the file it points to, and
// removing it removes that file. So the new file is made under a name of this
// process's own and renamed over name: a rename replaces a link, a stale or a
// read-only file, and never follows a link.
std::FILE *create_fresh_file(const char *name) {
    char fresh[MAX_PATH];
    const int n = std::snprintf(fresh, sizeof fresh, "%s.%lu", name, GetCurrentProcessId());
    if (n < 0 || n >= static_cast<int>(sizeof fresh)) return nullptr;
    const HANDLE h = CreateFileA(fresh, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    if (!MoveFileExA(fresh, name, MOVEFILE_REPLACE_EXISTING)) {
        CloseHandle(h);
        DeleteFileA(fresh);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    std::FILE *file = _fdopen(fd, "wb");
    if (!file) _close(fd);
    return file;
}

void copy_permissions(std::FILE *, std::FILE *) {}

bool replace_file(const char *from, const char *to) {
    // The C runtime's rename refuses an existing target here.
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool name_exists(const char *name) {
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

#else

std::FILE *open_regular_file(const char *name) {
    const int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    std::FILE *file = nullptr;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

std::FILE *create_fresh_file(const char *name) {
    unlink(name); // a link is removed, never followed; a directory stays and fails below
    const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE *file = fdopen(fd, "wb");
    if (!file) close(fd);
    return file;
}

void copy_permissions(std::FILE *model, std::FILE *file) {
    struct stat st;
    if (fstat(fileno(model), &st) == 0) fchmod(fileno(file), st.st_mode & 07777);
}

bool replace_file(const char *from, const char *to) {
    return std::rename(from, to) == 0;
}

bool name_exists(const char *name) {
    struct stat st;
    return lstat(name, &st) == 0;
}

#endif

} // namespace stream
