#include "stream/console.hpp"

#include <cstdio>

#include "os/os.hpp"

namespace stream::console {

void init() {
    os::open_standard_streams();
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
