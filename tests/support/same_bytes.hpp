// EXPECT_SAME_BYTES(got, want): byte strings compared for a test, failing
// small. Short ones are shown whole, one physical line per line; long ones
// by their sizes and the first difference with a little context, never as
// two huge strings.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>

#include "difference.hpp"

namespace support {

// Beyond this size a side is not shown whole.
constexpr std::size_t shown_whole_up_to = 2000;

// One physical line per line, escaped, for a short side shown whole.
inline std::string show_lines(std::string_view bytes) {
    std::string out;
    for (std::size_t from = 0; from < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', from), bytes.size() - 1) + 1;
        out += "      " + escape(bytes.substr(from, end - from)) + "\n";
        from = end;
    }
    return out;
}

inline testing::AssertionResult same_bytes(const char *got_expr, const char *want_expr,
                                           std::string_view got, std::string_view want) {
    const std::string difference = first_difference(got, want);
    if (difference.empty()) return testing::AssertionSuccess();
    testing::AssertionResult failure = testing::AssertionFailure();
    failure << got_expr << " differs from " << want_expr << ": " << difference;
    if (got.size() <= shown_whole_up_to && want.size() <= shown_whole_up_to)
        failure << "\n  got:\n" << show_lines(got) << "  want:\n" << show_lines(want);
    return failure;
}

// Two directories' files by name, each compared as same_bytes compares.
inline testing::AssertionResult same_files(const char *got_expr, const char *want_expr,
                                           const std::map<std::string, std::string> &got,
                                           const std::map<std::string, std::string> &want) {
    std::string names_got, names_want;
    for (const auto &entry : got) names_got += " " + entry.first;
    for (const auto &entry : want) names_want += " " + entry.first;
    if (names_got != names_want)
        return testing::AssertionFailure()
               << got_expr << " holds" << names_got << ", " << want_expr << names_want;
    for (const auto &[name, bytes] : got) {
        const std::string expr = std::string(got_expr) + " " + name;
        if (auto r = same_bytes(expr.c_str(), want_expr, bytes, want.at(name)); !r) return r;
    }
    return testing::AssertionSuccess();
}

} // namespace support

#define EXPECT_SAME_BYTES(got, want) EXPECT_PRED_FORMAT2(::support::same_bytes, got, want)
#define ASSERT_SAME_BYTES(got, want) ASSERT_PRED_FORMAT2(::support::same_bytes, got, want)
#define EXPECT_SAME_FILES(got, want) EXPECT_PRED_FORMAT2(::support::same_files, got, want)
