// The command line: --help made from the option table, --version, and the
// standard streams as a SELECTION of "-" and an -o of "-".
#include <gtest/gtest.h>

#include <sstream>

#include "host_run.hpp"
#include "options.hpp"
#include "records.hpp"
#include "sjis.hpp"

namespace {

namespace fs = std::filesystem;
using host_test::report_field;

std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool has_line_starting(const std::string &text, const std::string &start) {
    for (const std::string &line : lines_of(text))
        if (line.rfind(start, 0) == 0) return true;
    return false;
}

TEST(Help, ListsEveryOptionOfTheTableAndTouchesNothing) {
    const fs::path dir = host_test::scratch("help");
    for (const char *asked : {"--help", "-h"}) {
        const host::ToolRun run = host_test::run_host({asked, "--bogus-is-not-reached"}, dir);
        EXPECT_EQ(run.status, 2) << "an unknown option is refused before the help";
    }
    for (const char *asked : {"--help", "-h"}) {
        const host::ToolRun run = host_test::run_host({asked}, dir);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        for (const host::OptionSpec &entry : host::option_table()) {
            std::string label = std::string("  ").append(entry.names);
            if (entry.takes == host::Takes::value) label.append(" ").append(entry.value);
            if (entry.takes == host::Takes::optional_value)
                label.append("[=").append(entry.value).append("]");
            EXPECT_TRUE(has_line_starting(run.out, label.append(" "))) << label << "\n" << run.out;
            const std::string_view first_line = entry.help.substr(0, entry.help.find('\n'));
            EXPECT_NE(run.out.find(first_line), std::string::npos) << first_line;
        }
        for (const char *part : {"NO_COLOR", "Exit status:", "  0 ", "  1 ", "  2 ", "128+N",
                                 "Examples:\n  digit-tint-host "})
            EXPECT_NE(run.out.find(part), std::string::npos) << part;
        for (const std::string &line : lines_of(run.out))
            EXPECT_LE(host::sjis_to_utf8(line).size(), 80u) << line;
    }
    EXPECT_TRUE(fs::is_empty(dir));
}

// Each spelling in the table is one the parser takes.
TEST(Options, EverySpellingOfTheTableParses) {
    for (const host::OptionSpec &entry : host::option_table())
        for (std::string_view name : host::spellings(entry)) {
            std::vector<std::string> words{"digit-tint-host", std::string(name)};
            if (entry.takes == host::Takes::value)
                words.push_back(name == "--timeout" || name == "--svg-width" ? "500" : "x");
            words.push_back("sel.txt");
            std::vector<char *> argv;
            for (auto &w : words) argv.push_back(w.data());
            host::Options options;
            std::string error;
            EXPECT_TRUE(
                host::parse_options(static_cast<int>(argv.size()), argv.data(), options, error))
                << name << ": " << error;
        }
}

TEST(Version, NamesTheProgramAndItsVersion) {
    const fs::path dir = host_test::scratch("version");
    const host::ToolRun run = host_test::run_host({"--version"}, dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "digit-tint-host " DIGIT_TINT_VERSION "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(fs::is_empty(dir));
}

struct StreamCase {
    const char *title;
    std::vector<std::string> args;
    bool from_stdin = false;                  // the floor plan on standard input
    bool utf8 = false;                        // as UTF-8, where it comes on standard input
    bool file_to_stdout = false;              // the returned file on stdout, the report on stderr
    bool listed = true;                       // the report lists the returned commands
    const char *selection = "floor-plan.txt"; // as the report names it
};

// gtest names a case by its title.
void PrintTo(const StreamCase &c, std::ostream *os) {
    *os << c.title;
}

class Streams : public testing::TestWithParam<StreamCase> {};

std::string floor_plan_utf8() {
    std::string utf8;
    for (const auto &line : host::split_lines(host_test::read(EXAMPLES_DIR "/floor-plan.txt")))
        utf8 += host::sjis_to_utf8(line) + "\n";
    return utf8;
}

TEST_P(Streams, SameFileBackWhereverItComesFromAndGoes) {
    const StreamCase &c = GetParam();
    const fs::path dir = host_test::scratch(std::string("streams_") + c.title);
    const std::string plan = host_test::read(EXAMPLES_DIR "/floor-plan.txt");
    host_test::write(dir / "floor-plan.txt", plan);
    ASSERT_EQ(host_test::run_host({"-o", "reference.txt", "floor-plan.txt"}, dir).status, 0);

    host_test::HostCall call;
    if (c.from_stdin) call.input = c.utf8 ? floor_plan_utf8() : plan;
    std::vector<std::string> args{"--color=never"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const host::ToolRun run = host_test::run_host(args, dir, call);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string returned = c.file_to_stdout ? run.out : host_test::read(dir / "back.txt");
    EXPECT_EQ(returned, host_test::read(dir / "reference.txt"));
    const std::string &report = c.file_to_stdout ? run.err : run.out;
    EXPECT_EQ(report_field(report, "selection"), c.selection);
    EXPECT_EQ(report_field(report, "records in").substr(0, 3), "32:") << report;
    EXPECT_EQ(report_field(report, "commands out").substr(0, 3), "29:") << report;
    EXPECT_EQ(report.find("returned commands") != std::string::npos, c.listed) << report;
    EXPECT_EQ(report.find("\n  29  ") != std::string::npos, c.listed) << report;
}

INSTANTIATE_TEST_SUITE_P(StandardStreams, Streams,
                         testing::Values(StreamCase{.title = "file_to_file",
                                                    .args = {"-o", "back.txt", "floor-plan.txt"}},
                                         StreamCase{.title = "file_to_stdout",
                                                    .args = {"-o", "-", "floor-plan.txt"},
                                                    .file_to_stdout = true},
                                         StreamCase{.title = "output_joined_to_stdout",
                                                    .args = {"--output=-", "floor-plan.txt"},
                                                    .file_to_stdout = true},
                                         StreamCase{.title = "stdin_to_file",
                                                    .args = {"-o", "back.txt", "-"},
                                                    .from_stdin = true,
                                                    .selection = "standard input"},
                                         StreamCase{.title = "stdin_to_stdout",
                                                    .args = {"-o", "-", "-"},
                                                    .from_stdin = true,
                                                    .file_to_stdout = true,
                                                    .selection = "standard input"},
                                         StreamCase{.title = "utf8_stdin_to_stdout",
                                                    .args = {"--utf8", "-o", "-", "-"},
                                                    .from_stdin = true,
                                                    .utf8 = true,
                                                    .file_to_stdout = true,
                                                    .selection = "standard input"},
                                         StreamCase{.title = "summary",
                                                    .args = {"--summary", "-o", "back.txt",
                                                             "floor-plan.txt"},
                                                    .listed = false},
                                         StreamCase{.title = "summary_stdin_to_stdout",
                                                    .args = {"--summary", "-o", "-", "-"},
                                                    .from_stdin = true,
                                                    .file_to_stdout = true,
                                                    .listed = false,
                                                    .selection = "standard input"}),
                         host_test::by_title<StreamCase>);

} // namespace
