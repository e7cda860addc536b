#include "stream/console.hpp"

#include <cstdio>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace stream::console {

void init() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#else
    // A standard stream closed at start would hand its number to the next
    // file opened, and trace lines would land in the work file.
    for (int fd = 0; fd <= 2; ++fd)
        if (fcntl(fd, F_GETFD) == -1 && open("/dev/null", O_RDWR) != fd) break;
#endif
}

void out(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void err(std::string_view text) {
    std::fflush(stdout);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

bool flush_out() {
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

} // namespace stream::console
