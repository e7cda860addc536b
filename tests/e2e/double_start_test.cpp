// Two runs started at once in one working directory, as a double click in
// the host does: the second is refused while the first works, or it starts
// after the first has ended and runs on its result. Never anything else.
//
// DIGIT_TINT_DOUBLE_STARTS sets the pairs per selection size (default 12,
// 4 under Wine); the summary of outcomes is printed for each size.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <unistd.h>

#include "support/files.hpp"
#include "support/process.hpp"
#include "support/scratch.hpp"
#include "support/selection.hpp"
#include "tool_run.hpp"

namespace {

namespace fs = std::filesystem;

const std::string busy = "Another run is working in this directory\n";

int pairs_per_size() {
    if (const char *n = std::getenv("DIGIT_TINT_DOUBLE_STARTS"); n && *n) return std::atoi(n);
    return e2e::tool_ignores_case() ? 4 : 12;
}

// What one run, and two runs one after the other, leave of a selection.
struct Expected {
    std::string once, twice;
    long run_us; // how long one run takes, in microseconds
};

Expected expected_results(const std::string &input) {
    const support::ScratchDir dir("double-start-reference");
    support::write_file(dir / "jwc_temp.txt", input);
    Expected e;
    const auto start = std::chrono::steady_clock::now();
    e.once = e2e::run_tool(dir.path(), {}).files.at("JWC_TEMP.TXT");
    e.run_us = static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now() - start)
                                     .count());
    e.twice = e2e::run_tool(dir.path(), {}).files.at("JWC_TEMP.TXT");
    return e;
}

// How the directory takes the run lock. Where it cannot be locked the runs
// go on unlocked, and must still never hand back what another run wrote.
enum class Lock {
    taken,          // the lock works: the second run is refused while the first works
    failing,        // flock fails with ENOLCK, as on a file system without locks
    unreadable_dir, // mode 0333: another user can write there but not open it to lock it
};

struct Way {
    const char *name;
    Lock lock;
    bool older_exchange_file;           // an earlier run's JWC_TEMP.TXT beside the selection
    bool second_through_a_link = false; // the second run reaches the directory by another path
};

void PrintTo(const Way &w, std::ostream *os) {
    *os << w.name;
}

enum class Outcome { one_refused, both_ran, both_refused, broken };

bool refused(const support::Exit &e) {
    const bool says_why = e.err == busy || e.err.rfind("Cannot open file: ", 0) == 0;
    return e.status == 255 && says_why && e.out.empty();
}
bool succeeded(const support::Exit &e) {
    return e.status == 0 && e.err.empty() && e.out.empty();
}

const char *const exchange_names[] = {"jwc_temp.txt", "JWC_x2x2.$$", "JWC_x2x2.$$$",
                                      "JWC_TEMP.TXT"};

// A run that ended with 0 handed back a whole result, of the selection or of
// the other run's result; where neither did, the selection is still there.
// Under the lock more holds: a run is refused only as busy, and two runs
// that both ran ran one after the other.
Outcome classify(const support::Exit &a, const support::Exit &b,
                 const std::map<std::string, std::string> &files, const std::string &input,
                 const Expected &expected, bool locked) {
    if (!(succeeded(a) || refused(a)) || !(succeeded(b) || refused(b))) return Outcome::broken;
    if (locked && ((refused(a) && a.err != busy) || (refused(b) && b.err != busy)))
        return Outcome::broken;
    if (refused(a) && refused(b)) {
        if (locked) return Outcome::broken;
        for (const char *name : exchange_names)
            if (files.count(name) && files.at(name) == input) return Outcome::both_refused;
        return Outcome::broken;
    }
    if (files.size() != 1 || !files.count("JWC_TEMP.TXT")) return Outcome::broken;
    const std::string &left = files.at("JWC_TEMP.TXT");
    const bool both_ran = succeeded(a) && succeeded(b);
    if (left == expected.twice && (both_ran || !locked))
        return both_ran ? Outcome::both_ran : Outcome::one_refused;
    if (left == expected.once && (!both_ran || !locked))
        return both_ran ? Outcome::both_ran : Outcome::one_refused;
    return Outcome::broken;
}

constexpr unsigned nobody = 65534;

// The directory for one pair and the command of each run in it.
support::Command pair_command(const fs::path &dir, const Way &way) {
    support::Command c = e2e::tool_command(dir, {});
    if (way.lock == Lock::failing) {
        const auto wrapper = e2e::failing_calls("flock:error=ENOLCK");
        c.argv.insert(c.argv.begin(), wrapper.begin(), wrapper.end());
    }
    if (way.lock == Lock::unreadable_dir) c.as_user = nobody;
    // A sanitizer build's leak check at the exit stops its threads by
    // tracing them, and a run stopped meanwhile (below) never gets out of it.
    c.env.emplace_back("ASAN_OPTIONS", "detect_leaks=0");
    return c;
}

// Why another user cannot run the tool in a scratch directory of the
// unreadable way's modes, or "" where it can.
std::string unreachable_scratch(const Way &way) {
    if (way.lock != Lock::unreadable_dir) return "";
    const support::ScratchDir probe("double-start-reach");
    fs::permissions(probe.path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    return e2e::unreachable_by(nobody, probe.path());
}

// Starts two runs in one fresh directory, the second at a random moment of
// the first one's run: its start, its take-over, its work or its hand-back.
Outcome start_twice(const std::string &input, const Expected &expected, const Way &way,
                    std::mt19937 &random, std::string &what_broke) {
    const support::ScratchDir scratch("double-start");
    const fs::path dir = scratch / "work";
    fs::create_directory(dir);
    support::write_file(dir / "jwc_temp.txt", input);
    if (way.older_exchange_file) support::write_file(dir / "JWC_TEMP.TXT", "#an older drawing\r\n");
    if (way.lock == Lock::unreadable_dir) {
        fs::permissions(scratch.path(),
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        fs::permissions(dir, fs::perms::owner_write | fs::perms::owner_exec |
                                 fs::perms::group_write | fs::perms::group_exec |
                                 fs::perms::others_write | fs::perms::others_exec);
    }
    support::Process first(pair_command(dir, way));
    std::this_thread::sleep_for(
        std::chrono::microseconds(random() % static_cast<unsigned long>(expected.run_us + 1)));
    const fs::path link = scratch / "link";
    if (way.second_through_a_link) fs::create_directory_symlink(dir, link);
    support::Process second(pair_command(way.second_through_a_link ? link : dir, way));
    // What the host reads once the first run has ended, taken while the
    // second one stands still: a second run may still be writing the file.
    const support::Exit a = first.wait();
    second.kill(SIGSTOP);
    support::make_removable(dir);
    const auto files_at_first_end = support::read_files(dir);
    second.kill(SIGCONT);
    const support::Exit b = second.wait();
    support::make_removable(dir);
    const auto files = support::read_files(dir);
    Outcome o = classify(a, b, files, input, expected, way.lock == Lock::taken);
    const bool first_left_whole = files_at_first_end.count("JWC_TEMP.TXT") &&
                                  (files_at_first_end.at("JWC_TEMP.TXT") == expected.once ||
                                   files_at_first_end.at("JWC_TEMP.TXT") == expected.twice);
    if (succeeded(a) && !first_left_whole) o = Outcome::broken;
    if (o == Outcome::broken) {
        what_broke = "statuses " + std::to_string(a.status) + " and " + std::to_string(b.status) +
                     ", stderr \"" + a.err + "\" and \"" + b.err + "\", files:";
        for (const auto &[name, bytes] : files)
            what_broke += " " + name + " (" + std::to_string(bytes.size()) + " bytes)";
    }
    return o;
}

bool possible(const Way &way) {
    switch (way.lock) {
    case Lock::taken: return true;
    case Lock::failing: return e2e::can_fail_calls();
    case Lock::unreadable_dir: return geteuid() == 0 && !e2e::tool_ignores_case();
    }
    return false;
}

class DoubleStart : public testing::TestWithParam<std::tuple<std::size_t, Way>> {};

TEST_P(DoubleStart, NeverHandsBackWhatTheOtherRunWrote) {
    const auto &[lines, way] = GetParam();
    if (!possible(way)) GTEST_SKIP() << "this lock cannot be taken away here";
    if (const std::string why = unreachable_scratch(way); !why.empty()) GTEST_SKIP() << why;
    const std::string input = support::selection(lines, 11);
    const Expected expected = expected_results(input);
    std::mt19937 random(static_cast<unsigned>(lines));
    std::map<Outcome, int> count;
    for (int i = 0, n = pairs_per_size(); i < n; ++i) {
        std::string what_broke;
        const Outcome o = start_twice(input, expected, way, random, what_broke);
        ++count[o];
        EXPECT_NE(o, Outcome::broken) << "pair " << i << ": " << what_broke;
    }
    std::printf("%zu lines, %s: %d pairs, %d with one run refused, %d with both run, %d with both "
                "refused, %d broken\n",
                lines, way.name, pairs_per_size(), count[Outcome::one_refused],
                count[Outcome::both_ran], count[Outcome::both_refused], count[Outcome::broken]);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DoubleStart,
    testing::Combine(testing::Values(std::size_t{3}, std::size_t{20000}, std::size_t{100000}),
                     testing::Values(Way{"locked", Lock::taken, false},
                                     Way{"locked_beside_an_older_file", Lock::taken, true},
                                     // one lock for one directory, whatever its path; (Wine
                                     // gives a program the folder of the resolved directory,
                                     // and a drive letter mapped onto it a volume serial
                                     // of its own, so no second spelling reaches it there)
                                     Way{"locked_through_a_link", Lock::taken, false, true},
                                     Way{"lock_failing", Lock::failing, false},
                                     Way{"lock_failing_beside_an_older_file", Lock::failing, true},
                                     Way{"unreadable_directory", Lock::unreadable_dir, true})),
    [](const testing::TestParamInfo<std::tuple<std::size_t, Way>> &p) {
        return std::to_string(std::get<0>(p.param)) + "_lines_" + std::get<1>(p.param).name;
    });

} // namespace
