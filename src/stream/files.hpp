// Whole-file operations on names in the working directory.
#pragma once

namespace stream {

// Renames from to to, replacing an existing to in one step on every platform,
// so that a reader of to sees either the old file or the new one.
bool replace_file(const char *from, const char *to);

bool remove_file(const char *name);

} // namespace stream
