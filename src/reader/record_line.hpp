// One record line as one read returns it: at most 254 bytes, NULs included,
// its line end included where it fitted, and a terminator behind it.
#pragma once

#include <cstddef>

struct RecordLine {
    const char *text;
    std::size_t len;
};

// The byte at offset k; 0 at or beyond the end, which matches no head byte.
inline char byte_at(const RecordLine &line, std::size_t k) {
    return k < line.len ? line.text[k] : '\0';
}

// The line from offset k on, or its terminator where k lies beyond its end,
// so that a scan there converts nothing.
inline const char *text_from(const RecordLine &line, std::size_t k) {
    return line.text + (k <= line.len ? k : line.len);
}
