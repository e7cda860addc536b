#include "stream/files.hpp"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace stream {

bool replace_file(const char *from, const char *to) {
#ifdef _WIN32
    // The C runtime's rename refuses an existing target here.
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from, to) == 0;
#endif
}

bool remove_file(const char *name) {
    return std::remove(name) == 0;
}

} // namespace stream
