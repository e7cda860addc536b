// Whole-file operations on names in the working directory, which the host,
// the user and other programs share with the tool: nothing here blocks on a
// special file or writes through a name that someone else put there.
#pragma once

#include <cstdio>
#include <string_view>

namespace stream {

// Opens name for reading if it is a regular file, without waiting on a pipe
// or a device, and gives its read, write and execute bits; null otherwise.
// On Windows an open refused as for a file another program holds for a
// moment (a virus scanner) is tried again for about a second.
std::FILE *open_regular_file(const char *name, unsigned &permissions);

// Creates name as a new, empty regular file for writing, exclusively and
// without following a link, so that no link target, device or other file is
// ever written. It gets the permission bits given at once, whatever the
// umask. Null when that fails; name_taken tells whether something stood
// under name.
std::FILE *create_new_file(const char *name, unsigned permissions, bool &name_taken);

// Removes whatever stands under name but a directory, never what a link
// points to. own names a file of this process's own, which stands in for
// name where removing a link would remove its target (a link seen through
// Wine). True when nothing is left under name.
bool clear_name(const char *name, const char *own);

// Clears, as clear_name does, every name in the working directory that is
// prefix followed by a rest that matches accepts, but own.
void clear_names(std::string_view prefix, bool (*matches)(std::string_view rest), const char *own);

// Removes a file this process created itself.
bool remove_own_file(const char *name);

// Renames from to to, replacing an existing to in one step on every platform,
// so that a reader of to sees either the old file or the new one. On Windows
// a rename refused while another program holds either file for a moment is
// tried again for about a second; a missing from fails at once.
bool replace_file(const char *from, const char *to);

// Whether anything (a file, a directory, a link) stands under name.
bool name_exists(const char *name);

// Cuts an open file, written without a buffer of the C library's, to nothing.
bool empty_file(std::FILE *file);

// This process's id, which no other running process has.
unsigned long process_id();

} // namespace stream
