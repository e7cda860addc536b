// Writing side of the stream layer: every newline written goes to disk as
// CR LF, every other byte as it is, whatever the platform.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

#include "stream/format.hpp"

namespace stream {

struct TextOut;
bool close_out(TextOut &out);

// One open output file and its write buffer; closes itself.
struct TextOut {
    std::FILE *file = nullptr;
    char buf[1 << 16];
    std::size_t len = 0;
    bool line_open = false; // the last byte written was not a newline
    bool failed = false;    // a write failed

    TextOut() = default;
    TextOut(const TextOut &) = delete;
    TextOut &operator=(const TextOut &) = delete;
    ~TextOut() { close_out(*this); }
};

// Creates name as a new file with the permission bits given, never writing
// through a link or into a file that stood there; false when that fails,
// name_taken telling whether something stood under name.
bool open_new(TextOut &out, const char *name, unsigned permissions, bool &name_taken);

void put(TextOut &out, std::string_view bytes);

namespace detail {
char *line_space(TextOut &out, std::size_t n);
void end_line(TextOut &out, char *end);
} // namespace detail

// Builds one line in place in the write buffer, without a copy: build(p) is
// given room bytes at p, writes the line there without any newline, and
// returns its end; the line is then ended with CR LF.
template <std::size_t room, class Build> void put_built_line(TextOut &out, Build &&build) {
    static_assert(room + 2 <= sizeof out.buf, "a built line and its CR LF must fit the buffer");
    detail::end_line(out, build(detail::line_space(out, room)));
}

// A formatted line; one that was cut fails the output like a failed write.
inline void put(TextOut &out, const LineBuf &line) {
    if (line.cut) out.failed = true;
    put(out, view(line));
}

// Ends the output line when the last bytes written left it open, so that
// nothing written next is glued onto it.
inline void end_open_line(TextOut &out) {
    if (out.line_open) put(out, "\n");
}

// Drops everything written so far, so that the output starts again empty;
// false when the file cannot be cut.
bool restart_out(TextOut &out);

// Flushes and closes; false when any write, the flush or the close failed,
// or when nothing was open.
bool close_out(TextOut &out);

} // namespace stream
