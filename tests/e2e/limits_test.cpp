// Generated cases too large to write out: the 150000-line limit, and long
// rewrites handed back whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/files.hpp"
#include "support/same_bytes.hpp"
#include "support/scratch.hpp"
#include "tool_run.hpp"

namespace {

const std::string closing_default = "lg14\r\nly14\r\nlt20\r\nlc20\r\n";

std::string text_line(const std::string &text) {
    return "ch 1 2 3 4 \"" + text + "\r\n";
}
std::string text_out(const std::string &text) {
    return "ch 1.000000000 2.000000000 3.000000000 4.000000000 \"" + text + "\r\n";
}

e2e::Outcome run_on(const std::string &input, const std::vector<std::string> &args = {}) {
    const support::ScratchDir dir("limits");
    support::write_file(dir / "jwc_temp.txt", input);
    return e2e::run_tool(dir.path(), args); // the outcome holds every file's bytes
}

std::string repeat_lines(const std::string &line, int n) {
    std::string s;
    s.reserve(line.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) s += line;
    return s;
}

TEST(LineLimit, ExactlyTheLimitIsProcessed) {
    const std::string input = repeat_lines(text_line("R1"), 150000);
    const e2e::Outcome o = run_on(input);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.files.size(), 1u);
    const std::string body = repeat_lines(text_out("R^$51"), 150000);
    EXPECT_SAME_BYTES(o.files.at("JWC_TEMP.TXT"), body + closing_default);
    // a trace level counts the lines before it writes: not one too many either
    const e2e::Outcome traced = run_on(input, {"/t1"});
    ASSERT_EQ(traced.status, 0) << traced.err;
    EXPECT_EQ(traced.files.size(), 2u);
    EXPECT_EQ(traced.files.at("JWC_TEMP.$$$").compare(0, body.size(), body), 0);
}

// A normal run learns the count as it reads, a trace level counts first:
// the same overflow line either way.
class OneLineMore : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(OneLineMore, GivesTheOverflowLineAndLeavesTheInput) {
    const std::string input = repeat_lines("#\r\n", 150001);
    const e2e::Outcome o = run_on(input, GetParam());
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.files.size(), 2u);
    EXPECT_SAME_BYTES(o.files.at("JWC_TEMP.TXT"), input);
    EXPECT_SAME_BYTES(
        o.files.at("JWC_TEMP.$$$"),
        "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5B\x83\x6F\x81\x5B    MAX=150000\r\n");
}

INSTANTIATE_TEST_SUITE_P(Levels, OneLineMore,
                         testing::Values(std::vector<std::string>{},
                                         std::vector<std::string>{"/t1"},
                                         std::vector<std::string>{"/t5"}));

TEST(LineLimit, ALongLineCountsOncePerPiece) {
    // 75000 lines of 300 bytes are 150000 reads: still within the limit
    std::string line(1, '#');
    line.append(298, 'z') += "\n";
    EXPECT_EQ(run_on(repeat_lines(line, 75000)).status, 0);
    EXPECT_EQ(run_on(repeat_lines(line, 75000) + "#\n").status, 1);
}

TEST(HandBack, LongRewritesComeBackWhole) {
    // each text grows from 231 bytes to a 809-byte rewrite: far more output reads than input lines
    std::string text;
    for (int i = 0; i < 115; ++i) text += "1a";
    text += "1";
    std::string rewritten;
    for (int i = 0; i < 115; ++i) rewritten += "^$51^%a";
    rewritten += "^$51";
    const e2e::Outcome o = run_on(repeat_lines(text_line(text), 150000));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.files.size(), 1u);
    EXPECT_SAME_BYTES(o.files.at("JWC_TEMP.TXT"),
                      repeat_lines(text_out(rewritten), 150000) + closing_default);
}

// A trace line too long for its buffer reaches stdout cut: the run fails as
// it does when stdout is lost, and leaves nothing in the work file.
TEST(TraceOutput, ALineCutToFitFailsTheRun) {
    const std::string input = text_line("R1");
    const e2e::Outcome o = run_on(input, {"/t3", "/s" + std::string(5000, 'w')});
    EXPECT_EQ(o.status, 255);
    EXPECT_EQ(o.err, "Cannot open file: stdout \n");
    EXPECT_EQ(o.files.size(), 1u);
    EXPECT_SAME_BYTES(o.files.at("JWC_TEMP.TXT"), input);
}

} // namespace
