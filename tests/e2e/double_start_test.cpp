// Two runs started at once in one working directory, as a double click in
// the host does: the second is refused while the first works, or it starts
// after the first has ended and runs on its result. Never anything else.
//
// DIGIT_TINT_DOUBLE_STARTS sets the pairs per selection size (default 12,
// 4 under Wine); the summary of outcomes is printed for each size.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "support/files.hpp"
#include "support/process.hpp"
#include "support/scratch.hpp"
#include "support/selection.hpp"
#include "tool_run.hpp"

namespace {

const std::string busy = "Another run is working in this directory\n";

int pairs_per_size() {
    if (const char *n = std::getenv("DIGIT_TINT_DOUBLE_STARTS"); n && *n) return std::atoi(n);
    return e2e::tool_ignores_case() ? 4 : 12;
}

// What one run, and two runs one after the other, leave of a selection.
struct Expected {
    std::string once, twice;
};

Expected expected_results(const std::string &input) {
    const support::ScratchDir dir("double-start-reference");
    support::write_file(dir / "jwc_temp.txt", input);
    Expected e;
    e.once = e2e::run_tool(dir.path(), {}).files.at("JWC_TEMP.TXT");
    e.twice = e2e::run_tool(dir.path(), {}).files.at("JWC_TEMP.TXT");
    return e;
}

enum class Outcome { one_refused, one_after_the_other, broken };

bool refused(const support::Exit &e) {
    return e.status == 255 && e.err == busy && e.out.empty();
}
bool succeeded(const support::Exit &e) {
    return e.status == 0 && e.err.empty() && e.out.empty();
}

Outcome classify(const support::Exit &a, const support::Exit &b,
                 const std::map<std::string, std::string> &files, const Expected &expected) {
    if (files.size() != 1 || !files.count("JWC_TEMP.TXT")) return Outcome::broken;
    const std::string &left = files.at("JWC_TEMP.TXT");
    const bool one_ran = (succeeded(a) && refused(b)) || (refused(a) && succeeded(b));
    if (one_ran && left == expected.once) return Outcome::one_refused;
    if (succeeded(a) && succeeded(b) && left == expected.twice) return Outcome::one_after_the_other;
    return Outcome::broken;
}

// Starts two runs in one fresh directory, the second 0 to 3 ms after the first.
Outcome start_twice(const std::string &input, const Expected &expected, std::mt19937 &random,
                    std::string &what_broke) {
    const support::ScratchDir dir("double-start");
    support::write_file(dir / "jwc_temp.txt", input);
    support::Process first(e2e::tool_command(dir.path(), {}));
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    support::Process second(e2e::tool_command(dir.path(), {}));
    const support::Exit a = first.wait(), b = second.wait();
    const auto files = support::read_files(dir.path());
    const Outcome o = classify(a, b, files, expected);
    if (o == Outcome::broken) {
        what_broke = "statuses " + std::to_string(a.status) + " and " + std::to_string(b.status) +
                     ", stderr \"" + a.err + "\" and \"" + b.err + "\", files:";
        for (const auto &[name, bytes] : files)
            what_broke += " " + name + " (" + std::to_string(bytes.size()) + " bytes)";
    }
    return o;
}

class DoubleStart : public testing::TestWithParam<std::size_t> {};

TEST_P(DoubleStart, LeavesOneCompleteResultOrTwoRunsInARow) {
    const std::string input = support::selection(GetParam(), 11);
    const Expected expected = expected_results(input);
    std::mt19937 random(static_cast<unsigned>(GetParam()));
    std::map<Outcome, int> count;
    for (int i = 0, n = pairs_per_size(); i < n; ++i) {
        std::string what_broke;
        const Outcome o = start_twice(input, expected, random, what_broke);
        ++count[o];
        EXPECT_NE(o, Outcome::broken) << "pair " << i << ": " << what_broke;
    }
    std::printf("%zu lines: %d pairs, %d with one run refused, %d one after the other, %d broken\n",
                GetParam(), pairs_per_size(), count[Outcome::one_refused],
                count[Outcome::one_after_the_other], count[Outcome::broken]);
}

INSTANTIATE_TEST_SUITE_P(Sizes, DoubleStart, testing::Values(std::size_t{3}, std::size_t{20000}));

} // namespace
