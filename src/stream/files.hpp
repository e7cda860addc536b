// Whole-file operations on names in the working directory, which the host,
// the user and other programs share with the tool: nothing here blocks on a
// special file or writes through a name that someone else put there.
#pragma once

#include <cstdio>

namespace stream {

// Opens name for reading if it is a regular file, without waiting on a pipe
// or a device; null otherwise.
std::FILE *open_regular_file(const char *name);

// Removes name, then creates a new, empty regular file under it for writing,
// exclusively and without following a link, so that no link target, device
// or other file is ever written; null when that fails (a directory there).
std::FILE *create_fresh_file(const char *name);

// Gives file the permission bits of model, where the system has them.
void copy_permissions(std::FILE *model, std::FILE *file);

// Renames from to to, replacing an existing to in one step on every platform,
// so that a reader of to sees either the old file or the new one.
bool replace_file(const char *from, const char *to);

// Whether anything (a file, a directory, a link) stands under name.
bool name_exists(const char *name);

} // namespace stream
