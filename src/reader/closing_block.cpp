#include "reader/closing_block.hpp"

#include <cstdint>

#include "stream/format.hpp"
#include "stream/text_out.hpp"

namespace {

// A free size, or a numbered text type from 1 to 10; at most one of them,
// since a free size taken sets the text type to 0.
void add_text_size(stream::LineBuf &b, const StartAttributes &start) {
    const FreeSize &size = start.free_size;
    if (size.width > 0)
        stream::append(b, "cn0 ", stream::Fixed{size.width, 2}, " ", stream::Fixed{size.height, 2},
                       " ", stream::Fixed{size.spacing, 2}, " ", size.colour, "\n");
    if (start.text_type != 0 && start.text_type <= 10)
        stream::append(b, "cn", start.text_type, "\n");
}

stream::Hex hex(int v) {
    return {static_cast<std::uint32_t>(v)};
}

} // namespace

void write_closing_block(RunState &run) {
    const StartAttributes &start = run.start;
    stream::LineBuf b;
    add_text_size(b, start);
    stream::append(b, "lg", hex(start.layer_group), "\nly", hex(start.layer), "\nlt",
                   start.line_type, "\nlc", start.line_colour, "\n");
    if (start.point_pen <= 9) stream::append(b, "pn", start.point_pen, "\n");
    stream::end_open_line(run.output);
    stream::put(run.output, b);
}
