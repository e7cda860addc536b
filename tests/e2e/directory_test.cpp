// What a run does to its working directory beyond the bytes of its files,
// which a ".case" file cannot say. The directory is shared with the host,
// the user and other programs: the lock that keeps a second run out, names
// planted there, special files, a selection that cannot be taken over,
// calls that fail, the permission bits the result takes over from the
// selection and closed standard streams must never cost the user the
// drawing, nor pass a wrong one off with status 0.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/files.hpp"
#include "support/process.hpp"
#include "support/same_bytes.hpp"
#include "support/scratch.hpp"
#include "support/selection.hpp"
#include "tool_run.hpp"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

const std::string selection = "hq\r\nlc3\r\nch 10 20 1 0 \"ROOM101-B\r\n";
const std::string result = "hd\r\nlc3\r\nch 10.000000000 20.000000000 1.000000000 0.000000000 "
                           "\"ROOM^$5101^%-B\r\nlg14\r\nly14\r\nlt20\r\nlc3\r\n";
const std::string older = "hd\r\nch 5 5 1 0 \"OLD7\r\n"; // an earlier run's exchange file
const std::string precious = "PRECIOUS\n";
const std::string cannot_open_exchange = "Cannot open file: JWC_TEMP.TXT \n";
const std::string cannot_open_work = "Cannot open file: JWC_TEMP.$$$ \n";

constexpr unsigned nobody = 65534;

// A Windows build runs under Wine, which has no pipes in the file system and
// no permission bits of its own.
bool tool_is_native() {
    return !e2e::tool_ignores_case();
}

// Running the tool as another user needs root and no emulator in between.
bool can_switch_user() {
    return geteuid() == 0 && tool_is_native();
}

void host_leaves_selection(const fs::path &dir) {
    support::write_file(dir / "jwc_temp.txt", selection);
}

// ---- one run at a time ---------------------------------------------------------

// The lock a working run holds on its directory, held by this process instead.
class HeldLock {
  public:
    explicit HeldLock(const fs::path &dir)
        : fd_(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~HeldLock() {
        if (fd_ >= 0) close(fd_);
    }
    HeldLock(const HeldLock &) = delete;
    HeldLock &operator=(const HeldLock &) = delete;
    bool take() const { return fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0; }

  private:
    int fd_;
};

struct LockedRun {
    const char *name;
    std::vector<std::string> args;
};

void PrintTo(const LockedRun &c, std::ostream *os) {
    *os << c.name;
}

class WhileAnotherRunWorks : public testing::TestWithParam<LockedRun> {};

// The lock comes first: no switch is read or echoed, no file is touched.
TEST_P(WhileAnotherRunWorks, ARunEndsAtOnceAndTouchesNothing) {
    if (!tool_is_native()) GTEST_SKIP() << "a Windows program locks a named mutex instead";
    const support::ScratchDir dir(std::string("lock-") + GetParam().name);
    host_leaves_selection(dir.path());
    {
        const HeldLock lock(dir.path());
        ASSERT_TRUE(lock.take());
        const e2e::Outcome o = e2e::run_tool(dir.path(), GetParam().args);
        EXPECT_EQ(o.status, e2e::reported_status(-1));
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err, "Another run is working in this directory\n");
        EXPECT_EQ(o.files, (Files{{"jwc_temp.txt", selection}}));
    }
    // Once its holder lets go, the same selection runs.
    const e2e::Outcome o = e2e::run_tool(dir.path(), {});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.files, (Files{{"JWC_TEMP.TXT", result}}));
}

INSTANTIATE_TEST_SUITE_P(Lock, WhileAnotherRunWorks,
                         testing::Values(LockedRun{"plain", {}},
                                         LockedRun{"traced", {"/t3", "/k4"}},
                                         LockedRun{"refused_switch", {"/x"}}),
                         [](const testing::TestParamInfo<LockedRun> &p) {
                             return std::string(p.param.name);
                         });

// ---- names planted, special files, failing calls ---------------------------------

enum class Needs {
    anything,
    native,       // what only the native tool's system has: pipes, devices, strace
    other_user,   // root, to run the tool as another user, and the native tool
    failing_call, // strace, to fail a system call
};

struct Planted {
    const char *name;
    // Sets up dir; outside is a file beside it that no run may write.
    std::function<void(const fs::path &dir, const fs::path &outside)> plant;
    int status = 0;
    std::string err = {};
    std::string out = {};                  // with stderr where the wrapper joins them
    Files files = {};                      // every regular file the runs leave in dir
    Needs needs = Needs::anything;         //
    std::vector<std::string> args = {};    // the tool's switches
    std::vector<std::string> wrapper = {}; // what starts the tool, where not the runner itself
    int runs = 1;                      // each run alike, as the next run finds what the last left
    const char *still_there = nullptr; // a name that is no regular file and must stay
    std::function<void(const fs::path &dir, const fs::path &)> swap = {}; // at stopped_at
};

void PrintTo(const Planted &c, std::ostream *os) {
    *os << c.name;
}

bool available(Needs needs) {
    switch (needs) {
    case Needs::anything: return true;
    case Needs::native: return tool_is_native();
    case Needs::other_user: return can_switch_user();
    case Needs::failing_call: return e2e::can_fail_calls();
    }
    return false;
}

// strace stopping the tool as the when-th call naming path returns, said in
// ../calls; run_swapped makes the swap while it stands still, and lets it go.
std::vector<std::string> stopped_at(const char *path, const std::string &call, int when) {
    auto wrapper = e2e::failing_calls(call + ":signal=SIGSTOP:when=" + std::to_string(when));
    wrapper.insert(wrapper.end() - 1, {"-o", "../calls", "-e", "trace=" + call, "-e",
                                       "signal=SIGSTOP", "-P", path}); // the last -o counts
    return wrapper;
}

e2e::Outcome run_swapped(const Planted &c, const fs::path &dir, const fs::path &outside) {
    support::write_file(dir / "../calls", "");
    std::atomic<bool> ended = false;
    std::thread swapper([&] {
        std::string calls;
        while (!ended && calls.find(" --- stopped by") == std::string::npos)
            calls = support::read_file(dir / "../calls");
        if (ended) return ADD_FAILURE() << "the run never stopped at the call";
        c.swap(dir, outside);
        ::kill(std::stoi(calls.substr(calls.rfind('\n', calls.find(" --- stopped by")) + 1)),
               SIGCONT);
    });
    e2e::Outcome o = e2e::run_tool_within(c.wrapper, dir, {}, 0, e2e::no_wait_limit);
    ended = true;
    swapper.join();
    if (o.err.starts_with("strace: ")) o.err.erase(0, o.err.find('\n') + 1); // where -P resolved to
    std::erase_if(o.files, [&](const auto &f) { return fs::is_symlink(dir / f.first); });
    return o; // with a link's target checked as outside
}

class PlantedNames : public testing::TestWithParam<Planted> {};

TEST_P(PlantedNames, AreNeverWrittenThroughNorWaitedOn) {
    const Planted &c = GetParam();
    if (!available(c.needs)) GTEST_SKIP() << "not possible with this tool or user";
    const support::ScratchDir scratch(std::string("planted-") + c.name);
    const fs::path dir = scratch / "work", outside = scratch / "outside";
    fs::create_directory(dir);
    support::write_file(outside, precious);
    c.plant(dir, outside);
    const unsigned as_user = c.needs == Needs::other_user ? nobody : 0;
    if (const std::string why = as_user ? e2e::unreachable_by(as_user, dir) : ""; !why.empty())
        GTEST_SKIP() << why;
    for (int run = 1; run <= c.runs; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        // Nothing here may block: a run that waits on a pipe is killed soon.
        const e2e::Outcome o =
            c.swap ? run_swapped(c, dir, outside)
                   : e2e::run_tool_within(c.wrapper, dir, c.args, as_user, e2e::no_wait_limit);
        EXPECT_EQ(o.status, e2e::reported_status(c.status));
        EXPECT_EQ(o.err, c.err);
        EXPECT_EQ(o.out, c.out);
        EXPECT_SAME_FILES(o.files, c.files);
    }
    EXPECT_EQ(support::read_file(outside), precious) << "a file outside was written";
    if (c.still_there) {
        EXPECT_TRUE(fs::exists(fs::symlink_status(dir / c.still_there)));
    }
}

// A directory open to all with the sticky bit, as /tmp: there nobody may
// rename over a file of root's, which stands under name; the selection is
// nobody's.
void sticky_with_roots_file(const fs::path &d, const char *name) {
    fs::permissions(d, fs::perms::all | fs::perms::sticky_bit);
    host_leaves_selection(d);
    ASSERT_EQ(chown((d / "jwc_temp.txt").c_str(), nobody, nobody), 0);
    support::write_file(d / name, precious);
}

// The selection swapped between its check (its checked_at-th stat) and move, or (0) the
// run's own file once made: what was put there is never moved on, handed back nor removed.
enum class Put { folder, pipe, link };
Planted swapped(const char *name, Put put, int checked_at, const char *row) {
    const bool own = checked_at == 0;
    // one swapped in at the take-over's last step goes over the older result,
    // as the selection would have, and back
    const bool over_older = std::string(name) == "JWC_x2x2.$$$" && put != Put::folder;
    const std::string taken = own ? "JWC_TEMP.$$$." : name;
    return {.name = row,
            .plant =
                [](const fs::path &d, const fs::path &) {
                    host_leaves_selection(d);
                    support::write_file(d / "JWC_TEMP.TXT", older);
                },
            .status = -1,
            .err = std::string("Cannot open file: ") + name + " \n",
            .files = over_older ? Files{{"moved aside", selection}}
                                : Files{{"moved aside", own ? result : selection},
                                        {"JWC_TEMP.TXT", own ? selection : older}},
            .needs = Needs::failing_call,
            .wrapper = own ? stopped_at("JWC_TEMP.$$$", "unlink", 1)
                           : stopped_at(name, "newfstatat", checked_at),
            .still_there = own ? nullptr : name,
            .swap =
                [=](const fs::path &d, const fs::path &outside) {
                    for (const auto &e : fs::directory_iterator(d))
                        if (const fs::path at = e.path();
                            at.filename().string().starts_with(taken)) {
                            fs::rename(at, d / "moved aside");
                            if (put == Put::folder) fs::create_directory(at);
                            if (put == Put::pipe) mkfifo(at.c_str(), 0644);
                            if (put == Put::link) fs::create_symlink(outside, at);
                            return;
                        }
                }};
}

// A shell that starts the tool with a limit on the size of the files it
// writes, the signal of that limit ignored, so that a write fails instead.
const std::vector<std::string> file_size_limit = {"/bin/sh", "-c",
                                                  "ulimit -f 64; trap '' XFSZ; exec \"$@\"", "sh"};
const std::vector<std::string> stdout_full = {"/bin/sh", "-c", "exec \"$@\" >/dev/full", "sh"};

// One past the limit. A trace level counts first and writes the overflow line
// and nothing else, so that its first write is that line; a level-0 run has
// written the records before it learns, and empties the work file for it.
const std::string over_the_limit = std::string("hq\r\n") + [] {
    std::string lines;
    for (int i = 0; i < 150000; ++i) lines += "#\r\n";
    return lines;
}();

void host_leaves_too_many_lines(const fs::path &dir, const fs::path &) {
    support::write_file(dir / "jwc_temp.txt", over_the_limit);
}

const std::string overflow_line =
    "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5B\x83\x6F\x81\x5B    MAX=150000\r\n";

const std::string big_selection = support::selection(20000, 19);

// Names a person gives a copy beside the work file, the old form of a run's
// own name among them, and names a run's own would have but for a digit.
const char *const user_names[] = {"JWC_TEMP.$$$.2024-01-31",
                                  "JWC_TEMP.$$$.1",
                                  "JWC_TEMP.$$$.",
                                  "JWC_TEMP.$$$.-",
                                  "JWC_TEMP.$$$.4242-1",
                                  "JWC_TEMP.$$$.~digit-tint~",
                                  "JWC_TEMP.$$$.~digit-tint~042",
                                  "JWC_TEMP.$$$.~digit-tint~42-",
                                  "JWC_TEMP.$$$.~digit-tint~42-0",
                                  "JWC_TEMP.$$$.~digit-tint~42-100",
                                  "JWC_TEMP.$$$.~digit-tint~42.bak",
                                  "JWC_TEMP.$$$.bak"};

INSTANTIATE_TEST_SUITE_P(
    Cases, PlantedNames,
    testing::Values(
        Planted{.name = "link_to_a_file_outside",
                .plant =
                    [](const fs::path &d, const fs::path &outside) {
                        host_leaves_selection(d);
                        fs::create_symlink(outside, d / "JWC_TEMP.$$$");
                    },
                .files = {{"JWC_TEMP.TXT", result}}},
        // (Wine takes this link for the device itself, which it never replaces)
        Planted{.name = "link_to_the_null_device",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        host_leaves_selection(d);
                        fs::create_symlink("/dev/null", d / "JWC_TEMP.$$$");
                    },
                .files = {{"JWC_TEMP.TXT", result}},
                .needs = Needs::native},
        Planted{.name = "dangling_link",
                .plant =
                    [](const fs::path &d, const fs::path &outside) {
                        host_leaves_selection(d);
                        fs::create_symlink(outside.string() + ".missing", d / "JWC_TEMP.$$$");
                    },
                .files = {{"JWC_TEMP.TXT", result}}},
        Planted{.name = "hard_link_to_a_file_outside",
                .plant =
                    [](const fs::path &d, const fs::path &outside) {
                        host_leaves_selection(d);
                        fs::create_hard_link(outside, d / "JWC_TEMP.$$$");
                    },
                .files = {{"JWC_TEMP.TXT", result}}},
        Planted{.name = "read_only_stale_work_file",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        host_leaves_selection(d);
                        support::write_file(d / "JWC_TEMP.$$$", "old work");
                        fs::permissions(d / "JWC_TEMP.$$$", fs::perms::owner_read);
                    },
                .files = {{"JWC_TEMP.TXT", result}}},
        // what a killed run left under a name of its own goes; a user's
        // file under a look-alike, or under the old form, stays
        Planted{.name = "work_files_of_killed_runs",
                .plant =
                    [](const fs::path &d, const fs::path &outside) {
                        host_leaves_selection(d);
                        support::write_file(d / "JWC_TEMP.$$$.~digit-tint~4242", "cut sho");
                        support::write_file(d / "JWC_TEMP.$$$.~digit-tint~4242-1", "cut");
                        fs::create_symlink(outside, d / "JWC_TEMP.$$$.~digit-tint~77");
                        for (const char *name : user_names) support::write_file(d / name, name);
                    },
                .files =
                    [] {
                        Files kept{{"JWC_TEMP.TXT", result}};
                        for (const char *name : user_names) kept[name] = name;
                        return kept;
                    }()},
        // a run without the lock cannot tell a killed run's file from a working one's
        Planted{.name = "own_name_of_another_run_where_nothing_locks",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        host_leaves_selection(d);
                        support::write_file(d / "JWC_TEMP.$$$.~digit-tint~99999", precious);
                    },
                .files = {{"JWC_TEMP.TXT", result}, {"JWC_TEMP.$$$.~digit-tint~99999", precious}},
                .needs = Needs::failing_call,
                .wrapper = e2e::failing_calls("flock:error=ENOLCK")},
        Planted{.name = "pipe_under_the_work_name",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        host_leaves_selection(d);
                        ASSERT_EQ(mkfifo((d / "JWC_TEMP.$$$").c_str(), 0644), 0);
                    },
                .files = {{"JWC_TEMP.TXT", result}},
                .needs = Needs::native},
        // special files under the exchange names are refused like a missing
        // file, without waiting on them, and left where they are
        Planted{.name = "pipe_under_the_exchange_name",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        ASSERT_EQ(mkfifo((d / "JWC_TEMP.TXT").c_str(), 0644), 0);
                    },
                .status = -1,
                .err = cannot_open_exchange,
                .needs = Needs::native,
                .still_there = "JWC_TEMP.TXT"},
        // the take-over moves no pipe: it is refused where it stands
        Planted{.name = "pipe_under_the_host_name",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        ASSERT_EQ(mkfifo((d / "jwc_temp.txt").c_str(), 0644), 0);
                    },
                .status = -1,
                .err = "Cannot open file: jwc_temp.txt \n",
                .needs = Needs::native,
                .runs = 2,
                .still_there = "jwc_temp.txt"},
        // endless bytes, were it read (some containers make /dev/null a regular file)
        Planted{
            .name = "link_to_a_device_under_the_exchange_name",
            .plant = [](const fs::path &d,
                        const fs::path &) { fs::create_symlink("/dev/zero", d / "JWC_TEMP.TXT"); },
            .status = -1,
            .err = cannot_open_exchange,
            .needs = Needs::native,
            .still_there = "JWC_TEMP.TXT"},
        // a directory under a step name is left where it stands, and the
        // selection goes past it
        Planted{.name = "directory_under_the_first_step_name",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        host_leaves_selection(d);
                        fs::create_directories(d / "JWC_x2x2.$$" / "in the way");
                        support::write_file(d / "JWC_TEMP.TXT", older);
                    },
                .files = {{"JWC_TEMP.TXT", result}},
                .still_there = "JWC_x2x2.$$/in the way"},
        Planted{.name = "directory_under_the_second_step_name",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        host_leaves_selection(d);
                        fs::create_directory(d / "JWC_x2x2.$$$");
                        support::write_file(d / "JWC_TEMP.TXT", older);
                    },
                .files = {{"JWC_TEMP.TXT", result}},
                .still_there = "JWC_x2x2.$$$"},
        // a directory is never moved: refused where it stands, it blocks no
        // selection beside it
        Planted{.name = "directory_under_the_host_name",
                .plant = [](const fs::path &d,
                            const fs::path &) { fs::create_directory(d / "jwc_temp.txt"); },
                .status = -1,
                .err = "Cannot open file: jwc_temp.txt \n",
                .runs = 2,
                .still_there = "jwc_temp.txt"},
        // the host could not write its selection: an older result is none
        Planted{.name = "directory_under_the_host_name_beside_an_older_result",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        fs::create_directory(d / "jwc_temp.txt");
                        support::write_file(d / "JWC_TEMP.TXT", older);
                    },
                .status = -1,
                .err = "Cannot open file: jwc_temp.txt \n",
                .files = {{"JWC_TEMP.TXT", older}},
                .still_there = "jwc_temp.txt"},
        // (Wine shows a link as what it points to, and moves that)
        Planted{.name = "link_under_the_host_name",
                .plant =
                    [](const fs::path &d, const fs::path &outside) {
                        fs::create_symlink(outside, d / "jwc_temp.txt");
                    },
                .status = -1,
                .err = "Cannot open file: jwc_temp.txt \n",
                .files = {{"jwc_temp.txt", precious}}, // read through the link
                .still_there = "jwc_temp.txt"},
        Planted{.name = "link_into_a_folder_named_alike_but_for_case", // Wine resolves it
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        fs::create_directory(d / "../WORK");
                        support::write_file(d / "../WORK/jwc_temp.txt", precious);
                        fs::create_symlink("../WORK/jwc_temp.txt", d / "jwc_temp.txt");
                    },
                .status = -1,
                .err = "Cannot open file: jwc_temp.txt \n",
                .files = {{"jwc_temp.txt", precious}}, // read through the link
                .still_there = "jwc_temp.txt"},
        // a link is refused though its target's name begins with the selection's
        Planted{.name = "link_under_the_host_name_to_a_copy_beside_it",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        support::write_file(d / "jwc_temp.txt.bak", selection);
                        fs::create_symlink("jwc_temp.txt.bak", d / "jwc_temp.txt");
                    },
                .status = -1,
                .err = "Cannot open file: jwc_temp.txt \n",
                .files = {{"jwc_temp.txt", selection}, {"jwc_temp.txt.bak", selection}},
                .still_there = "jwc_temp.txt"},
        Planted{.name = "directory_under_a_step_name_alone",
                .plant = [](const fs::path &d,
                            const fs::path &) { fs::create_directory(d / "JWC_x2x2.$$"); },
                .status = -1,
                .err = "Cannot open file: JWC_x2x2.$$ \n",
                .runs = 2,
                .still_there = "JWC_x2x2.$$"},
        // the message names the first name refused, not the exchange name
        Planted{.name = "directories_under_the_host_name_and_the_exchange_name",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        fs::create_directory(d / "jwc_temp.txt");
                        fs::create_directory(d / "JWC_TEMP.TXT");
                    },
                .status = -1,
                .err = "Cannot open file: jwc_temp.txt \n",
                .still_there = "JWC_TEMP.TXT"},
        Planted{.name = "another_users_file_under_the_first_step_name",
                .plant = [](const fs::path &d,
                            const fs::path &) { sticky_with_roots_file(d, "JWC_x2x2.$$"); },
                .status = -1,
                .err = "Cannot open file: jwc_temp.txt \n",
                .files = {{"jwc_temp.txt", selection}, {"JWC_x2x2.$$", precious}},
                .needs = Needs::other_user},
        Planted{.name = "another_users_file_under_the_second_step_name",
                .plant = [](const fs::path &d,
                            const fs::path &) { sticky_with_roots_file(d, "JWC_x2x2.$$$"); },
                .status = -1,
                .err = "Cannot open file: JWC_x2x2.$$ \n",
                .files = {{"JWC_x2x2.$$", selection}, {"JWC_x2x2.$$$", precious}},
                .needs = Needs::other_user},
        Planted{.name = "another_users_exchange_file",
                .plant = [](const fs::path &d,
                            const fs::path &) { sticky_with_roots_file(d, "JWC_TEMP.TXT"); },
                .status = -1,
                .err = "Cannot open file: JWC_x2x2.$$$ \n",
                .files = {{"JWC_x2x2.$$$", selection}, {"JWC_TEMP.TXT", precious}},
                .needs = Needs::other_user},
        // a folder its owner may write and search but not read cannot be
        // locked, and is no busy one
        Planted{.name = "folder_that_cannot_be_read",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        host_leaves_selection(d);
                        ASSERT_EQ(chown(d.c_str(), nobody, nobody), 0);
                        fs::permissions(d, fs::perms::owner_write | fs::perms::owner_exec);
                    },
                .files = {{"JWC_TEMP.TXT", result}},
                .needs = Needs::other_user},
        // the second and third renames of the take-over failing
        Planted{.name = "second_rename_failing",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        host_leaves_selection(d);
                        support::write_file(d / "JWC_TEMP.TXT", older);
                    },
                .status = -1,
                .err = "Cannot open file: JWC_x2x2.$$ \n",
                .files = {{"JWC_x2x2.$$", selection}, {"JWC_TEMP.TXT", older}},
                .needs = Needs::failing_call,
                .wrapper = e2e::failing_calls("rename:error=EIO:when=2")},
        Planted{.name = "third_rename_failing",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        host_leaves_selection(d);
                        support::write_file(d / "JWC_TEMP.TXT", older);
                    },
                .status = -1,
                .err = "Cannot open file: JWC_x2x2.$$$ \n",
                .files = {{"JWC_x2x2.$$$", selection}, {"JWC_TEMP.TXT", older}},
                .needs = Needs::failing_call,
                .args = {"/t1"},
                .wrapper = e2e::failing_calls("rename:error=EIO:when=3")},
        // a result cut short by a full disk or a size limit is never handed
        // back, and the run removes what it wrote
        Planted{.name = "file_size_limit",
                .plant =
                    [](const fs::path &d, const fs::path &) {
                        support::write_file(d / "jwc_temp.txt", big_selection);
                    },
                .status = -1,
                .err = cannot_open_work,
                .files = {{"JWC_TEMP.TXT", big_selection}},
                .needs = Needs::native,
                .wrapper = file_size_limit},
        Planted{.name = "overflow_line_on_a_full_disk",
                .plant = host_leaves_too_many_lines,
                .status = -1,
                .err = cannot_open_work,
                .files = {{"JWC_TEMP.TXT", over_the_limit}},
                .needs = Needs::failing_call,
                .args = {"/t1"},
                .wrapper = e2e::failing_calls("write:error=ENOSPC:when=1")},
        // the records' failed write goes with them: the overflow line is whole
        Planted{.name = "overflow_after_a_failed_write_of_the_records",
                .plant = host_leaves_too_many_lines,
                .status = 1,
                .files = {{"JWC_TEMP.TXT", over_the_limit}, {"JWC_TEMP.$$$", overflow_line}},
                .needs = Needs::failing_call,
                .wrapper = e2e::failing_calls("write:error=ENOSPC:when=1")},
        Planted{.name = "overflow_where_the_work_file_cannot_be_emptied",
                .plant = host_leaves_too_many_lines,
                .status = -1,
                .err = cannot_open_work,
                .files = {{"JWC_TEMP.TXT", over_the_limit}},
                .needs = Needs::failing_call,
                .wrapper = e2e::failing_calls("ftruncate:error=EIO")},
        // lost trace output is a failed run, not a traced one
        Planted{.name = "trace_output_to_a_full_device",
                .plant = [](const fs::path &d, const fs::path &) { host_leaves_selection(d); },
                .status = -1,
                .err = "Cannot open file: stdout \n",
                .files = {{"JWC_TEMP.TXT", selection}},
                .needs = Needs::native,
                .args = {"/t2"},
                .wrapper = stdout_full},
        // a usage that never reached the reader is no answer
        Planted{.name = "usage_to_a_full_device",
                .plant = [](const fs::path &d, const fs::path &) { host_leaves_selection(d); },
                .status = -1,
                .err = "Cannot open file: stdout \n",
                .files = {{"jwc_temp.txt", selection}},
                .needs = Needs::native,
                .args = {"--help"},
                .wrapper = stdout_full},
        // a message stands after the trace lines printed before it
        Planted{.name = "trace_lines_and_a_message_in_one_stream",
                .plant = [](const fs::path &d, const fs::path &) { host_leaves_selection(d); },
                .out = "# --- command line option ---------------\n# --- (/4)\n"
                       "#      iMode(1) iMode2(20) iMode3(20)\n\n illegal Option.\n"
                       "# --- command line option ---------------\n# --- (/x)\n"
                       "#      iMode(1) iMode2(20) iMode3(20)\n",
                .files = {{"JWC_TEMP.TXT", selection}, {"JWC_TEMP.$$$", result}},
                .needs = Needs::native,
                .args = {"/t4", "/x"},
                .wrapper = {"/bin/sh", "-c", "exec \"$@\" 2>&1", "sh"}},
        // the program's own name is no switch
        Planted{.name = "own_name_like_a_switch",
                .plant = [](const fs::path &d, const fs::path &) { host_leaves_selection(d); },
                .files = {{"JWC_TEMP.TXT", result}},
                .needs = Needs::native,
                .wrapper = {"bash", "-c", "exec -a --version \"$@\"", "sh"}},
        swapped("jwc_temp.txt", Put::folder, 4, "folder_swapped_in_at_the_host_name"),
        swapped("jwc_temp.txt", Put::link, 4, "link_swapped_in_at_the_host_name"),
        swapped("JWC_x2x2.$$", Put::pipe, 3, "pipe_swapped_in_at_the_first_step"),
        swapped("JWC_x2x2.$$", Put::link, 3, "link_swapped_in_at_the_first_step"),
        swapped("JWC_x2x2.$$$", Put::folder, 3, "folder_swapped_in_at_the_second_step"),
        swapped("JWC_x2x2.$$$", Put::pipe, 3, "pipe_swapped_in_at_the_second_step"),
        swapped("JWC_TEMP.TXT", Put::folder, 0, "folder_swapped_in_for_the_own_file"),
        swapped("JWC_TEMP.TXT", Put::pipe, 0, "pipe_swapped_in_for_the_own_file"),
        swapped("JWC_TEMP.TXT", Put::link, 0, "link_swapped_in_for_the_own_file"),
        // the lock failing is no reason to stop
        Planted{.name = "directory_that_cannot_be_locked",
                .plant = [](const fs::path &d, const fs::path &) { host_leaves_selection(d); },
                .files = {{"JWC_TEMP.TXT", result}},
                .needs = Needs::failing_call,
                .wrapper = e2e::failing_calls("flock:error=ENOLCK")}),
    [](const testing::TestParamInfo<Planted> &p) { return std::string(p.param.name); });

// ---- permission bits ---------------------------------------------------------------

struct KeptMode {
    const char *name;
    fs::perms selection, result;
    std::vector<std::string> args;
    const char *result_name = "JWC_TEMP.TXT";
    std::vector<std::string> wrapper = {};
};

void PrintTo(const KeptMode &c, std::ostream *os) {
    *os << c.name;
}

class ResultMode : public testing::TestWithParam<KeptMode> {};

// Bits the umask would take from a new file, and bits it would give one, are
// the selection's all the same; set-id and sticky bits are never passed on.
TEST_P(ResultMode, IsTheSelections) {
    if (!tool_is_native()) GTEST_SKIP() << "Windows files have no permission bits to keep";
    const KeptMode &c = GetParam();
    if (!c.wrapper.empty() && !e2e::can_fail_calls()) GTEST_SKIP() << "no strace here";
    const support::ScratchDir dir(std::string("mode-") + c.name);
    host_leaves_selection(dir.path());
    fs::permissions(dir / "jwc_temp.txt", c.selection);
    const e2e::Outcome o = e2e::run_tool_within(c.wrapper, dir.path(), c.args);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(fs::status(dir / c.result_name).permissions(), c.result);
}

constexpr fs::perms rw = fs::perms::owner_read | fs::perms::owner_write;
constexpr fs::perms all_rw = rw | fs::perms::group_read | fs::perms::group_write |
                             fs::perms::others_read | fs::perms::others_write;
constexpr fs::perms read_only =
    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms set_ids = fs::perms::set_uid | fs::perms::set_gid;

INSTANTIATE_TEST_SUITE_P(
    Modes, ResultMode,
    testing::Values(KeptMode{"owner_only", rw, rw, {}},
                    KeptMode{
                        "group_reads", rw | fs::perms::group_read, rw | fs::perms::group_read, {}},
                    KeptMode{"everyone_writes", all_rw, all_rw, {}},
                    KeptMode{"read_only", read_only, read_only, {}},
                    KeptMode{"everything", fs::perms::all, fs::perms::all, {}},
                    KeptMode{"set_ids", fs::perms::all | set_ids, fs::perms::all, {}},
                    KeptMode{"sticky", fs::perms::all | fs::perms::sticky_bit, fs::perms::all, {}},
                    KeptMode{"traced_work_file", rw, rw, {"/t1"}, "JWC_TEMP.$$$"},
                    // the umask would give 0644; the bits are the selection's from the start
                    KeptMode{"copying_the_bits_failing",
                             rw,
                             rw,
                             {},
                             "JWC_TEMP.TXT",
                             e2e::failing_calls("fchmod:error=EPERM")}),
    [](const testing::TestParamInfo<KeptMode> &p) { return std::string(p.param.name); });

// ---- closed standard streams ----------------------------------------------------

// The tool started with its standard streams closed: through a shell, or
// under Wine through start_closed (DIGIT_TINT_START_CLOSED), as closing the
// emulator's streams would close Wine's own.
support::Exit run_with_streams_closed(const fs::path &dir, const std::string &arg) {
    support::Command c;
    const std::string tool = fs::absolute(std::getenv("DIGIT_TINT")).string();
    if (const char *start_closed = std::getenv("DIGIT_TINT_START_CLOSED")) {
        std::istringstream emulator(std::getenv("DIGIT_TINT_EMULATOR"));
        for (std::string word; emulator >> word;) c.argv.push_back(word);
        std::string windows_path = "Z:" + tool;
        std::replace(windows_path.begin(), windows_path.end(), '/', '\\');
        c.argv.insert(c.argv.end(), {start_closed, windows_path, arg});
    } else {
        c.argv = {"/bin/sh", "-c", "exec \"$0\" \"$1\" <&- >&- 2>&-", tool, arg};
    }
    c.cwd = dir;
    c.timeout = std::chrono::minutes(1);
    return support::run(c);
}

TEST(ClosedStreams, NeverLetTraceLinesIntoTheWorkFile) {
    if (!tool_is_native() && !std::getenv("DIGIT_TINT_START_CLOSED"))
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
