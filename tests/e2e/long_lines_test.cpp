// Lines longer than one read: the reader hands a physical line over in
// pieces of at most 254 bytes, and each piece is taken as a line of its own.
// One table of generated inputs too long to write out in a ".case" file.
#include <gtest/gtest.h>

#include <string>

#include "support/files.hpp"
#include "support/same_bytes.hpp"
#include "support/scratch.hpp"
#include "tool_run.hpp"

namespace {

const std::string closing_default = "lg14\r\nly14\r\nlt20\r\nlc20\r\n";

// "#" and then filler up to length bytes; built by appending, which g++ 12
// does not misread as an overlapping copy the way it does "#" + std::string(n, c).
std::string comment(std::size_t length, char filler = 'a') {
    std::string s(1, '#');
    s.append(length - 1, filler);
    return s;
}

std::string text_record(const std::string &text) {
    return "ch 1 2 3 4 \"" + text;
}
std::string text_out(const std::string &text) {
    return "ch 1.000000000 2.000000000 3.000000000 4.000000000 \"" + text + "\r\n";
}

struct LongLine {
    const char *name;
    std::string input;    // the whole selection
    std::string expected; // JWC_TEMP.TXT after the run, closing block included
};

void PrintTo(const LongLine &c, std::ostream *os) {
    *os << c.name;
}

class LongLines : public testing::TestWithParam<LongLine> {};

TEST_P(LongLines, AreTakenInPiecesOf254Bytes) {
    const LongLine &c = GetParam();
    const support::ScratchDir dir("long-line");
    support::write_file(dir / "jwc_temp.txt", c.input);
    const e2e::Outcome o = e2e::run_tool(dir.path(), {});
    ASSERT_EQ(o.status, 0) << o.err;
    ASSERT_EQ(o.files.size(), 1u);
    EXPECT_SAME_BYTES(o.files.at("JWC_TEMP.TXT"), c.expected);
}

const std::string c254 = comment(254);
const std::string a242 = std::string(242, 'A');

INSTANTIATE_TEST_SUITE_P(
    Generated, LongLines,
    testing::Values(
        // ---- comments: the first piece is echoed and ended, whatever follows
        // 253 bytes and the newline fit one read
        LongLine{"comment253", comment(253) + "\r\n#n\r\n",
                 comment(253) + "\r\n#n\r\n" + closing_default},
        // 254 bytes: the newline comes as a piece of its own; the line is ended all the same
        LongLine{"comment254", c254 + "\r\n#n\r\n", c254 + "\r\n#n\r\n" + closing_default},
        // a 254-byte last line without a line end is ended before the closing block
        LongLine{"comment254_at_end", c254, c254 + "\r\n" + closing_default},
        // the 255th byte comes as a piece of its own, "a" and the newline: no head, dropped
        LongLine{"comment255", c254 + "a\r\n", c254 + "\r\n" + closing_default},
        LongLine{"comment256", c254 + "aa\r\n", c254 + "\r\n" + closing_default},
        LongLine{"comment300", c254 + "x" + std::string(45, 'y') + "\r\n#n\r\n",
                 c254 + "\r\n#n\r\n" + closing_default},
        // 40 pieces, the first echoed, the others beginning with "a" dropped
        LongLine{"comment10000", comment(10000) + "\r\n", c254 + "\r\n" + closing_default},
        // ---- later pieces with a head of their own are taken by it
        // what a continuation piece writes follows its first piece directly
        LongLine{"comment_then_setting", c254 + "lc7\r\n",
                 c254 + "lc7\r\nlg14\r\nly14\r\nlt20\r\nlc7\r\n"},
        // every piece begins with "l" and another byte: every piece echoed, glued together
        LongLine{"l255", std::string(255, 'l') + "\r\n",
                 std::string(255, 'l') + "\r\n" + closing_default},
        LongLine{"l256", std::string(256, 'l') + "\r\n",
                 std::string(256, 'l') + "\r\n" + closing_default},
        LongLine{"l10000", std::string(10000, 'l') + "\r\n",
                 std::string(10000, 'l') + "\r\n" + closing_default},
        // ---- text records: the text is cut at 231 bytes
        LongLine{"text240", text_record(std::string(240, 'T')) + "\r\n",
                 text_out(std::string(231, 'T')) + closing_default},
        // a lead byte at the 231st byte loses its trail byte to the cut and is dropped
        LongLine{"text_lead_byte_at_231", text_record(std::string(230, 'u') + "\x82\xA0") + "\r\n",
                 text_out(std::string(230, 'u')) + closing_default},
        // "1" and a lead byte at bytes 230 and 231: the run stays open, the lead byte is dropped
        LongLine{"text_digit_then_lead_byte_at_231",
                 text_record(std::string(229, 'A') + "1\x82\x4F") + "\r\n",
                 text_out(std::string(229, 'A') + "^$51") + closing_default},
        // the first piece holds 242 digits, cut to 231; the pieces of sevens after it are dropped
        LongLine{"text10000", text_record(std::string(10000 - 12, '7')) + "\r\n",
                 text_out(std::string("^$5").append(231, '7')) + closing_default},
        // a 254-byte text record: its newline comes alone, and the record's line is ended once
        LongLine{"text254", text_record(a242) + "\r\n#n\r\n",
                 text_out(std::string(231, 'A')) + "#n\r\n" + closing_default},
        // a later piece that is a setting: echoed on a line of its own after the text record.
        // (Where later pieces stop being taken by their own head, "lc7" goes.)
        LongLine{"text_then_setting", text_record(a242) + "lc7\r\n#n\r\n",
                 text_out(std::string(231, 'A')) + "lc7\r\n#n\r\nlg14\r\nly14\r\nlt20\r\nlc7\r\n"}),
    [](const testing::TestParamInfo<LongLine> &p) { return std::string(p.param.name); });

} // namespace
