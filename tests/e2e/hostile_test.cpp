// Hostile input too odd for a ".case" file: files that are directories,
// permissions that refuse, and the memory a run takes. (Long lines: see
// long_lines_test.cpp.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

#include "support/files.hpp"
#include "support/scratch.hpp"
#include "support/selection.hpp"
#include "tool_run.hpp"

namespace {

namespace fs = std::filesystem;

// ---- files that are not what they should be ------------------------------------

const std::string selection = "#mine\r\nlc3\r\n";
const std::string cannot_open_exchange = "Cannot open file: JWC_TEMP.TXT \n";
const std::string cannot_open_work = "Cannot open file: JWC_TEMP.$$$ \n";
const std::string cannot_open_host = "Cannot open file: jwc_temp.txt \n";

struct Refusal {
    const char *name;
    std::function<void(const fs::path &)> set_up;
    std::string expected_err;
    std::map<std::string, std::string> expected_files; // the regular files left
    const char *expected_directory;                    // a directory left under this name
    bool needs_permissions;                            // void where permissions do not stop reads
};

void put(const fs::path &dir, const char *name, const std::string &bytes = selection) {
    support::write_file(dir / name, bytes);
}

// Where the process may read and write despite permission bits (root), those cases say nothing.
bool permissions_stop_reads(const fs::path &dir) {
    const fs::path probe = dir / "probe";
    support::write_file(probe, "x");
    fs::permissions(probe, fs::perms::none);
    const bool refused = !std::ifstream(probe).is_open();
    fs::remove(probe);
    return refused;
}

constexpr unsigned nobody = 65534;

// Running the tool as another user needs root and no emulator of ours in between.
bool can_switch_user() {
    const char *emulator = std::getenv("DIGIT_TINT_EMULATOR");
    return geteuid() == 0 && !(emulator && *emulator);
}

// Gives dir and what it holds to user, keeping their permission bits.
void hand_over(const fs::path &dir, unsigned user) {
    EXPECT_EQ(chown(dir.c_str(), user, user), 0);
    for (const auto &entry : fs::directory_iterator(dir))
        EXPECT_EQ(chown(entry.path().c_str(), user, user), 0);
}

void PrintTo(const Refusal &c, std::ostream *os) {
    *os << c.name;
}

class Refusals : public testing::TestWithParam<Refusal> {};

TEST_P(Refusals, AreReportedAndLeaveTheSelectionWhole) {
    const Refusal &c = GetParam();
    const support::ScratchDir scratch("refusal");
    const fs::path &dir = scratch.path();
    // Permission bits do not stop root: run the tool as an unprivileged user then.
    const unsigned as_user = c.needs_permissions && !permissions_stop_reads(dir) ? nobody : 0;
    if (as_user != 0 && !can_switch_user())
        GTEST_SKIP() << "permission bits do not stop this process, and it cannot run the tool as "
                        "another user";
    c.set_up(dir);
    if (as_user != 0) hand_over(dir, as_user);
    const support::Exit o = e2e::run_tool_alone(dir, {}, as_user);
    if (o.status == e2e::not_started)
        GTEST_SKIP() << "the tool cannot be started as user " << as_user << " here";
    // Give every permission back, so that what was left can be read.
    support::make_removable(dir);
    EXPECT_EQ(o.status, 255);
    EXPECT_EQ(o.err, c.expected_err);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(support::read_files(dir), c.expected_files);
    if (c.expected_directory) {
        EXPECT_TRUE(fs::is_directory(dir / c.expected_directory));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusals,
    testing::Values(
        // the take-over moves no directory: it is refused where it stands
        Refusal{"host_name_is_directory",
                [](const fs::path &d) { fs::create_directory(d / "jwc_temp.txt"); },
                "Cannot open file: jwc_temp.txt \n",
                {},
                "jwc_temp.txt",
                false},
        // (where names ignore case, it stands under the host's name too, named first)
        Refusal{"exchange_name_is_directory",
                [](const fs::path &d) { fs::create_directory(d / "JWC_TEMP.TXT"); },
                e2e::tool_ignores_case() ? "Cannot open file: jwc_temp.txt \n"
                                         : cannot_open_exchange,
                {},
                "JWC_TEMP.TXT",
                false},
        // a file cannot replace a directory: the take-over moves nothing
        Refusal{"selection_beside_a_directory_exchange_name",
                [](const fs::path &d) {
                    put(d, "jwc_temp.txt");
                    fs::create_directory(d / "JWC_TEMP.TXT");
                },
                cannot_open_exchange,
                {{"jwc_temp.txt", selection}},
                "JWC_TEMP.TXT",
                false},
        Refusal{"work_name_is_directory",
                [](const fs::path &d) {
                    put(d, "jwc_temp.txt");
                    fs::create_directory(d / "JWC_TEMP.$$$");
                },
                cannot_open_work,
                {{"JWC_TEMP.TXT", selection}},
                "JWC_TEMP.$$$",
                false},
        // nothing can be renamed: the selection stays under the host's name, untouched
        Refusal{"read_only_directory_with_host_name",
                [](const fs::path &d) {
                    put(d, "jwc_temp.txt");
                    fs::permissions(d, fs::perms::owner_read | fs::perms::owner_exec);
                },
                cannot_open_host,
                {{"jwc_temp.txt", selection}},
                nullptr,
                true},
        // the exchange file reads, but the work file cannot be created
        Refusal{"read_only_directory_with_exchange_name",
                [](const fs::path &d) {
                    put(d, "JWC_TEMP.TXT");
                    fs::permissions(d, fs::perms::owner_read | fs::perms::owner_exec);
                },
                cannot_open_work,
                {{"JWC_TEMP.TXT", selection}},
                nullptr,
                true},
        Refusal{"unreadable_selection",
                [](const fs::path &d) {
                    put(d, "jwc_temp.txt");
                    fs::permissions(d / "jwc_temp.txt", fs::perms::owner_write);
                },
                cannot_open_host, // never moved unchecked: checked by the open that fails
                {{"jwc_temp.txt", selection}},
                nullptr,
                true}),
    [](const testing::TestParamInfo<Refusal> &p) { return std::string(p.param.name); });

TEST(StepNames, ASelectionStoppedAtAStepNameIsTakenOnceTheWayIsFree) {
    const support::ScratchDir dir("step-name");
    put(dir.path(), "jwc_temp.txt");
    fs::create_directory(dir / "JWC_TEMP.TXT");
    ASSERT_EQ(e2e::run_tool(dir.path(), {}).status, 255);
    fs::remove(dir / "JWC_TEMP.TXT");
    const e2e::Outcome o = e2e::run_tool(dir.path(), {});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.files, (std::map<std::string, std::string>{
                           {"JWC_TEMP.TXT", "#mine\r\nlc3\r\nlg14\r\nly14\r\nlt20\r\nlc3\r\n"}}));
}

// ---- memory ----------------------------------------------------------------------

// The least of a few peaks of the tool's resident memory on input, in KiB:
// what the run needs, without what the system happened to add. -1 where a
// run failed, -2 where this system lets no process trace its child.
long least_peak_rss_kib(const fs::path &dir, const std::string &input) {
    support::write_file(dir / "jwc_temp.txt", input);
    support::Command c;
    c.argv = {fs::absolute(std::getenv("DIGIT_TINT")).string()};
    c.cwd = dir;
    c.output = support::Output::discard;
    c.peak_rss = true;
    c.env = {{"ASAN_OPTIONS", "detect_leaks=0"}}; // the leak check cannot run traced
    long least = -1;
    for (int i = 0; i < 3; ++i) {
        const support::Exit e = support::run(c);
        if (e.status == support::not_started && e.not_started_why.rfind("ptrace", 0) == 0)
            return -2;
        if (e.status != 0 || e.peak_rss_kib < 0) return -1;
        if (least < 0 || e.peak_rss_kib < least) least = e.peak_rss_kib;
    }
    return least;
}

TEST(Memory, StaysFlatFromTenLinesToTheLineLimit) {
    if (std::getenv("DIGIT_TINT_EMULATOR") && *std::getenv("DIGIT_TINT_EMULATOR"))
        GTEST_SKIP() << "the emulator's memory would be measured, not the tool's";
    const support::ScratchDir dir("memory");
    const long small = least_peak_rss_kib(dir.path(), support::selection(10, 7));
    if (small == -2) GTEST_SKIP() << "this system lets no process trace its child";
    const long large = least_peak_rss_kib(dir.path(), support::selection(150000, 7));
    ASSERT_GT(small, 0);
    ASSERT_GT(large, 0);
    RecordProperty("peak_rss_kib_10_lines", std::to_string(small));
    RecordProperty("peak_rss_kib_150000_lines", std::to_string(large));
    EXPECT_LE(large - small, 1024)
        << "10 lines: " << small << " KiB, 150000 lines: " << large << " KiB";
}

} // namespace
