// The protocol floor: what one transform costs with no per-line work at all.
// In the working directory it renames the host's jwc_temp.txt over the older
// JWC_TEMP.TXT, copies that in 64 KiB blocks into a fresh work file and
// renames the copy over JWC_TEMP.TXT, as the tool's own file protocol does.
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "run/exchange_names.hpp"

namespace {

using exchange::exchange_name;
constexpr const char *work_name = "JWC_TEMP.$$$.floor"; // a name of the floor's own

bool copy_in_blocks(int from, int to) {
    char block[1 << 16];
    for (;;) {
        const ssize_t n = read(from, block, sizeof block);
        if (n == 0) return true;
        if (n < 0 || write(to, block, static_cast<std::size_t>(n)) != n) return false;
    }
}

} // namespace

int main() {
    if (std::rename(exchange::host_name, exchange_name) != 0) return 1;
    const int from = open(exchange_name, O_RDONLY | O_CLOEXEC);
    const int to = open(work_name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    const bool copied = from >= 0 && to >= 0 && copy_in_blocks(from, to);
    if (from >= 0) close(from);
    if (to < 0 || close(to) != 0 || !copied) return 1;
    return std::rename(work_name, exchange_name) == 0 ? 0 : 1;
}
