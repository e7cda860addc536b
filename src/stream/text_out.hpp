// Writing side of the stream layer: every newline written goes to disk as
// CR LF, every other byte as it is, whatever the platform.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

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

// Removes name, a file of the caller's own, and creates it anew.
bool open_out(TextOut &out, const char *name);

void put(TextOut &out, std::string_view bytes);

// A line built in place in the write buffer, without a copy: line_space
// gives room for n bytes (n at most half the buffer), the caller writes the
// line there without any newline, and end_line ends it at end with CR LF.
char *line_space(TextOut &out, std::size_t n);
void end_line(TextOut &out, char *end);

// Ends the output line when the last bytes written left it open, so that
// nothing written next is glued onto it.
inline void end_open_line(TextOut &out) {
    if (out.line_open) put(out, "\n");
}

// Flushes and closes; false when any write, the flush or the close failed,
// or when nothing was open.
bool close_out(TextOut &out);

} // namespace stream
