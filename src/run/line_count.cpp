#include "run/line_count.hpp"

std::uint32_t count_lines(stream::TextIn &in, std::uint32_t limit) {
    std::uint32_t count = 0;
    while (count <= limit && stream::skip_line(in) != 0) ++count;
    return count;
}
