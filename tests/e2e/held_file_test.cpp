// On Windows a virus scanner or an indexer opens a file the moment it is
// written and holds it for a moment; a rename of it or over it fails
// meanwhile. The Windows tool tries such a call again for about a second, so
// a brief hold costs a run nothing, and a long one fails it as before, about
// a second later. hold_file (a Windows program, DIGIT_TINT_HOLD_FILE) plays
// the scanner under Wine; elsewhere these tests are skipped.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "support/files.hpp"
#include "support/same_bytes.hpp"
#include "support/scratch.hpp"
#include "support/selection.hpp"
#include "tool_run.hpp"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

const std::string ready = "hold-ready"; // beside the working directory

// A guard against a run that never gives up on a held file, far beyond its
// patience of about a second: not the measure of that patience.
constexpr std::chrono::seconds held_run_limit{30};

// Large enough that the work file stands long enough for hold_file to see it.
const std::string &selection() {
    static const std::string lines = support::selection(50000, 23);
    return lines;
}

// The files one unheld run leaves of the selection.
const Files &unheld_result() {
    static const Files files = [] {
        const support::ScratchDir dir("held-reference");
        support::write_file(dir / "jwc_temp.txt", selection());
        return e2e::run_tool(dir.path(), {}).files;
    }();
    return files;
}

// Where the file is held: before the run starts, or once the run's own work
// file is there (the take-over is done, the result is being written).
struct HeldAt {
    const char *name;
    const char *file; // "*": the name found by after
    const char *after = nullptr;
    int ms = 200;            // how long a brief hold lasts
    bool stale_work = false; // a traced run's work file is there before the run
};

void PrintTo(const HeldAt &h, std::ostream *os) {
    *os << h.name;
}

const HeldAt take_over{"take_over", "jwc_temp.txt"};
const char *const own_file = "JWC_TEMP.$$$.~digit-tint~*";
const HeldAt work_file{"work_file", "*", own_file};
const HeldAt hand_back{"hand_back", "JWC_TEMP.TXT", own_file};
// The run clears a stale work file by moving its new file over it and back.
const HeldAt stale_work[] = {{"stale_work_100ms", "JWC_TEMP.$$$", nullptr, 100, true},
                             {"stale_work_500ms", "JWC_TEMP.$$$", nullptr, 500, true},
                             {"new_file_beside_stale_100ms", "*", own_file, 100, true},
                             {"new_file_beside_stale_500ms", "*", own_file, 500, true}};

// hold_file started in dir, the tool's emulator in front of it; returns once
// it holds the file, or watches for the name to hold.
std::unique_ptr<support::Process> start_holding(const fs::path &dir, const HeldAt &at, int ms) {
    support::Command c;
    std::istringstream emulator(std::getenv("DIGIT_TINT_EMULATOR"));
    for (std::string word; emulator >> word;) c.argv.push_back(word);
    c.argv.insert(c.argv.end(), {std::getenv("DIGIT_TINT_HOLD_FILE"), std::to_string(ms), at.file,
                                 "..\\" + ready});
    if (at.after) c.argv.push_back(at.after);
    c.cwd = dir;
    c.timeout = std::chrono::minutes(1);
    auto holder = std::make_unique<support::Process>(c);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(dir.parent_path() / ready) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return holder;
}

struct HeldRun {
    support::Exit run, held;
};

// The tool run in a fresh dir while hold_file holds the file (for ms, or
// until the run ended where ms is beyond it). A hold that came when the run
// was past the file already proves nothing: that attempt starts again, so
// that the test sees only runs that met the hold, however fast either side.
HeldRun run_held(const fs::path &dir, const HeldAt &at, int ms) {
    for (int attempt = 1;; ++attempt) {
        fs::remove_all(dir);
        fs::remove(dir.parent_path() / ready);
        fs::create_directory(dir);
        support::write_file(dir / "jwc_temp.txt", selection());
        if (at.stale_work) support::write_file(dir / "JWC_TEMP.$$$", "#stale\r\n");
        const auto holder = start_holding(dir, at, ms);
        HeldRun r{e2e::run_tool_alone(dir, {}, 0, held_run_limit), {}};
        if (ms > 1000) holder->kill(SIGKILL);
        r.held = holder->wait();
        if (r.held.out.rfind("too late", 0) != 0 || attempt == 20) return r;
    }
}

class HeldFile : public testing::TestWithParam<HeldAt> {
  protected:
    void SetUp() override {
        if (!std::getenv("DIGIT_TINT_HOLD_FILE") || !std::getenv("DIGIT_TINT_EMULATOR"))
            GTEST_SKIP() << "only the Windows tool under Wine retries a held file";
    }
};

using HeldBriefly = HeldFile;
using HeldLong = HeldFile;

TEST_P(HeldBriefly, CostsTheRunNothing) {
    const Files &want = unheld_result();
    const support::ScratchDir scratch(std::string("held-briefly-") + GetParam().name);
    const fs::path dir = scratch / "work";
    const auto [run, held] = run_held(dir, GetParam(), GetParam().ms);
    ASSERT_EQ(held.status, 0) << "hold_file held nothing: " << held.out << held.err;
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_SAME_FILES(support::read_files(dir), want);
}

INSTANTIATE_TEST_SUITE_P(At, HeldBriefly, testing::Values(take_over, work_file, hand_back),
                         [](const auto &p) { return std::string(p.param.name); });
INSTANTIATE_TEST_SUITE_P(Stale, HeldBriefly, testing::ValuesIn(stale_work),
                         [](const auto &p) { return std::string(p.param.name); });

struct Failed {
    std::string err;
    Files files;
};

// A file held for 5 s: the run gives up after about a second, with the
// message and status of a file that cannot be moved, and the selection where
// it was: under the host's name, or in the exchange file with the whole
// result beside it in the work file.
TEST_P(HeldLong, FailsAfterAboutASecond) {
    const HeldAt &at = GetParam();
    const Failed want =
        std::string(at.name) == take_over.name
            ? Failed{"Cannot open file: jwc_temp.txt \n", {{"jwc_temp.txt", selection()}}}
            : Failed{"Cannot open file: JWC_TEMP.TXT \n",
                     {{"JWC_TEMP.TXT", selection()},
                      {"JWC_TEMP.$$$", unheld_result().at("JWC_TEMP.TXT")}}};
    const support::ScratchDir scratch(std::string("held-long-") + at.name);
    const fs::path dir = scratch / "work";
    const auto [run, held] = run_held(dir, at, 5000);
    EXPECT_EQ(held.out.rfind("too late", 0), std::string::npos) << "the run never met the hold";
    EXPECT_EQ(run.status, e2e::reported_status(-1));
    EXPECT_EQ(run.err, want.err);
    EXPECT_GT(run.seconds, 0.9) << "it did not try again";
    // hold_file says "held" once its 5 s are over: the run gave up before.
    EXPECT_EQ(held.out.find("held "), std::string::npos) << "the run waited out the hold";
    EXPECT_SAME_FILES(support::read_files(dir), want.files);
}

INSTANTIATE_TEST_SUITE_P(At, HeldLong, testing::Values(take_over, hand_back),
                         [](const auto &p) { return std::string(p.param.name); });

// A directory in which nothing can be created, renamed or removed (the
// immutable flag: root's permission bits would not stop Wine): access is
// denied for good.
class Immutable {
  public:
    explicit Immutable(const fs::path &dir) : fd_(open(dir.c_str(), O_RDONLY | O_DIRECTORY)) {
        set_ = fd_ >= 0 && ioctl(fd_, FS_IOC_GETFLAGS, &flags_) == 0 &&
               set_flags(flags_ | FS_IMMUTABLE_FL);
    }
    ~Immutable() {
        if (set_) set_flags(flags_);
        if (fd_ >= 0) close(fd_);
    }
    Immutable(const Immutable &) = delete;
    Immutable &operator=(const Immutable &) = delete;
    bool set() const { return set_; }

  private:
    bool set_flags(int value) const { return ioctl(fd_, FS_IOC_SETFLAGS, &value) == 0; }
    int fd_;
    int flags_ = 0;
    bool set_ = false;
};

TEST_F(HeldFile, AReadOnlyFolderFailsAsBeforeAboutASecondLater) {
    const support::ScratchDir dir("held-read-only-folder");
    support::write_file(dir / "jwc_temp.txt", selection());
    const Immutable read_only(dir.path());
    if (!read_only.set()) GTEST_SKIP() << "cannot make a directory immutable here";
    const support::Exit run = e2e::run_tool_alone(dir.path(), {}, 0, held_run_limit);
    EXPECT_EQ(run.status, e2e::reported_status(-1));
    EXPECT_EQ(run.err, "Cannot open file: jwc_temp.txt \n");
    EXPECT_SAME_FILES(support::read_files(dir.path()), (Files{{"jwc_temp.txt", selection()}}));
}

// Where a run paused, by what Wine's relay trace shows of the calls its own
// thread (the one that asks for JWC_TEMP.TXT) made into the system: the
// first pause, which every try again of a held file's call waits in; "" where
// none was. (A name looked at, then opened, is no try again.)
std::string first_pause(const std::string &relay) {
    const std::size_t asked = relay.find("\"JWC_TEMP.TXT\")");
    const std::string thread = relay.substr(relay.rfind('\n', asked) + 1, 5) + "Call ";
    std::istringstream lines(relay);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(thread, 0) == 0 && (line.find("Sleep(") != std::string::npos ||
                                           line.find("NtDelayExecution(") != std::string::npos))
            return line;
    return asked == std::string::npos ? "no call for JWC_TEMP.TXT" : "";
}

// A missing file is no held one: nothing waits for it. (Where names ignore
// case, jwc_temp.txt is the older JWC_TEMP.TXT itself, and that is taken.)
TEST_F(HeldFile, AMissingSelectionIsNeverWaitedFor) {
    for (const bool older : {true, false}) {
        SCOPED_TRACE(older ? "beside an older exchange file" : "no file at all");
        const support::ScratchDir plain("held-missing"), relayed("held-missing-relayed");
        if (older) support::write_file(plain / "JWC_TEMP.TXT", selection());
        // a short one under the relay trace, which writes a line a call
        if (older) support::write_file(relayed / "JWC_TEMP.TXT", "hq\r\n");
        const support::Exit run = e2e::run_tool_alone(plain.path(), {}, 0, held_run_limit);
        EXPECT_EQ(run.status, older ? 0 : e2e::reported_status(-1));
        EXPECT_EQ(run.err, older ? "" : "Cannot open file: JWC_TEMP.TXT \n");
        EXPECT_SAME_FILES(support::read_files(plain.path()), older ? unheld_result() : Files{});
        const e2e::Outcome traced = e2e::run_tool_within({"env", "WINEDEBUG=+relay"},
                                                         relayed.path(), {}, 0, held_run_limit);
        EXPECT_EQ(traced.status, run.status);
        EXPECT_EQ(first_pause(traced.err), "");
    }
}

} // namespace
