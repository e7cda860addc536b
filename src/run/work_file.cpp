#include "run/work_file.hpp"

#include "run/exchange_files.hpp"
#include "stream/files.hpp"
#include "stream/format.hpp"

namespace work_file {

bool create(stream::TextOut &out, const stream::TextIn &exchange_file) {
    if (!stream::open_out(out, exchange::work_name)) {
        exchange::report_cannot_open(exchange::work_name);
        return false;
    }
    // The result takes the exchange file's place, and its permissions with it.
    stream::copy_permissions(exchange_file.file, out.file);
    return true;
}

void write_overflow_line(stream::TextOut &out, std::uint32_t limit) {
    // "he", two blanks, the count-exceeded notice in Shift_JIS, four blanks
    const auto line = stream::line_of(
        "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5B\x83\x6F\x81\x5B    MAX=", limit, "\n");
    stream::put(out, stream::view(line));
}

bool close(stream::TextOut &out) {
    return stream::close_out(out);
}

int hand_back() {
    if (stream::replace_file(exchange::work_name, exchange::exchange_name)) return 0;
    exchange::report_cannot_open(exchange::exchange_name);
    return -1;
}

} // namespace work_file
