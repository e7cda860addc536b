// digit-tint-host against the real tool: every figure it reports is checked
// against the files handed over and back.
#include <gtest/gtest.h>

#include <algorithm>

#include "host_run.hpp"
#include "records.hpp"
#include "sjis.hpp"

namespace {

namespace fs = std::filesystem;
using host_test::report_field;

// The directory a report names, as in "scratch  /tmp/x (removed)".
fs::path reported_scratch(const std::string &report) {
    const std::string named = report_field(report, "scratch");
    return named.substr(0, named.rfind(" ("));
}

std::string floor_plan() {
    return host_test::read(EXAMPLES_DIR "/floor-plan.txt");
}

// One line of each kind the host may hand over, and one the tool drops.
std::string every_kind() {
    return "hq\r\n#c\r\nbz\r\nlg1\r\nly2\r\nlt3\r\nlc4\r\npn1\r\ncn2\r\ncc1\r\n 0 0 10 0\r\n"
           "ci 0 0 5\r\npt 1 1\r\npl\r\nhp1 1 2\r\nhs 1 1\r\nhcw 1 2\r\nz1\r\n"
           "ch 1 2 3 0 \"A12B\r\ncx 5 6 1 0 \"9\r\nxx\r\n\r\n";
}

// A header and so many of one line: past 9,999 lines, more than four digits number.
std::string header_and(int lines, const std::string &line) {
    std::string selection = "hq\r\n";
    for (int i = 0; i < lines; ++i) selection += line;
    return selection;
}

std::size_t count(const std::string &bytes, const std::string &what) {
    std::size_t n = 0;
    for (std::size_t at = bytes.find(what); at != std::string::npos; at = bytes.find(what, at + 1))
        ++n;
    return n;
}

std::size_t lines_starting(const std::string &file, const std::string &head) {
    return count("\r\n" + file, "\r\n" + head);
}

// "pen 3: 14" for every pen digit that opens a run in the file.
std::string runs_by_pen(const std::string &file) {
    std::string text;
    for (char pen = '0'; pen <= '9'; ++pen)
        if (std::size_t n = count(file, std::string("^$") + pen))
            text +=
                (text.empty() ? "" : ", ") + std::string("pen ") + pen + ": " + std::to_string(n);
    return text;
}

struct ExchangeCase {
    const char *title;
    std::string selection; // as handed over: Shift_JIS, CR LF
    std::vector<std::string> switches;
    const char *kinds_in; // the report's count by kind, after the total
    const char *kinds_out;
    const char *stderr_shown;
    const char *returned; // the file read back
};

// gtest names a case by its title.
void PrintTo(const ExchangeCase &c, std::ostream *os) {
    *os << c.title;
}

class Exchanges : public testing::TestWithParam<ExchangeCase> {};

TEST_P(Exchanges, ReportFiguresMatchTheFiles) {
    const ExchangeCase &c = GetParam();
    const fs::path test_dir = host_test::scratch(c.title);
    host_test::write(test_dir / "selection.txt", c.selection);
    std::vector<std::string> args{"--color=never", "--keep",        "kept", "-o",
                                  "back.txt",      "selection.txt", "--"};
    args.insert(args.end(), c.switches.begin(), c.switches.end());
    const host::ToolRun run = host_test::run_host(args, test_dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const std::string back = host_test::read(test_dir / "back.txt");
    EXPECT_EQ(back, host_test::read(test_dir / "kept" / c.returned));
    const std::string &report = run.out;
    EXPECT_EQ(report_field(report, "exit status"), "0");
    EXPECT_EQ(report_field(report, "stderr"), c.stderr_shown);
    EXPECT_EQ(report_field(report, "records in"),
              std::to_string(count(c.selection, "\r\n")) + ": " + c.kinds_in);
    EXPECT_EQ(report_field(report, "commands out"),
              std::to_string(count(back, "\r\n")) + ": " + c.kinds_out);
    EXPECT_NE(report_field(report, "commands out")
                  .find("text " +
                        std::to_string(lines_starting(back, "ch ") + lines_starting(back, "cx "))),
              std::string::npos);
    EXPECT_EQ(report_field(report, "marked runs"),
              std::to_string(count(back, "^$")) + " (" + runs_by_pen(back) + ")");
    // every returned line is listed, numbered in a column as wide as the last number
    const std::size_t lines = count(back, "\r\n");
    const int width = std::max(4, static_cast<int>(std::to_string(lines).size()));
    char first[32], last[32];
    std::snprintf(first, sizeof first, "\n%*d  ", width, 1);
    std::snprintf(last, sizeof last, "\n%*zu  ", width, lines);
    EXPECT_NE(report.find(std::string(")") + first), std::string::npos) << report.substr(0, 2000);
    EXPECT_NE(report.find(last), std::string::npos) << report.substr(0, 2000);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, Exchanges,
    testing::Values(
        ExchangeCase{
            "floor_plan",
            floor_plan(),
            {},
            "header 1, comment 1, setting 10, text 11, line element 6, circle/arc 2, point 1",
            "header 1, comment 1, setting 16, text 11",
            "(empty)",
            "JWC_TEMP.TXT"},
        ExchangeCase{
            "floor_plan_pen_3",
            floor_plan(),
            {"/k3"},
            "header 1, comment 1, setting 10, text 11, line element 6, circle/arc 2, point 1",
            "header 1, comment 1, setting 16, text 11",
            "(empty)",
            "JWC_TEMP.TXT"},
        ExchangeCase{
            "every_kind",
            every_kind(),
            {"/x"},
            "header 1, comment 1, setting 8, text 2, line element 1, circle/arc 1, point 1, "
            "poly-line mark 1, hand point 1, header table 2, z line 1, other 2",
            "header 1, comment 1, setting 14, text 2",
            "illegal Option.",
            "JWC_TEMP.TXT"},
        // 0x9F leads a double-byte character: the run behind its trail byte is one run
        ExchangeCase{"lead_byte_9f_before_a_run",
                     "ch 1 2 3 0 \"\x9f\xe0"
                     "1\r\n",
                     {},
                     "text 1",
                     "setting 4, text 1",
                     "(empty)",
                     "JWC_TEMP.TXT"},
        // a trace run leaves the exchange file alone: the work file is what is shown
        ExchangeCase{
            "trace_level_1",
            floor_plan(),
            {"/t1"},
            "header 1, comment 1, setting 10, text 11, line element 6, circle/arc 2, point 1",
            "header 1, comment 3, setting 16, text 11",
            "(empty)",
            "JWC_TEMP.$$$"},
        ExchangeCase{"ten_thousand_texts",
                     header_and(10000, "ch 1 2 3 0 \"A1\r\n"),
                     {},
                     "header 1, text 10000",
                     "header 1, setting 4, text 10000",
                     "(empty)",
                     "JWC_TEMP.TXT"},
        // 9,998 lines in, 10,002 back: the column is as wide as the lines back
        ExchangeCase{"comments_past_ten_thousand_back",
                     header_and(9996, "#c\r\n") + "ch 1 2 3 0 \"A1\r\n",
                     {},
                     "header 1, comment 9996, text 1",
                     "header 1, comment 9996, setting 4, text 1",
                     "(empty)",
                     "JWC_TEMP.TXT"}),
    host_test::by_title<ExchangeCase>);

TEST(Exchange, Utf8SelectionComesBackAsTheShiftJisOne) {
    const fs::path dir = host_test::scratch("utf8");
    std::string utf8;
    for (const auto &line : host::split_lines(floor_plan()))
        utf8 += host::sjis_to_utf8(line) + "\n";
    host_test::write(dir / "utf8.txt", utf8);
    host_test::write(dir / "sjis.txt", floor_plan());
    ASSERT_EQ(host_test::run_host({"--utf8", "-o", "a.txt", "utf8.txt"}, dir).status, 0);
    ASSERT_EQ(host_test::run_host({"-o", "b.txt", "sjis.txt"}, dir).status, 0);
    EXPECT_EQ(host_test::read(dir / "a.txt"), host_test::read(dir / "b.txt"));
}

// A selection that is not Shift_JIS but reads as UTF-8 gets one line of
// advice; the run goes on either way and cleans up after itself.
struct HintCase {
    const char *title;
    std::string selection;
    std::vector<std::string> options;
    bool hinted;
};

// gtest names a case by its title.
void PrintTo(const HintCase &c, std::ostream *os) {
    *os << c.title;
}

class Utf8Hint : public testing::TestWithParam<HintCase> {};

TEST_P(Utf8Hint, OneLineOnlyWhereUtf8IsLikely) {
    const HintCase &c = GetParam();
    const fs::path dir = host_test::scratch(std::string("hint_") + c.title);
    host_test::write(dir / "s.txt", c.selection);
    std::vector<std::string> args = c.options;
    args.push_back("s.txt");
    const host::ToolRun run = host_test::run_host(args, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, c.hinted ? "digit-tint-host: s.txt is not Shift_JIS but looks like "
                                  "UTF-8; add --utf8\n"
                                : "");
    EXPECT_EQ(report_field(run.out, "exit status"), "0");
    EXPECT_FALSE(fs::exists(reported_scratch(run.out))) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, Utf8Hint,
    testing::Values(
        HintCase{"utf8_site_plan", host_test::read(EXAMPLES_DIR "/site-plan.utf8.txt"), {}, true},
        HintCase{"utf8_converted",
                 host_test::read(EXAMPLES_DIR "/site-plan.utf8.txt"),
                 {"--utf8"},
                 false},
        HintCase{"utf8_with_byte_order_mark",
                 "\xEF\xBB\xBF"
                 "ch 1 2 3 0 \"部屋1\n",
                 {"--utf8"},
                 false},
        HintCase{"shift_jis_floor_plan", floor_plan(), {}, false},
        HintCase{"ascii_only", "ch 1 2 3 0 \"A1\r\n", {}, false},
        // 0xFF is neither: nothing to suggest
        HintCase{"neither",
                 "ch 1 2 3 0 \"\xFF"
                 "1\r\n",
                 {},
                 false},
        // a lead byte cut by the end of the file is not Shift_JIS, and not UTF-8
        HintCase{"cut_lead_byte", "ch 1 2 3 0 \"1\x82", {}, false}),
    host_test::by_title<HintCase>);

TEST(Exchange, ShowsTheTextAsTheReaderSeesIt) {
    const fs::path dir = host_test::scratch("shown");
    host_test::write(dir / "s.txt", "ch 10 20 1 0 \"\x95\x94\x89\xae"
                                    "101-B\r\n");
    const host::ToolRun plain = host_test::run_host({"--color=never", "s.txt"}, dir);
    EXPECT_NE(plain.out.find("   1  ch 10 20 1 0 \"部屋[101]-B\n"), std::string::npos) << plain.out;
    const host::ToolRun raw =
        host_test::run_host({"--raw", "--color=always", "s.txt", "--", "/k8"}, dir);
    EXPECT_NE(raw.out.find("ch 10.000000000 20.000000000 1.000000000 0.000000000 "
                           "\"部屋\x1b[31m^$8101^%\x1b[0m-B\n"),
              std::string::npos)
        << raw.out;
    // a number without a point, as only a stand-in tool writes one, is shown whole
    host_test::write(dir / "stand_in.sh",
                     "#!/bin/sh\nprintf 'ch 600 20 1 0 \"A\\r\\n' >JWC_TEMP.TXT\n");
    fs::permissions(dir / "stand_in.sh", fs::perms::owner_all);
    const host::ToolRun stand_in = host_test::run_host({"--tool", "./stand_in.sh", "s.txt"}, dir);
    EXPECT_NE(stand_in.out.find("ch 600 20 1 0 \"A\n"), std::string::npos) << stand_in.out;
}

// Each failure: one line on stderr, a non-zero status, and the scratch
// directory kept only where the tool itself failed.
struct FailureCase {
    const char *title;
    std::vector<std::string> args;
    int status;
    const char *message; // part of the line
    bool kept;
    bool report = false; // printed before the line
};

// gtest names a case by its title.
void PrintTo(const FailureCase &c, std::ostream *os) {
    *os << c.title;
}

class Failures : public testing::TestWithParam<FailureCase> {};

TEST_P(Failures, OneLineAndNonZeroStatus) {
    const FailureCase &c = GetParam();
    const fs::path dir = host_test::scratch(std::string("failure_") + c.title);
    host_test::write(dir / "sel.txt", "ch 1 2 3 0 \"A1\r\n");
    host_test::write(dir / "bad.txt", "ok\nch 1 2 3 0 \"café\n");
    host_test::write(dir / "fails.sh", "#!/bin/sh\necho boom >&2\necho again >&2\nexit 3\n");
    host_test::write(dir / "silent.sh", "#!/bin/sh\nrm jwc_temp.txt\n");
    host_test::write(dir / "hangs.sh", "#!/bin/sh\nexec sleep 30\n");
    host_test::write(dir / "over.sh", "#!/bin/sh\nexit 1\n");
    host_test::write(dir / "refuses.sh", "#!/bin/sh\necho 'Cannot open file: x ' >&2\nexit 255\n");
    for (const char *script : {"fails.sh", "silent.sh", "hangs.sh", "over.sh", "refuses.sh"})
        fs::permissions(dir / script, fs::perms::owner_all);
    fs::create_directories(dir / "full");
    host_test::write(dir / "full" / "x", "");

    const host::ToolRun run = host_test::run_host(c.args, dir);
    EXPECT_EQ(run.status, c.status);
    if (c.report) {
        EXPECT_EQ(report_field(run.out, "records in").rfind("1: text 1", 0), 0u) << run.out;
        EXPECT_EQ(fs::exists(reported_scratch(run.out)), c.kept) << run.out;
    } else {
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(run.err.rfind("digit-tint-host: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    const std::string kept_at = "scratch directory kept: ";
    const std::size_t at = run.err.find(kept_at);
    ASSERT_EQ(at != std::string::npos, c.kept) << run.err;
    if (c.kept) {
        const fs::path kept =
            run.err.substr(at + kept_at.size(), run.err.size() - at - kept_at.size() - 1);
        EXPECT_TRUE(fs::is_directory(kept)) << kept;
        fs::remove_all(kept);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, Failures,
    testing::Values(
        FailureCase{"no_selection", {}, 2, "no SELECTION given", false},
        FailureCase{"unknown_option", {"--bogus", "sel.txt"}, 2, "unknown option --bogus", false},
        FailureCase{"two_selections", {"sel.txt", "/k3"}, 2, "one SELECTION only", false},
        FailureCase{"output_is_the_selection", {"-o", "sel.txt", "sel.txt"}, 2, "same file", false},
        FailureCase{"drawing_is_the_selection", {"--svg=./sel.txt", "sel.txt"}, 2, "same", false},
        // a blank instead of "=" makes WHEN an argument of its own
        FailureCase{"color_when_apart",
                    {"--color", "always", "sel.txt"},
                    2,
                    "one SELECTION only; tool switches go after \"--\", as in -- /k3 (--color "
                    "takes WHEN after \"=\": --color=always)",
                    false},
        FailureCase{"color_when_apart_after",
                    {"sel.txt", "--color", "never"},
                    2,
                    "(--color takes WHEN after \"=\": --color=never)",
                    false},
        FailureCase{"color_when_apart_alone",
                    {"--color", "auto"},
                    1,
                    "cannot read the selection auto: No such file or directory (--color takes "
                    "WHEN after \"=\": --color=auto)",
                    false},
        FailureCase{"flag_with_value", {"--raw=yes", "sel.txt"}, 2, "--raw takes no value", false},
        FailureCase{
            "color_equals_nothing", {"--color=", "sel.txt"}, 2, "--color needs a value", false},

        FailureCase{"missing_selection", {"nothing.txt"}, 1, "cannot read the selection", false},
        FailureCase{"selection_is_a_directory", {"full"}, 1, "is a directory", false},
        FailureCase{"unencodable_utf8",
                    {"--utf8", "bad.txt"},
                    1,
                    "bad.txt: line 2, byte 16: U+00E9 \"é\" has no Shift_JIS form",
                    false},
        FailureCase{"keep_dir_not_empty", {"--keep", "full", "sel.txt"}, 2, "not empty", false},
        FailureCase{
            "keep_dir_is_a_file", {"--keep", "sel.txt", "sel.txt"}, 2, "not a directory", false},
        FailureCase{"timeout_zero", {"--timeout", "0", "sel.txt"}, 2, "not \"0\"", false},
        FailureCase{"timeout_not_a_number", {"--timeout=1m", "sel.txt"}, 2, "whole seconds", false},
        FailureCase{"output_folder_missing",
                    {"-o", "missing/back.txt", "sel.txt"},
                    1,
                    "cannot write missing/back.txt: No such file or directory",
                    false,
                    true},
        FailureCase{"drawing_folder_missing",
                    {"--svg", "missing/plan.svg", "sel.txt"},
                    1,
                    "cannot write missing/plan.svg: No such file or directory",
                    false,
                    true},
        FailureCase{"tool_hangs",
                    {"--timeout", "1", "--tool", "./hangs.sh", "sel.txt"},
                    1,
                    "the tool was still running after 1 s and was killed",
                    true,
                    true},
        FailureCase{"tool_missing",
                    {"--tool", "./none", "sel.txt"},
                    1,
                    "cannot start the tool ./none: No such file or directory",
                    false},
        FailureCase{"tool_fails",
                    {"--tool", "./fails.sh", "sel.txt"},
                    1,
                    "the tool failed with exit status 3 (stderr: boom / again)",
                    true},
        // 1 is the line limit only after a selection that passed it
        FailureCase{"tool_ends_with_1",
                    {"--tool", "./over.sh", "sel.txt"},
                    1,
                    "the tool failed with exit status 1 (stderr empty)",
                    true},
        FailureCase{"tool_refuses",
                    {"--tool", "./refuses.sh", "sel.txt"},
                    1,
                    "the tool failed with exit status 255 (-1): nothing handed back, for the "
                    "reason in its message (stderr: Cannot open file: x )",
                    true},
        FailureCase{"file_and_drawing_to_stdout",
                    {"-o", "-", "--svg", "-", "sel.txt"},
                    2,
                    "-o - and --svg - both want standard output",
                    false},
        FailureCase{
            "svg_width_too_small", {"--svg-width", "199", "sel.txt"}, 2, "not \"199\"", false},
        FailureCase{"svg_width_past_32_bits",
                    {"--svg-width", "4294967496", "sel.txt"},
                    2,
                    "not \"4294967496\"",
                    false},
        FailureCase{"tool_hands_nothing_back",
                    {"--tool", "./silent.sh", "sel.txt"},
                    1,
                    "the tool handed nothing back",
                    true}),
    host_test::by_title<FailureCase>);

} // namespace
