// The operating system on POSIX systems; a move over a name that stands
// trades places with Linux's renameat2.
#include "os/os.hpp"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace os {

constexpr unsigned access_bits = 0777; // set-id and sticky bits are never passed on

namespace {

FileId id_of(const struct stat &st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace

bool identify(std::FILE *file, FileId &id) {
    struct stat st;
    if (fstat(fileno(file), &st) != 0) return false;
    id = id_of(st);
    return true;
}

// No link is followed and nothing waits on a pipe; what the descriptor
// turns out to be decides, not what the name looked like a moment before.
std::FILE *open_held_file(const char *name, unsigned &permissions, Patience &) {
    const int fd = open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    std::FILE *file = nullptr;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) file = fdopen(fd, "rb");
    if (!file) {
        close(fd);
        return nullptr;
    }
    permissions = st.st_mode & access_bits;
    return file;
}

std::FILE *open_regular_file(const char *name, unsigned &permissions) {
    Patience patience;
    return open_held_file(name, permissions, patience);
}

bool holds(const char *name, const FileId &id) {
    struct stat st;
    return fstatat(AT_FDCWD, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
           id_of(st) == id;
}

std::FILE *create_new_file(const char *name, unsigned permissions, bool &name_taken) {
    const mode_t mode = permissions & access_bits;
    const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    name_taken = fd < 0 && errno == EEXIST;
    if (fd < 0) return nullptr;
    // The umask took bits away; where this fails the file has fewer, never more.
    fchmod(fd, mode);
    std::FILE *file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(name);
    }
    return file;
}

bool clear_name(const char *name, const char *, Patience &) {
    unlink(name); // a link is removed, never followed; a directory stays
    return !name_exists(name);
}

bool clear_names(std::string_view prefix, bool (*matches)(std::string_view rest), const char *own,
                 Patience &) {
    DIR *dir = opendir(".");
    if (!dir) return true;
    while (const dirent *entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.substr(0, prefix.size()) == prefix && matches(name.substr(prefix.size())) &&
            (!own || name != own))
            unlink(entry->d_name);
    }
    closedir(dir);
    return true;
}

bool remove_own_file(const char *name, Patience &) {
    return unlink(name) == 0;
}

namespace {

// Where to stands already, from and to trade places in one step (Linux's
// renameat2), so that an entry swapped in under from after its check costs
// nothing under to: an entry that is no regular file is traded back, and
// what stood under to is removed only once to holds a regular file. That is
// the file, or the whole result of a run without the lock that replaced it
// a moment later, which the file must not undo. Past nothing else is to
// removed, a directory never. -1 where the kernel or the file system cannot
// trade, or nothing stands under to.
int trade_places(const char *from, const char *to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE) != 0)
        return errno == ENOENT || errno == EINVAL || errno == ENOSYS ? -1 : 0;
    struct stat st;
    const bool regular =
        fstatat(AT_FDCWD, to, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
    if (regular && unlink(from) == 0) return 1;
    renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE);
    return 0;
}

} // namespace

bool move_checked(const FileId &id, const char *from, const char *to, Patience &) {
    if (!holds(from, id) || std::rename(from, to) != 0) return false;
    if (holds(to, id)) return true;
    if (!name_exists(from)) std::rename(to, from);
    return false;
}

bool move_own_checked(const FileId &id, const char *from, const char *to, Patience &patience) {
    if (!holds(from, id)) return false;
    if (const int traded = trade_places(from, to); traded >= 0) return traded == 1;
    return move_checked(id, from, to, patience);
}

Entry entry_at(const char *name) {
    struct stat st;
    // Where the look itself fails, the open of the file decides.
    if (lstat(name, &st) != 0) return errno == ENOENT ? Entry::none : Entry::file;
    return S_ISREG(st.st_mode) ? Entry::file : Entry::other;
}

bool name_exists(const char *name) {
    struct stat st;
    return lstat(name, &st) == 0;
}

bool empty_file(std::FILE *file) {
    return ftruncate(fileno(file), 0) == 0;
}

unsigned long process_id() {
    return static_cast<unsigned long>(getpid());
}

void open_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd)
        if (fcntl(fd, F_GETFD) == -1 && open("/dev/null", O_RDWR) != fd) break;
}

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

} // namespace os
