// The digit-run rewrite: "^$" and the pen digit before every run of ASCII
// digits, "^%" after a run that more text follows; Shift_JIS double-byte
// characters pass whole, their trail bytes never taken for digits.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// What the rewrite writes around a digit run: the pen escape and the pen
// digit before it, the reset behind it.
constexpr std::string_view pen_escape = "^$";
constexpr std::string_view reset_escape = "^%";

// A lone digit marked: the pen escape, the pen digit and the digit.
constexpr std::size_t marked_digit_length = pen_escape.size() + 2;
// A lone digit marked and reset, then the single other byte that follows it.
constexpr std::size_t marked_pair_length = marked_digit_length + reset_escape.size() + 1;

// The longest rewrite of a text of length bytes: lone digits between single
// other bytes, each pair marked and reset, and a last digit only marked.
constexpr std::size_t longest_rewrite(std::size_t length) {
    return length / 2 * marked_pair_length + length % 2 * marked_digit_length;
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
