// A record line: what one read of the exchange file returns, at most 254
// bytes, NULs included, its line end included where it fitted, and a
// terminator behind it. A physical line longer than that comes as several
// record lines; those after its first are its continuations.
#pragma once

#include <cstddef>
#include <string_view>

using RecordLine = std::string_view;

// The byte at offset k; 0 at or beyond the end, which matches no head byte.
inline char byte_at(RecordLine line, std::size_t k) {
    return k < line.size() ? line[k] : '\0';
}

// The line from offset k on, or its terminator where k lies beyond its end,
// so that a scan there converts nothing.
inline const char *text_from(RecordLine line, std::size_t k) {
    return line.data() + (k <= line.size() ? k : line.size());
}
