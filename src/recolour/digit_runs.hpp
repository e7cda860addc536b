// The digit-run rewrite: "^$" and the pen digit before every run of ASCII
// digits, "^%" after a run that more text follows; Shift_JIS double-byte
// characters pass whole, their trail bytes never taken for digits.
#pragma once

#include <cstddef>
#include <span>

// The longest rewrite of a text of length bytes: lone digits between single
// other bytes, each digit given "^$", the pen and, where more text follows,
// "^%", so that every two bytes become seven and a last digit four.
constexpr std::size_t longest_rewrite(std::size_t length) {
    return (7 * length + 1) / 2;
}

// The room the rewrite of a text held in an array of text_room bytes takes,
// its terminator included.
template <std::size_t text_room>
constexpr std::size_t rewrite_room = longest_rewrite(text_room - 1) + 1;

namespace detail {
std::size_t mark_digit_runs(const unsigned char *text, char pen, unsigned char *out);
}

// Rewrites the NUL-terminated text into out, terminates it and returns its
// length. A lead byte left without its trail byte at the end is dropped; a
// run still open at the end is not closed. The array sizes tie out's room to
// the longest text the array holds, so that no rewrite can overrun it.
template <std::size_t text_room>
std::size_t mark_digit_runs(const unsigned char (&text)[text_room], char pen,
                            std::span<unsigned char, rewrite_room<text_room>> out) {
    return detail::mark_digit_runs(text, pen, out.data());
}

// The pen digit a pen switch chooses: 1..9 themselves, anything else 5.
char pen_digit(int pen_switch);
