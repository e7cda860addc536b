#include "run/line_count.hpp"

std::uint32_t count_lines(stream::TextIn &in, std::uint32_t limit) {
    return static_cast<std::uint32_t>(stream::skip_reads(in, std::size_t{limit} + 1));
}
