// The conversions between the terminal's UTF-8 and the exchange file's
// Shift_JIS, and how a rewritten text is shown.
#include <gtest/gtest.h>

#include "host_run.hpp"
#include "report.hpp"
#include "sjis.hpp"

namespace {

struct Conversion {
    const char *title;
    std::string utf8;
    std::string exchange; // expected bytes, when it converts
    std::string error;    // expected message, when it does not
};

// gtest names a case by its title.
void PrintTo(const Conversion &c, std::ostream *os) {
    *os << c.title;
}

class Utf8ToExchange : public testing::TestWithParam<Conversion> {};

TEST_P(Utf8ToExchange, ConvertsOrNamesLineAndByte) {
    const Conversion &c = GetParam();
    std::string exchange, error;
    const bool ok = host::utf8_to_exchange(c.utf8, exchange, error);
    EXPECT_EQ(ok, c.error.empty());
    if (ok)
        EXPECT_EQ(exchange, c.exchange);
    else
        EXPECT_EQ(error, c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Utf8ToExchange,
    testing::Values(
        Conversion{"lf_becomes_cr_lf", "hq\nlc2\n", "hq\r\nlc2\r\n", ""},
        Conversion{"cr_lf_stays", "hq\r\nlc2\r\n", "hq\r\nlc2\r\n", ""},
        Conversion{"last_line_gets_its_end", "hq\nlc2", "hq\r\nlc2\r\n", ""},
        Conversion{"byte_order_mark_dropped", "\xEF\xBB\xBFhq\n", "hq\r\n", ""},
        Conversion{"empty_file", "", "", ""},
        Conversion{"empty_lines_kept", "\n\n", "\r\n\r\n", ""},
        Conversion{"kanji_and_full_width_digit", "ch 1 2 3 0 \"部屋２\n",
                   "ch 1 2 3 0 \"\x95\x94\x89\xae\x82\x51\r\n", ""},
        Conversion{"half_width_katakana", "ｱ1\n",
                   "\xb1"
                   "1\r\n",
                   ""},
        Conversion{"latin_letter_has_no_form", "ok\nch 1 2 3 0 \"café\n", "",
                   "line 2, byte 16: U+00E9 \"é\" has no Shift_JIS form"},
        Conversion{"emoji_has_no_form", "a\xF0\x9F\x98\x80", "",
                   "line 1, byte 2: U+1F600 \"\xF0\x9F\x98\x80\" has no Shift_JIS form"},
        Conversion{"invalid_byte", "ab\xFF\n", "", "line 1, byte 3: not valid UTF-8 (byte 0xFF)"},
        Conversion{"overlong_slash", "\n\n\xC0\xAF", "",
                   "line 3, byte 1: not valid UTF-8 (byte 0xC0)"},
        Conversion{"cut_sequence", "x\xE9\x83\n", "",
                   "line 1, byte 2: not valid UTF-8 (byte 0xE9)"},
        Conversion{"surrogate", "\xED\xA0\x80", "", "line 1, byte 1: not valid UTF-8 (byte 0xED)"}),
    host_test::by_title<Conversion>);

struct Shown {
    const char *title;
    std::string text; // a rewritten text, Shift_JIS
    bool raw;
    bool colour;
    std::string expected; // UTF-8
};

// gtest names a case by its title.
void PrintTo(const Shown &c, std::ostream *os) {
    *os << c.title;
}

class ShowText : public testing::TestWithParam<Shown> {};

TEST_P(ShowText, AsTheReaderSeesIt) {
    const Shown &c = GetParam();
    host::Codec codec;
    EXPECT_EQ(host::show_text(codec, c.text, c.raw, c.colour), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShowText,
    testing::Values(Shown{"brackets", "A^$512^%B", false, false, "A[12]B"},
                    Shown{"colour", "A^$512^%B", false, true, "A\x1b[35m12\x1b[0mB"},
                    Shown{"raw", "A^$512^%B", true, false, "A^$512^%B"},
                    Shown{"raw_colour", "A^$512^%B", true, true, "A\x1b[35m^$512^%\x1b[0mB"},
                    Shown{"open_at_end", "^$5345", false, false, "[345]"},
                    Shown{"pen_9", "x^$91", false, true, "x\x1b[90m1\x1b[0m"},
                    Shown{"percent_after_run", "^$550^%%", false, false, "[50]%"},
                    Shown{"escape_without_digit_is_text", "^$^$512", false, false, "^$[12]"},
                    Shown{"decimal", "^$524^%.^$55", false, false, "[24].[5]"},
                    Shown{"kanji_after_run", "^$51^%\x95\x94", false, false, "[1]部"},
                    // 0x815E ends in "^": a trail byte, never the start of an escape
                    Shown{"trail_byte_caret", "\x81^$512", false, false, "／$512"},
                    Shown{"control_byte_not_passed", "a\x1b[2Jb", false, false, "a\\x1B[2Jb"},
                    Shown{"undecodable_byte",
                          "a\xFD"
                          "b",
                          false, false, "a\\xFDb"}),
    host_test::by_title<Shown>);

} // namespace
