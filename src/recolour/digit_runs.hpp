// The digit-run rewrite: "^$" and the pen digit before every run of ASCII
// digits, "^%" after a run that more text follows; Shift_JIS double-byte
// characters pass whole, their trail bytes never taken for digits.
#pragma once

#include <cstddef>

// The longest rewrite of a 231-byte text (116 lone digits between 115 other
// bytes) and its terminator.
constexpr std::size_t rewrite_size = 810;

// Rewrites the NUL-terminated text into out (rewrite_size bytes), terminates
// it and returns its length. A lead byte left without its trail byte at the
// end is dropped; a run still open at the end is not closed.
std::size_t mark_digit_runs(const unsigned char *text, char pen, unsigned char *out);

// The pen digit a pen switch chooses: 1..9 themselves, anything else 5.
char pen_digit(int pen_switch);
