// Hostile input too large or too odd for a ".case" file: long lines, files
// that are directories, permissions that refuse, and the memory a run takes.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include "case_file.hpp"
#include "support/selection.hpp"
#include "tool_run.hpp"

namespace {

namespace fs = std::filesystem;

const std::string closing_default = "lg14\r\nly14\r\nlt20\r\nlc20\r\n";

std::string text_out(const std::string &text) {
    return "ch 1.000000000 2.000000000 3.000000000 4.000000000 \"" + text + "\r\n";
}

// ---- lines longer than one read ----------------------------------------------

struct LongLine {
    const char *name;
    std::string line; // without its CR LF
    std::string expected_line;
};

void PrintTo(const LongLine &c, std::ostream *os) {
    *os << c.name;
}

class PastTheReadBuffer : public testing::TestWithParam<LongLine> {};

TEST_P(PastTheReadBuffer, LinesAreHandledInPiecesOf254Bytes) {
    const LongLine &c = GetParam();
    const fs::path dir = e2e::scratch_dir(std::string("long_") + c.name);
    e2e::write_file(dir / "jwc_temp.txt", c.line + "\r\n");
    const e2e::Outcome o = e2e::run_tool(dir, {});
    ASSERT_EQ(o.status, 0) << o.err;
    ASSERT_EQ(o.files.size(), 1u);
    EXPECT_EQ(e2e::show(o.files.at("JWC_TEMP.TXT")), e2e::show(c.expected_line + closing_default));
    e2e::discard(dir);
}

const std::string comment_254 = std::string("#").append(253, 'a');
std::string digits_text(std::size_t n) {
    return std::string("ch 1 2 3 4 \"").append(n, '7');
}

INSTANTIATE_TEST_SUITE_P(
    Generated, PastTheReadBuffer,
    testing::Values(
        // the pieces after the first of an echoed line are echoed behind it, however many
        LongLine{"comment255", comment_254 + "a", comment_254 + "a\r\n"},
        LongLine{"comment256", comment_254 + "aa", comment_254 + "aa\r\n"},
        LongLine{"comment10000", comment_254 + std::string(10000 - 254, 'a'),
                 comment_254 + std::string(10000 - 254, 'a') + "\r\n"},
        // every piece begins with "l" and another byte: every piece echoed, glued together
        LongLine{"l255", std::string(255, 'l'), std::string(255, 'l') + "\r\n"},
        LongLine{"l256", std::string(256, 'l'), std::string(256, 'l') + "\r\n"},
        LongLine{"l10000", std::string(10000, 'l'), std::string(10000, 'l') + "\r\n"},
        // the first piece holds 242 digits, cut to 231; the pieces of sevens after it are dropped
        LongLine{"text10000", digits_text(10000 - 12),
                 text_out(std::string("^$5").append(231, '7'))},
        // "1" and a lead byte at bytes 230 and 231: the run stays open, the lead byte is dropped
        LongLine{"lead231", std::string("ch 1 2 3 4 \"").append(229, 'A') + "1\x82\x4F",
                 text_out(std::string(229, 'A') + "^$51")}),
    [](const testing::TestParamInfo<LongLine> &p) { return std::string(p.param.name); });

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
    e2e::write_file(dir / name, bytes);
}

// Where the process may read and write despite permission bits (root), those cases say nothing.
bool permissions_stop_reads(const fs::path &dir) {
    const fs::path probe = dir / "probe";
    e2e::write_file(probe, "x");
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
    const fs::path dir = e2e::scratch_dir(std::string("refusal_") + c.name);
    // Permission bits do not stop root: run the tool as an unprivileged user then.
    const unsigned as_user = c.needs_permissions && !permissions_stop_reads(dir) ? nobody : 0;
    if (as_user != 0 && !can_switch_user())
        GTEST_SKIP() << "permission bits do not stop this process, and it cannot run the tool as "
                        "another user";
    c.set_up(dir);
    if (as_user != 0) hand_over(dir, as_user);
    const e2e::Outcome o = e2e::run_tool(dir, {}, as_user);
    if (o.status == e2e::not_started) {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
        GTEST_SKIP() << "the tool cannot be started as user " << as_user << " here";
    }
    // Give every permission back, so that what was left can be read and removed.
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    std::map<std::string, std::string> left;
    for (const auto &entry : fs::directory_iterator(dir)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
        if (entry.is_regular_file())
            left[entry.path().filename().string()] = e2e::read_file(entry.path());
    }
    EXPECT_EQ(o.status, 255);
    EXPECT_EQ(o.err, c.expected_err);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(left, c.expected_files);
    if (c.expected_directory) {
        EXPECT_TRUE(fs::is_directory(dir / c.expected_directory));
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusals,
    testing::Values(
        // the take-over renames the directory like a file; it cannot be read
        Refusal{"host_name_is_directory",
                [](const fs::path &d) { fs::create_directory(d / "jwc_temp.txt"); },
                cannot_open_exchange,
                {},
                "JWC_TEMP.TXT",
                false},
        Refusal{"exchange_name_is_directory",
                [](const fs::path &d) { fs::create_directory(d / "JWC_TEMP.TXT"); },
                cannot_open_exchange,
                {},
                "JWC_TEMP.TXT",
                false},
        // a file cannot replace a directory: the take-over stops at its last step name
        Refusal{"selection_beside_a_directory_exchange_name",
                [](const fs::path &d) {
                    put(d, "jwc_temp.txt");
                    fs::create_directory(d / "JWC_TEMP.TXT");
                },
                cannot_open_exchange,
                {{"JWC_x2x2.$$$", selection}},
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
                cannot_open_exchange,
                {{"JWC_TEMP.TXT", selection}},
                nullptr,
                true}),
    [](const testing::TestParamInfo<Refusal> &p) { return std::string(p.param.name); });

TEST(StepNames, ASelectionStoppedAtAStepNameIsTakenOnceTheWayIsFree) {
    const fs::path dir = e2e::scratch_dir("step_name_then_free");
    put(dir, "jwc_temp.txt");
    fs::create_directory(dir / "JWC_TEMP.TXT");
    ASSERT_EQ(e2e::run_tool(dir, {}).status, 255);
    fs::remove(dir / "JWC_TEMP.TXT");
    const e2e::Outcome o = e2e::run_tool(dir, {});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.files, (std::map<std::string, std::string>{
                           {"JWC_TEMP.TXT", "#mine\r\nlc3\r\nlg14\r\nly14\r\nlt20\r\nlc3\r\n"}}));
    e2e::discard(dir);
}

// ---- memory ----------------------------------------------------------------------

// The kernel's peak-RSS figures for a child (wait4, RUSAGE_CHILDREN) include
// the forked copy of this test process before its exec, which would hide the
// tool. So the child stops at its exit, where /proc still shows the tool's
// own high-water mark (VmHWM), and is read there.
long high_water_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

constexpr int ptrace_refused = 123;

// Peak resident memory of one run on input, in KiB; -1 where the run failed,
// -2 where this system lets no process trace its child.
long peak_rss_kib(const fs::path &dir, const std::string &input) {
    e2e::write_file(dir / "jwc_temp.txt", input);
    const std::string tool =
        fs::absolute(std::getenv("DIGIT_TINT")).string(); // the child changes directory
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(ptrace_refused);
        if (null < 0 || chdir(dir.c_str()) != 0) _exit(121);
        dup2(null, 1);
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1); // the leak check cannot run traced
        execl(tool.c_str(), tool.c_str(), static_cast<char *>(nullptr));
        _exit(122);
    }
    long kib = -1;
    int status = 0;
    waitpid(pid, &status, 0); // stopped at the exec
    if (WIFSTOPPED(status)) ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT);
    while (WIFSTOPPED(status)) {
        int pass_on = 0;
        if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8)))
            kib = high_water_kib(pid);
        else if (WSTOPSIG(status) != SIGTRAP)
            pass_on = WSTOPSIG(status);
        ptrace(PTRACE_CONT, pid, nullptr, pass_on);
        waitpid(pid, &status, 0);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == ptrace_refused) return -2;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return kib;
}

// The least of a few runs: what the run needs, without what the system happened to add.
long least_peak_rss_kib(const fs::path &dir, const std::string &input) {
    long least = -1;
    for (int i = 0; i < 3; ++i) {
        const long kib = peak_rss_kib(dir, input);
        if (kib < 0) return kib;
        if (least < 0 || kib < least) least = kib;
    }
    return least;
}

TEST(Memory, StaysFlatFromTenLinesToTheLineLimit) {
    if (std::getenv("DIGIT_TINT_EMULATOR") && *std::getenv("DIGIT_TINT_EMULATOR"))
        GTEST_SKIP() << "the emulator's memory would be measured, not the tool's";
    const fs::path dir = e2e::scratch_dir("memory");
    const long small = least_peak_rss_kib(dir, support::selection(10, 7));
    if (small == -2) GTEST_SKIP() << "this system lets no process trace its child";
    const long large = least_peak_rss_kib(dir, support::selection(150000, 7));
    ASSERT_GT(small, 0);
    ASSERT_GT(large, 0);
    RecordProperty("peak_rss_kib_10_lines", std::to_string(small));
    RecordProperty("peak_rss_kib_150000_lines", std::to_string(large));
    EXPECT_LE(large - small, 1024)
        << "10 lines: " << small << " KiB, 150000 lines: " << large << " KiB";
    e2e::discard(dir);
}

} // namespace
