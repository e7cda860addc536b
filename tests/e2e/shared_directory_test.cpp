// The working directory is shared with the host, the user and other
// programs: names planted there, special files, a selection that cannot be
// taken over, permission bits, closed standard streams and two runs started
// at once must never cost the user the drawing.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "support/files.hpp"
#include "support/process.hpp"
#include "support/same_bytes.hpp"
#include "support/scratch.hpp"
#include "support/selection.hpp"
#include "tool_run.hpp"

namespace {

namespace fs = std::filesystem;

const std::string selection = "hq\r\nlc3\r\nch 10 20 1 0 \"ROOM101-B\r\n";
const std::string result = "hd\r\nlc3\r\nch 10.000000000 20.000000000 1.000000000 0.000000000 "
                           "\"ROOM^$5101^%-B\r\nlg14\r\nly14\r\nlt20\r\nlc3\r\n";
const std::string precious = "PRECIOUS\n";
const std::string busy = "Another run is working in this directory\n";

// A Windows build runs under Wine, which has no pipes in the file system and
// no permission bits of its own.
bool tool_is_native() {
    return !e2e::tool_ignores_case();
}

using Files = std::map<std::string, std::string>;

struct Planted {
    const char *name;
    // Sets up dir; outside is a file beside it that no run may write.
    std::function<void(const fs::path &dir, const fs::path &outside)> plant;
    int status;
    std::string err;
    Files files;      // every regular file the run leaves in dir
    bool native_only; // needs what only the native tool's system has
};

void PrintTo(const Planted &c, std::ostream *os) {
    *os << c.name;
}

void host_leaves_selection(const fs::path &dir) {
    support::write_file(dir / "jwc_temp.txt", selection);
}

class PlantedNames : public testing::TestWithParam<Planted> {};

TEST_P(PlantedNames, AreNeverWrittenThroughNorWaitedOn) {
    const Planted &c = GetParam();
    if (c.native_only && !tool_is_native()) GTEST_SKIP() << "no such file under Wine";
    const support::ScratchDir scratch(std::string("planted-") + c.name);
    const fs::path dir = scratch / "work", outside = scratch / "outside";
    fs::create_directory(dir);
    support::write_file(outside, precious);
    c.plant(dir, outside);
    const e2e::Outcome o = e2e::run_tool(dir, {});
    EXPECT_EQ(o.status, e2e::reported_status(c.status));
    EXPECT_EQ(o.err, c.err);
    EXPECT_EQ(o.files, c.files);
    EXPECT_EQ(support::read_file(outside), precious) << "a file outside was written";
}

const std::string cannot_open_exchange = "Cannot open file: JWC_TEMP.TXT \n";

INSTANTIATE_TEST_SUITE_P(
    Cases, PlantedNames,
    testing::Values(
        Planted{"link_to_a_file_outside",
                [](const fs::path &d, const fs::path &outside) {
                    host_leaves_selection(d);
                    fs::create_symlink(outside, d / "JWC_TEMP.$$$");
                },
                0, "", Files{{"JWC_TEMP.TXT", result}}, false},
        // (Wine takes this link for the device itself, which it never replaces)
        Planted{"link_to_the_null_device",
                [](const fs::path &d, const fs::path &) {
                    host_leaves_selection(d);
                    fs::create_symlink("/dev/null", d / "JWC_TEMP.$$$");
                },
                0, "", Files{{"JWC_TEMP.TXT", result}}, true},
        Planted{"dangling_link",
                [](const fs::path &d, const fs::path &outside) {
                    host_leaves_selection(d);
                    fs::create_symlink(outside.string() + ".missing", d / "JWC_TEMP.$$$");
                },
                0, "", Files{{"JWC_TEMP.TXT", result}}, false},
        Planted{"hard_link_to_a_file_outside",
                [](const fs::path &d, const fs::path &outside) {
                    host_leaves_selection(d);
                    fs::create_hard_link(outside, d / "JWC_TEMP.$$$");
                },
                0, "", Files{{"JWC_TEMP.TXT", result}}, false},
        Planted{"read_only_stale_work_file",
                [](const fs::path &d, const fs::path &) {
                    host_leaves_selection(d);
                    support::write_file(d / "JWC_TEMP.$$$", "old work");
                    fs::permissions(d / "JWC_TEMP.$$$", fs::perms::owner_read);
                },
                0, "", Files{{"JWC_TEMP.TXT", result}}, false},
        Planted{"pipe_under_the_work_name",
                [](const fs::path &d, const fs::path &) {
                    host_leaves_selection(d);
                    ASSERT_EQ(mkfifo((d / "JWC_TEMP.$$$").c_str(), 0644), 0);
                },
                0, "", Files{{"JWC_TEMP.TXT", result}}, true},
        Planted{"pipe_under_the_exchange_name",
                [](const fs::path &d, const fs::path &) {
                    ASSERT_EQ(mkfifo((d / "JWC_TEMP.TXT").c_str(), 0644), 0);
                },
                -1, cannot_open_exchange, Files{}, true},
        Planted{"pipe_under_the_host_name",
                [](const fs::path &d, const fs::path &) {
                    ASSERT_EQ(mkfifo((d / "jwc_temp.txt").c_str(), 0644), 0);
                },
                -1, cannot_open_exchange, Files{}, true},
        // the selection cannot be moved past a directory under the first
        // step name: the older exchange file must not pass for it
        Planted{"selection_that_cannot_be_taken_over",
                [](const fs::path &d, const fs::path &) {
                    host_leaves_selection(d);
                    fs::create_directories(d / "JWC_x2x2.$$" / "in the way");
                    support::write_file(d / "JWC_TEMP.TXT", "#older result\r\n");
                },
                -1, "Cannot open file: jwc_temp.txt \n",
                Files{{"jwc_temp.txt", selection}, {"JWC_TEMP.TXT", "#older result\r\n"}}, false}),
    [](const testing::TestParamInfo<Planted> &p) { return std::string(p.param.name); });

// ---- permission bits ------------------------------------------------------------

class PermissionBits : public testing::TestWithParam<fs::perms> {};

TEST_P(PermissionBits, OfTheSelectionAreKeptByTheResult) {
    if (!tool_is_native()) GTEST_SKIP() << "no permission bits under Wine";
    const support::ScratchDir dir("permissions");
    host_leaves_selection(dir.path());
    fs::permissions(dir / "jwc_temp.txt", GetParam());
    ASSERT_EQ(e2e::run_tool(dir.path(), {}).status, 0);
    EXPECT_EQ(fs::status(dir / "JWC_TEMP.TXT").permissions(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PermissionBits,
    testing::Values(fs::perms::owner_read | fs::perms::owner_write,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                    fs::perms::owner_all | fs::perms::group_all | fs::perms::others_all));

// ---- closed standard streams ----------------------------------------------------

// The tool started with its standard streams closed, through a shell.
support::Exit run_with_streams_closed(const fs::path &dir, const std::string &arg) {
    support::Command c;
    c.argv = {"/bin/sh", "-c", "exec \"$0\" \"$1\" <&- >&- 2>&-",
              fs::absolute(std::getenv("DIGIT_TINT")).string(), arg};
    c.cwd = dir;
    c.timeout = std::chrono::minutes(1);
    return support::run(c);
}

TEST(ClosedStreams, NeverLetTraceLinesIntoTheWorkFile) {
    if (!tool_is_native())
        GTEST_SKIP() << "the shell closes the emulator's streams, not the tool's";
    const support::ScratchDir open_dir("streams-open"), closed_dir("streams-closed");
    host_leaves_selection(open_dir.path());
    host_leaves_selection(closed_dir.path());
    const e2e::Outcome reference = e2e::run_tool(open_dir.path(), {"/t2"});
    ASSERT_FALSE(reference.out.empty());
    const support::Exit closed = run_with_streams_closed(closed_dir.path(), "/t2");
    EXPECT_EQ(closed.status, 0);
    EXPECT_EQ(support::read_files(closed_dir.path()), reference.files);
}
} // namespace
