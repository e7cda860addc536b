// Generated cases too large to write out: long lines, the 231-byte cut and
// the 150000-line limit.
#include <gtest/gtest.h>

#include <string>

#include "case_file.hpp"
#include "tool_run.hpp"

namespace {

const std::string closing_default = "lg14\r\nly14\r\nlt20\r\nlc20\r\n";

std::string text_line(const std::string &text) {
    return "ch 1 2 3 4 \"" + text + "\r\n";
}
std::string text_out(const std::string &text) {
    return "ch 1.000000000 2.000000000 3.000000000 4.000000000 \"" + text + "\r\n";
}

e2e::Outcome run_on(const std::string &name, const std::string &input,
                    const std::vector<std::string> &args = {}) {
    const auto dir = e2e::scratch_dir(name);
    e2e::write_file(dir / "jwc_temp.txt", input);
    e2e::Outcome o = e2e::run_tool(dir, args);
    e2e::discard(dir); // the outcome holds every file's bytes
    return o;
}

struct LongLine {
    const char *name;
    std::string input;
    std::string expected; // JWC_TEMP.TXT after a run
};

class LongLines : public testing::TestWithParam<LongLine> {};

TEST_P(LongLines, AreReadInPiecesOf254Bytes) {
    const LongLine &c = GetParam();
    const e2e::Outcome o = run_on(c.name, c.input);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(e2e::show(o.files.at("JWC_TEMP.TXT")), e2e::show(c.expected));
}

// "#" and n copies of c; built by appending, which g++ 12 does not misread
// as an overlapping copy the way it does "#" + std::string(n, c).
std::string comment_line(std::size_t n, char c) {
    std::string s(1, '#');
    s.append(n, c);
    return s;
}

const std::string c253 = comment_line(252, 'a');
const std::string c254 = comment_line(253, 'b');
const std::string t240 = std::string(240, 'T');
const std::string t230_lead = std::string(230, 'u') + "\x82\xA0";

INSTANTIATE_TEST_SUITE_P(
    Generated, LongLines,
    testing::Values(
        // 253 bytes and the newline fit one read
        LongLine{"c253", c253 + "\r\n#n\r\n", c253 + "\r\n#n\r\n" + closing_default},
        // 254 bytes: the newline comes as a piece of its own; the line is ended all the same
        LongLine{"c254", c254 + "\r\n#n\r\n", c254 + "\r\n#n\r\n" + closing_default},
        // the later piece of an echoed line is echoed behind it: the line comes back whole
        LongLine{"c300", c254 + "x" + std::string(45, 'y') + "\r\n#n\r\n",
                 c254 + "x" + std::string(45, 'y') + "\r\n#n\r\n" + closing_default},
        // a later piece is never a record of its own: "lc7" in a comment sets nothing
        LongLine{"c260", c254 + "lc7\r\n", c254 + "lc7\r\n" + closing_default},
        // a 254-byte last line without a line end is ended before the closing block
        LongLine{"c254eof", c254, c254 + "\r\n" + closing_default},
        // the text is cut at 231 bytes
        LongLine{"t240", text_line(t240), text_out(t240.substr(0, 231)) + closing_default},
        // a lead byte at the 231st byte loses its trail byte to the cut and is dropped
        LongLine{"t231lead", text_line(t230_lead),
                 text_out(std::string(230, 'u')) + closing_default}),
    [](const testing::TestParamInfo<LongLine> &p) { return std::string(p.param.name); });

std::string repeat_lines(const std::string &line, int n) {
    std::string s;
    s.reserve(line.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) s += line;
    return s;
}

TEST(LineLimit, ExactlyTheLimitIsProcessed) {
    const std::string input = repeat_lines(text_line("R1"), 150000);
    const e2e::Outcome o = run_on("limit", input);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.files.size(), 1u);
    EXPECT_EQ(o.files.at("JWC_TEMP.TXT"),
              repeat_lines(text_out("R^$51"), 150000) + closing_default);
}

TEST(LineLimit, OneLineMoreGivesTheOverflowLineAndLeavesTheInput) {
    const std::string input = repeat_lines("#\r\n", 150001);
    const e2e::Outcome o = run_on("overflow", input);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.files.size(), 2u);
    EXPECT_EQ(o.files.at("JWC_TEMP.TXT"), input);
    EXPECT_EQ(
        e2e::show(o.files.at("JWC_TEMP.$$$")),
        e2e::show(
            "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5B\x83\x6F\x81\x5B    MAX=150000\r\n"));
}

TEST(LineLimit, ALongLineCountsOncePerPiece) {
    // 75000 lines of 300 bytes are 150000 reads: still within the limit
    const std::string line = comment_line(298, 'z') + "\n";
    const e2e::Outcome o = run_on("pieces", repeat_lines(line, 75000));
    ASSERT_EQ(o.status, 0);
    const e2e::Outcome over = run_on("pieces_over", repeat_lines(line, 75000) + "#\n");
    EXPECT_EQ(over.status, 1);
}

TEST(HandBack, LongRewritesComeBackWhole) {
    // each text grows from 231 bytes to a 809-byte rewrite: far more output reads than input lines
    std::string text;
    for (int i = 0; i < 115; ++i) text += "1a";
    text += "1";
    std::string rewritten;
    for (int i = 0; i < 115; ++i) rewritten += "^$51^%a";
    rewritten += "^$51";
    const e2e::Outcome o = run_on("long_rewrites", repeat_lines(text_line(text), 150000));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.files.size(), 1u);
    const std::string &out = o.files.at("JWC_TEMP.TXT");
    EXPECT_EQ(out.size(), 150000 * text_out(rewritten).size() + closing_default.size());
    EXPECT_TRUE(out == repeat_lines(text_out(rewritten), 150000) + closing_default);
}

} // namespace
