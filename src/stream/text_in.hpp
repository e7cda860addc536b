// Reading side of the stream layer: a binary file read as the host's text
// files are meant, CR LF becoming a single newline, every other byte (a lone
// CR, NUL, 0x1A) passing as it is. The same bytes on every platform.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

#include "stream/record_line.hpp"

namespace stream {

constexpr std::size_t line_buffer_size = 255; // a record line is at most 254 bytes

// Every record line is followed by at least this many readable bytes past its
// terminator, so that a scan of it may load a word at a time.
constexpr std::size_t read_slack = 16;

// Where next_record_line copies a record line that it cannot hand out in place.
using SpareRecordLine = char[line_buffer_size + read_slack];

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

// Reads file, opened already, with its permission bits; false, the file
// closed, where it is null or cannot be read.
bool adopt_in(TextIn &in, std::FILE *file, unsigned permissions);

// Starts reading again from the first byte; false when the file cannot seek.
bool rewind_in(TextIn &in);

// Three ways to read, which see the same record lines (record_line.hpp):
// the reader takes next_record_line, the count that the trace levels show
// first skip_record_lines; read_line is the plain form the other two are
// held to.

// Reads up to cap - 1 bytes into out, stopping after a newline; terminates
// out and returns the number of bytes read, 0 at the end of the file.
std::size_t read_line(TextIn &in, char *out, std::size_t cap);

// What read_line with a buffer of line_buffer_size would read, terminated,
// without a copy where it can be: a line that lies whole in the read-ahead
// and ends with CR LF is handed out where it lies, its CR turned into the
// newline and its LF into the terminator; any other is copied to spare.
// Valid until the next read; empty at the end of the file.
RecordLine next_record_line(TextIn &in, SpareRecordLine &spare);

// Passes over as many record lines as next_record_line would give, at most
// most of them, and returns how many there were.
std::size_t skip_record_lines(TextIn &in, std::size_t most);

// True once a read failed for another reason than the end of the file.
bool read_failed(const TextIn &in);

} // namespace stream
