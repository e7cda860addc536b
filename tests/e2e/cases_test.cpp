// Runs every case of every ".case" file in the cases directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>

#include "support/case_file.hpp"
#include "support/files.hpp"
#include "support/same_bytes.hpp"
#include "support/scratch.hpp"
#include "tool_run.hpp"

namespace {

namespace fs = std::filesystem;

std::vector<e2e::Case> all_cases() {
    std::vector<fs::path> files;
    for (const auto &entry : fs::directory_iterator(E2E_CASES_DIR))
        if (entry.path().extension() == ".case") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<e2e::Case> cases;
    for (const auto &f : files) {
        auto more = e2e::load_cases(f.string());
        cases.insert(cases.end(), more.begin(), more.end());
    }
    return cases;
}

// Where the version the build gives stands in an expected stdout.
constexpr std::string_view version_mark = "@version@";

class Cases : public testing::TestWithParam<e2e::Case> {};

TEST_P(Cases, LeaveExactlyTheExpectedBytes) {
    const e2e::Case &c = GetParam();
    SCOPED_TRACE(c.source + ": " + c.title);
    if (!c.names.empty() && (c.names == "ignore case") != e2e::tool_ignores_case())
        GTEST_SKIP() << "only where file names " << c.names;
    const support::ScratchDir dir("e2e");
    for (const auto &[name, bytes] : c.inputs) support::write_file(dir / name, bytes);
    const e2e::Outcome o = e2e::run_tool(dir.path(), c.args);
    EXPECT_EQ(o.status, e2e::reported_status(c.status));
    std::string expected_out = c.expected_out;
    if (const auto at = expected_out.find(version_mark); at != std::string::npos)
        expected_out.replace(at, version_mark.size(), DIGIT_TINT_VERSION);
    EXPECT_SAME_BYTES(o.out, expected_out) << "stdout";
    EXPECT_SAME_BYTES(o.err, c.expected_err) << "stderr";
    for (const auto &[name, want] : c.expected_files) {
        auto it = o.files.find(name);
        if (it == o.files.end()) {
            ADD_FAILURE() << name << " is missing";
            continue;
        }
        const std::string &got = it->second;
        EXPECT_SAME_BYTES(got, want) << name;
    }
    for (const auto &[name, bytes] : o.files)
        EXPECT_TRUE(c.expected_files.count(name))
            << name << " was left behind (" << bytes.size()
            << " bytes): " << support::escape(std::string_view(bytes).substr(0, 200));
}

std::string case_name(const testing::TestParamInfo<e2e::Case> &info) {
    std::string name = fs::path(info.param.source.substr(0, info.param.source.find(':'))).stem();
    name += '_';
    name.append(info.param.source, info.param.source.rfind(':') + 1);
    for (char &ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Files, Cases, testing::ValuesIn(all_cases()), case_name);

} // namespace
