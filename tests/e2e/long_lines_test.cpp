// Lines longer than one read: the reader hands a physical line over in
// pieces of at most 254 bytes. Only the first piece is read by its head; the
// later ones go where it went, echoed behind an echoed line and dropped
// behind anything else, so that no text in a long line becomes a command.
// Generated inputs too long to write out in a ".case" file.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

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
    std::string name;
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
        // the pieces after the first are echoed behind it: the line comes back whole
        LongLine{"comment255", c254 + "a\r\n", c254 + "a\r\n" + closing_default},
        LongLine{"comment256", c254 + "aa\r\n", c254 + "aa\r\n" + closing_default},
        LongLine{"comment300", c254 + "x" + std::string(45, 'y') + "\r\n#n\r\n",
                 c254 + "x" + std::string(45, 'y') + "\r\n#n\r\n" + closing_default},
        LongLine{"comment10000", comment(10000) + "\r\n",
                 comment(10000) + "\r\n" + closing_default},
        // ---- a later piece is never read by a head of its own
        // "lc7" inside a comment is text: echoed with it, and no colour is set
        LongLine{"comment_then_setting", c254 + "lc7\r\n", c254 + "lc7\r\n" + closing_default},
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
        // what follows a text record's first piece goes with it: "lc7" is dropped
        LongLine{"text_then_setting", text_record(a242) + "lc7\r\n#n\r\n",
                 text_out(std::string(231, 'A')) + "#n\r\n" + closing_default}),
    [](const testing::TestParamInfo<LongLine> &p) { return p.param.name; });

// ---- heads hidden at every piece boundary -----------------------------------------

// head, then filler to length bytes, with a record head starting at every
// 254-byte piece boundary: a text record, a setting, the header, a layer group.
std::string with_hidden_heads(const std::string &head, std::size_t length) {
    const std::string hidden[] = {"ch 5 5 1 0 \"SMUGGLED 7", "lc9", "hq", "lg3 "};
    std::string line = head;
    for (std::size_t k = 0; line.size() < length;) {
        if (line.size() % 254 == 0) line += hidden[k++ % std::size(hidden)];
        line += 'y';
    }
    line.resize(length);
    return line;
}

struct Kind {
    const char *name;
    std::string head;
    // What the whole selection of this line comes back as.
    std::string (*expected)(const std::string &line);
};

std::string whole_line_back(const std::string &line) {
    return line + "\r\n" + closing_default;
}
std::string nothing_back(const std::string &) {
    return closing_default;
}
std::string colour_back(const std::string &line) {
    return line + "\r\nlg14\r\nly14\r\nlt20\r\nlc3\r\n";
}
std::string text_back(const std::string &line) {
    const std::size_t text_from = text_record("").size();
    return text_out(line.substr(text_from, 231)) + closing_default;
}
std::string hd_back(const std::string &) {
    return "hd\r\n" + closing_default;
}

const Kind kinds[] = {
    {"comment", "#", whole_line_back},
    {"other_l_line", "lx ", whole_line_back},
    {"colour", "lc3 ", colour_back},
    {"text_record", text_record(""), text_back},
    {"line_element", " 0 0 10 0 ", nothing_back},
    {"circle", "ci 0 0 5 ", nothing_back},
    {"header", "hq ", hd_back},
    {"unknown_head", "s ", nothing_back},
};

std::vector<LongLine> hidden_head_lines() {
    std::vector<LongLine> lines;
    for (const Kind &kind : kinds)
        for (std::size_t length : {254, 255, 300, 600}) {
            const std::string line = with_hidden_heads(kind.head, length);
            lines.push_back({std::string(kind.name) + "_" + std::to_string(length), line + "\r\n",
                             kind.expected(line)});
        }
    return lines;
}

INSTANTIATE_TEST_SUITE_P(HiddenHeads, LongLines, testing::ValuesIn(hidden_head_lines()),
                         [](const testing::TestParamInfo<LongLine> &p) { return p.param.name; });

} // namespace
