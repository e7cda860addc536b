// Reading side of the stream layer: a binary file read as the host's text
// files are meant, CR LF becoming a single newline, every other byte (a lone
// CR, NUL, 0x1A) passing as it is. The same bytes on every platform.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace stream {

constexpr std::size_t line_buffer_size = 255; // one read returns at most 254 bytes

// Every read is followed by at least this many readable bytes past its
// terminator, so that a scan of it may load a word at a time.
constexpr std::size_t read_slack = 16;

// Where next_read copies a read that it cannot hand out in place.
using SpareRead = char[line_buffer_size + read_slack];

struct TextIn;
void close_in(TextIn &in);

// One open input file and its read-ahead; closes itself.
struct TextIn {
    std::FILE *file = nullptr;
    unsigned char buf[(1 << 16) + read_slack] = {}; // the read-ahead, and the slack behind it
    std::size_t pos = 0;                            // next byte to hand out
    std::size_t len = 0;                            // bytes held in buf
    bool at_end = false;                            // the file gave its last byte
    bool failed = false;                            // a read error was met
    unsigned permissions = 0666;                    // the file's read, write and execute bits

    TextIn() = default;
    TextIn(const TextIn &) = delete;
    TextIn &operator=(const TextIn &) = delete;
    ~TextIn() { close_in(*this); }
};

// Opens name for reading; false when it cannot be opened or read, or is no
// regular file (a directory, a pipe), so that callers report it the same way
// everywhere.
bool open_in(TextIn &in, const char *name);

// Starts reading again from the first byte; false when the file cannot seek.
bool rewind_in(TextIn &in);

// Three ways to read, which see the same reads: a record line is at most
// 254 bytes, its line end included where it fits, and the rest of a longer
// line makes the next read. The reader takes next_read, the count that the
// trace levels show first skip_reads; read_line is the plain form the other
// two are held to.

// Reads up to cap - 1 bytes into out, stopping after a newline; terminates
// out and returns the number of bytes read, 0 at the end of the file.
std::size_t read_line(TextIn &in, char *out, std::size_t cap);

// What read_line with a buffer of line_buffer_size would read, terminated,
// without a copy where it can be: a line that lies whole in the read-ahead
// and ends with CR LF is handed out where it lies, its CR turned into the
// newline and its LF into the terminator; any other read is copied to spare.
// Valid until the next read; empty at the end of the file.
std::string_view next_read(TextIn &in, SpareRead &spare);

// Passes over as many reads as next_read would make, at most most of them,
// and returns how many there were.
std::size_t skip_reads(TextIn &in, std::size_t most);

// True once a read failed for another reason than the end of the file.
bool read_failed(const TextIn &in);

} // namespace stream
