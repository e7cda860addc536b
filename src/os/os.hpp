// The operating system, behind one interface: one file a platform
// (os_posix.cpp, os_windows.cpp), the build choosing which. Names are in the
// working directory, which the host, the user and other programs share with
// the tool: nothing here blocks on a special file or writes through a name
// that someone else put there.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace os {

// Opens name for reading if it is a regular file, without waiting on a pipe
// or a device, and gives its read, write and execute bits; null otherwise.
// On Windows an open refused as for a file another program holds for a
// moment (a virus scanner) is tried again for about a second.
std::FILE *open_regular_file(const char *name, unsigned &permissions);

// How long a sequence of file steps waits in all, on Windows, on files that
// another program (a virus scanner) holds for a moment: about a second from
// the first wait, however many steps share it, so that one held file costs a
// run about a second and not a second a step. One for each phase of a run.
struct Patience {
    std::uint64_t end_ms = 0; // 0: no step has waited yet
};

// What tells one file apart from every other while it exists: the device
// and the inode, on Windows the volume serial number and the file index. A
// name is only ever trusted to hold the file it held when it is looked at
// again by this.
struct FileId {
    std::uint64_t volume = 0, index = 0;
    bool operator==(const FileId &) const = default;
};

// The file an open stream reads or writes; false where it cannot be known.
bool identify(std::FILE *file, FileId &id);

// Opens name for reading where the entry under name itself, no link
// followed, is a regular file, and checks it by the descriptor it gives, so
// that what is read is what was checked; null otherwise. On Windows an open
// refused as for a held file is tried again while patience lasts.
std::FILE *open_held_file(const char *name, unsigned &permissions, Patience &patience);

// Whether name itself, no link followed, is the regular file id.
bool holds(const char *name, const FileId &id);

// Creates name as a new, empty regular file for writing, exclusively and
// without following a link, so that no link target, device or other file is
// ever written. It gets the permission bits given at once, whatever the
// umask. Null when that fails; name_taken tells whether something stood
// under name.
std::FILE *create_new_file(const char *name, unsigned permissions, bool &name_taken);

// Removes whatever stands under name but a directory, never what a link
// points to. own names a file of this process's own, which stands in for
// name where removing a link would remove its target (a link seen through
// Wine); without one (null) such a link stays. True when nothing is left
// under name.
bool clear_name(const char *name, const char *own, Patience &patience);

// Clears, as clear_name does, every name in the working directory that is
// prefix followed by a rest that matches accepts, but own. False when own is
// gone meanwhile (a step of clear_name that failed half way on Windows).
bool clear_names(std::string_view prefix, bool (*matches)(std::string_view rest), const char *own,
                 Patience &patience);

// Removes a file this process created itself. On Windows a removal refused
// while another program holds the file for a moment is tried again, as every
// rename is.
bool remove_own_file(const char *name, Patience &patience);

// Renames the file id from from to to, replacing an existing to in one step
// on every platform, so that a reader of to sees either the old file or the
// new one; checking before the move and after it that the name holds that
// very file: an entry put under either name meanwhile (a directory, a pipe, a
// link, another file) is never moved on nor taken for it. Where to turns out
// to hold another entry, that entry goes back under from where from is free,
// and false. On Windows a rename refused while another program holds either
// file for a moment is tried again while patience lasts; a missing from fails
// at once.
bool move_checked(const FileId &id, const char *from, const char *to, Patience &patience);

// As move_checked, for a file under a name of this run's own, which no other
// run reads: on Linux, where something stands under to, the two trade places
// in one step and what stood under to is removed only once to holds a
// regular file (the file, or the whole result of a run without the lock that
// replaced it since), so that an entry swapped in for the own file costs to
// nothing. The take-over cannot trade so: for a moment the file replaced
// would stand under a step name, where another run would take it for the
// selection.
bool move_own_checked(const FileId &id, const char *from, const char *to, Patience &patience);

// What stands under a name: nothing, a regular file, or anything else,
// which no host writes: a directory, a pipe, a device, a link whatever it
// points to, and on Windows any reparse point (a symbolic link, a junction).
// Where the look fails for another reason than a missing name, a file: its
// open, which checks what it holds, decides.
enum class Entry { none, file, other };
Entry entry_at(const char *name);

// Whether anything (a file, a directory, a link) stands under name.
bool name_exists(const char *name);

// Cuts an open file, written without a buffer of the C library's, to nothing.
bool empty_file(std::FILE *file);

// This process's id, which no other running process has.
unsigned long process_id();

// Standard output and error as bytes, with no text mode. On POSIX systems a
// standard stream that is closed is opened on the null device first: it
// would hand its number to the next file opened, and trace lines would land
// in the work file.
void open_standard_streams();

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

// One run at a time in a working directory: a second run started while the
// first is working would take the first one's output for its input. False
// only when another run holds the lock; where the file system cannot lock at
// all, the run goes on unlocked.
bool take_run_lock(RunLock &lock);

} // namespace os
