// What a run does to its working directory beyond the bytes of its files,
// which a ".case" file cannot say: the lock that keeps a second run out, the
// permission bits the result takes over from the selection, and special
// files under the exchange names.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "support/files.hpp"
#include "support/scratch.hpp"
#include "tool_run.hpp"

namespace {

namespace fs = std::filesystem;

const std::string selection = "#mine\r\nlc3\r\n";
const std::string result = "#mine\r\nlc3\r\nlg14\r\nly14\r\nlt20\r\nlc3\r\n";

// A run's working directory inside a scratch directory, so that the stream
// captures beside it go with the scratch directory; with the selection where
// the host leaves it, unless told otherwise.
struct WorkDir {
    support::ScratchDir scratch;
    fs::path path;

    explicit WorkDir(const std::string &name, bool with_selection = true)
        : scratch(name), path(scratch / "work") {
        fs::create_directory(path);
        if (with_selection) support::write_file(path / "jwc_temp.txt", selection);
    }
};

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
    if (e2e::tool_ignores_case()) GTEST_SKIP() << "a Windows program locks a named mutex instead";
    const WorkDir dir(std::string("lock-") + GetParam().name);
    {
        const HeldLock lock(dir.path);
        ASSERT_TRUE(lock.take());
        const e2e::Outcome o = e2e::run_tool(dir.path, GetParam().args);
        EXPECT_EQ(o.status, e2e::reported_status(-1));
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err, "Another run is working in this directory\n");
        EXPECT_EQ(o.files, (std::map<std::string, std::string>{{"jwc_temp.txt", selection}}));
    }
    // Once its holder lets go, the same selection runs.
    const e2e::Outcome o = e2e::run_tool(dir.path, {});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.files, (std::map<std::string, std::string>{{"JWC_TEMP.TXT", result}}));
}

INSTANTIATE_TEST_SUITE_P(Lock, WhileAnotherRunWorks,
                         testing::Values(LockedRun{"plain", {}},
                                         LockedRun{"traced", {"/t3", "/k4"}},
                                         LockedRun{"refused_switch", {"/x"}}),
                         [](const testing::TestParamInfo<LockedRun> &p) {
                             return std::string(p.param.name);
                         });

// ---- permission bits ---------------------------------------------------------------

struct KeptMode {
    const char *name;
    fs::perms selection;
    std::vector<std::string> args;
    const char *result_name;
};

void PrintTo(const KeptMode &c, std::ostream *os) {
    *os << c.name;
}

class ResultMode : public testing::TestWithParam<KeptMode> {};

// Bits the umask would take from a new file, and bits it would give one, are
// the selection's all the same.
TEST_P(ResultMode, IsTheSelections) {
    if (e2e::tool_ignores_case()) GTEST_SKIP() << "Windows files have no permission bits to keep";
    const KeptMode &c = GetParam();
    const WorkDir dir(std::string("mode-") + c.name);
    fs::permissions(dir.path / "jwc_temp.txt", c.selection);
    const e2e::Outcome o = e2e::run_tool(dir.path, c.args);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(fs::status(dir.path / c.result_name).permissions(), c.selection);
}

constexpr fs::perms rw = fs::perms::owner_read | fs::perms::owner_write;
constexpr fs::perms all_rw = rw | fs::perms::group_read | fs::perms::group_write |
                             fs::perms::others_read | fs::perms::others_write;
constexpr fs::perms read_only =
    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;

INSTANTIATE_TEST_SUITE_P(Modes, ResultMode,
                         testing::Values(KeptMode{"owner_only", rw, {}, "JWC_TEMP.TXT"},
                                         KeptMode{"everyone_writes", all_rw, {}, "JWC_TEMP.TXT"},
                                         KeptMode{"read_only", read_only, {}, "JWC_TEMP.TXT"},
                                         KeptMode{"traced_work_file", rw, {"/t1"}, "JWC_TEMP.$$$"}),
                         [](const testing::TestParamInfo<KeptMode> &p) {
                             return std::string(p.param.name);
                         });

// ---- special files ------------------------------------------------------------------

struct SpecialFile {
    const char *name;
    bool (*make)(const fs::path &dir); // false where this system has no such file
};

void PrintTo(const SpecialFile &c, std::ostream *os) {
    *os << c.name;
}

class SpecialExchangeFile : public testing::TestWithParam<SpecialFile> {};

// Refused like a missing file, without waiting on it, and left where it is.
TEST_P(SpecialExchangeFile, IsRefusedAndLeftAlone) {
    if (e2e::tool_ignores_case()) GTEST_SKIP() << "no pipes or device links under Wine";
    const WorkDir dir(std::string("special-") + GetParam().name, false);
    if (!GetParam().make(dir.path)) GTEST_SKIP() << "no such special file here";
    const e2e::Outcome o = e2e::run_tool(dir.path, {});
    EXPECT_EQ(o.status, e2e::reported_status(-1));
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "Cannot open file: JWC_TEMP.TXT \n");
    EXPECT_TRUE(o.files.empty());
    EXPECT_TRUE(fs::exists(fs::symlink_status(dir.path / "JWC_TEMP.TXT")));
}

INSTANTIATE_TEST_SUITE_P(
    Refused, SpecialExchangeFile,
    testing::Values(SpecialFile{"pipe",
                                [](const fs::path &d) {
                                    return mkfifo((d / "JWC_TEMP.TXT").c_str(), 0644) == 0;
                                }},
                    // the take-over renames the pipe like a file; it is refused once it is there
                    SpecialFile{"pipe_from_host",
                                [](const fs::path &d) {
                                    return mkfifo((d / "jwc_temp.txt").c_str(), 0644) == 0;
                                }},
                    // endless bytes, were it read (some containers make /dev/null a regular file)
                    SpecialFile{"device_link",
                                [](const fs::path &d) {
                                    fs::create_symlink("/dev/zero", d / "JWC_TEMP.TXT");
                                    return fs::is_character_file(d / "JWC_TEMP.TXT");
                                }}),
    [](const testing::TestParamInfo<SpecialFile> &p) { return std::string(p.param.name); });

} // namespace
