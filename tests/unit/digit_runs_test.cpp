#include <gtest/gtest.h>

#include <array>
#include <string>

#include "recolour/digit_runs.hpp"
#include "recolour/text_record.hpp"

namespace {

struct RewriteCase {
    std::string text;
    char pen;
    std::string expected;
};

void PrintTo(const RewriteCase &c, std::ostream *os) {
    *os << c.text;
}

std::string rewrite(const std::string &text, char pen) {
    unsigned char in[1024] = {};
    std::array<unsigned char, rewrite_room<sizeof in>> out;
    text.copy(reinterpret_cast<char *>(in), sizeof in - 1);
    return std::string(reinterpret_cast<char *>(out.data()), mark_digit_runs(in, pen, out));
}

class Rewrite : public testing::TestWithParam<RewriteCase> {};

TEST_P(Rewrite, GivesExactBytes) {
    const auto &c = GetParam();
    EXPECT_EQ(rewrite(c.text, c.pen), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, Rewrite,
    testing::Values(RewriteCase{"A12B", '5', "A^$512^%B"}, RewriteCase{"12", '5', "^$512"},
                    RewriteCase{"ABC", '5', "ABC"}, RewriteCase{"-1.5", '5', "-^$51^%.^$55"},
                    RewriteCase{"1\x82\x60"
                                "2",
                                '5', "^$51^%\x82\x60^$52"},
                    RewriteCase{"\x81"
                                "123",
                                '5',
                                "\x81"
                                "1^$523"},
                    RewriteCase{"1\xB1"
                                "2",
                                '5', "^$51^%\xB1^$52"},
                    RewriteCase{"12\x82", '5', "^$512"}, RewriteCase{"A12B", '3', "A^$312^%B"},
                    RewriteCase{"345", '5', "^$5345"}, RewriteCase{"a1b", '5', "a^$51^%b"},
                    RewriteCase{"50%", '5', "^$550^%%"}, RewriteCase{"^$512", '5', "^$512"},
                    RewriteCase{"\x82\x4F\x82\x58", '5', "\x82\x4F\x82\x58"},
                    RewriteCase{"\xE0\x31\xFC\x39"
                                "7",
                                '5', "\xE0\x31\xFC\x39^$57"},
                    RewriteCase{"\x81\x81"
                                "1",
                                '5', "\x81\x81^$51"},
                    RewriteCase{"1 2\x01"
                                "3",
                                '9', "^$91^% ^$92^%\x01^$93"},
                    RewriteCase{"", '5', ""}));

// The edges of the two lead-byte ranges, 0x81..0x9F and 0xE0..0xFC: a lead
// byte takes the byte behind it, digit or not; the bytes just outside stand alone.
INSTANTIATE_TEST_SUITE_P(LeadByteEdges, Rewrite,
                         testing::Values(RewriteCase{"\x9F"
                                                     "12",
                                                     '5',
                                                     "\x9F"
                                                     "1^$52"},
                                         RewriteCase{"\x80"
                                                     "1\xA0"
                                                     "2\xDF"
                                                     "3\xFD"
                                                     "4",
                                                     '5',
                                                     "\x80^$51^%\xA0^$52^%\xDF^$53^%\xFD^$54"}));

// Text that carries pen escapes already: an escape and the digit run right
// behind it stand as they are, whatever the pen; the rest follows the rules.
INSTANTIATE_TEST_SUITE_P(
    MarkedAlready, Rewrite,
    testing::Values(
        RewriteCase{"ROOM^$5101^%-B", '5', "ROOM^$5101^%-B"},
        RewriteCase{"ROOM^$5101^%-B", '3', "ROOM^$5101^%-B"},
        RewriteCase{"^$5101-B", '5', "^$5101-B"}, // a run the user left open
        RewriteCase{"^$9", '5', "^$9"},           // an escape with no run behind
        RewriteCase{"12^$534", '5', "^$512^%^$534"}, RewriteCase{"^$512 7", '5', "^$512 ^$57"},
        RewriteCase{"^$A1", '5', "^$A^$51"}, // "^$" without its digit is text
        RewriteCase{"^1", '5', "^^$51"}, RewriteCase{"^$", '5', "^$"}, RewriteCase{"a^", '5', "a^"},
        // a trail byte 0x5E is no escape: the digit after "$" is marked
        RewriteCase{"^$1", '5', "^$^$51"}, RewriteCase{"ú^$52{", '5', "ú^$52{"},
        RewriteCase{"ú"
                    "12{",
                    '5', "ú^$512^%{"}));

// Marking the result again changes nothing, with the same pen or another.
TEST(Rewrite, MarkingTwiceChangesNothing) {
    const char *texts[] = {"ROOM101-B",
                           "1a2b3",
                           "12",
                           "-1.5",
                           "W1200xH2100",
                           ""
                           "123",
                           "50%",
                           "út 2026-12-08",
                           "^1^$",
                           "1±"
                           "2"};
    for (const char *t : texts) {
        const std::string once = rewrite(t, '5');
        EXPECT_EQ(rewrite(once, '5'), once) << t;
        EXPECT_EQ(rewrite(once, '7'), once) << t;
    }
}

TEST(Rewrite, WorstCaseFillsTheBufferExactly) {
    std::string text;
    for (int i = 0; i < 115; ++i) text += "1a";
    text += "1"; // 231 bytes: 116 lone digits between 115 other bytes
    ASSERT_EQ(text.size(), TextRecord::cut_length);
    const std::string out = rewrite(text, '5');
    EXPECT_EQ(out.size(), rewrite_room<sizeof TextRecord::text> - 1);
}

TEST(PenDigit, OnlyOneToNineChooseTheirOwn) {
    EXPECT_EQ(pen_digit(20), '5');
    EXPECT_EQ(pen_digit(0), '5');
    EXPECT_EQ(pen_digit(-1), '5');
    EXPECT_EQ(pen_digit(10), '5');
    for (int k = 1; k <= 9; ++k) EXPECT_EQ(pen_digit(k), '0' + k);
}

} // namespace
