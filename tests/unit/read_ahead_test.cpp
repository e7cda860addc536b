// The fast ways through the read-ahead must read what read_line reads: the
// record pass's reads handed out in place, and the count pass's skipping of
// whole blocks by their line ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "stream/text_in.hpp"

namespace {

namespace fs = std::filesystem;

struct Input {
    const char *name;
    std::function<std::string()> bytes;
};

void PrintTo(const Input &c, std::ostream *os) {
    *os << c.name;
}

std::string repeat(const std::string &s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// Lines of the given content lengths, each with the given end.
std::string lines_of(std::initializer_list<int> lengths, const std::string &end) {
    std::string out;
    for (int n : lengths) out += std::string(static_cast<std::size_t>(n), 'a') + end;
    return out;
}

// Lines of random lengths up to max, bytes drawn mostly from text with CRs,
// NULs and the three kinds of line end mixed in.
std::string random_lines(unsigned seed, int count, int max) {
    std::mt19937 gen(seed);
    std::string out;
    for (int i = 0; i < count; ++i) {
        const int len = static_cast<int>(gen() % static_cast<unsigned>(max + 1));
        for (int k = 0; k < len; ++k) {
            const unsigned r = gen() % 100;
            out += r < 2 ? '\r' : r < 3 ? '\0' : static_cast<char>('a' + r % 26);
        }
        const unsigned e = gen() % 10;
        out += e < 7 ? "\r\n" : e < 9 ? "\n" : "\r";
    }
    return out;
}

const std::vector<Input> inputs = {
    {"empty", [] { return std::string(); }},
    {"crlf_lines", [] { return std::string("lg3\r\nch 1 2 3 4 \"A1\r\n\r\nz\r\n"); }},
    {"bare_lf_and_lone_cr", [] { return std::string("a\nb\rc\r\r\nd\r"); }},
    {"nul_bytes", [] { return std::string("a\0b\r\n\0\r\n", 8); }},
    {"no_final_line_end", [] { return std::string("a\r\nbc"); }},
    // a line has one read up to 253 bytes and its end; pieces from 254 on
    {"around_one_read",
     [] {
         return lines_of({252, 253, 254, 255, 256, 507, 508, 509}, "\r\n");
     }},
    {"around_one_read_lf",
     [] {
         return lines_of({252, 253, 254, 255, 508}, "\n");
     }},
    // a CR that a piece ends with pairs with the LF behind it only in the next read
    {"cr_at_piece_end",
     [] { return std::string(253, 'a') + "\r\r\n" + std::string(254, 'b') + "\r\n"; }},
    // the count's chunk test: runs of 63 to 130 bytes between line ends
    {"chunk_sized_lines",
     [] {
         return lines_of({62, 63, 64, 65, 126, 127, 128, 129, 130, 1, 0, 200}, "\r\n");
     }},
    {"long_line_10000", [] { return "x\r\n" + repeat("abc\r", 2500) + "\r\nz\r\n"; }},
    {"long_line_without_end", [] { return std::string(70000, 'q'); }},
    {"crlf_across_read_ahead",
     [] {
         return std::string(65535, 'a') + "\r\n" + lines_of({10, 20}, "\r\n");
     }},
    {"long_line_across_read_ahead",
     [] { return repeat("short\r\n", 9300) + std::string(1000, 'L') + "\r\n" + "end\r\n"; }},
    // a long line whose CR LF straddles the end of the first read-ahead,
    // where the stretch left before it is two reads long
    {"long_line_crlf_at_read_ahead_end",
     [] { return "abc\n" + std::string(65531, 'x') + "\r\nend\r\n"; }},
    {"many_empty_lines", [] { return repeat("\r\n", 70000) + repeat("\n", 70000); }},
    {"random_short", [] { return random_lines(1, 20000, 40); }},
    {"random_long", [] { return random_lines(2, 3000, 700); }},
    {"random_mixed", [] { return random_lines(3, 6000, 300); }},
};

// A file of each test's own: the tests run in parallel.
std::string temp_path() {
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("digit-tint-unit-read-ahead-") + test->name();
    for (char &c : name)
        if (c == '/') c = '-';
    return (fs::temp_directory_path() / name).string();
}

// Every read as read_line makes it.
std::vector<std::string> reference_reads(const std::string &path) {
    stream::TextIn in;
    EXPECT_TRUE(stream::open_in(in, path.c_str()));
    std::vector<std::string> reads;
    char buf[stream::line_buffer_size];
    for (std::size_t n; (n = stream::read_line(in, buf, sizeof buf)) != 0;)
        reads.emplace_back(buf, n);
    return reads;
}

class ReadAhead : public testing::TestWithParam<Input> {
  protected:
    void SetUp() override {
        std::ofstream(path, std::ios::binary) << GetParam().bytes();
        expected = reference_reads(path);
    }
    void TearDown() override { fs::remove(path); }
    std::string path = temp_path();
    std::vector<std::string> expected;
};

TEST_P(ReadAhead, NextReadHandsOutWhatReadLineReads) {
    stream::TextIn in;
    ASSERT_TRUE(stream::open_in(in, path.c_str()));
    stream::SpareRecordLine spare = {};
    std::vector<std::string> reads;
    for (std::string_view r; !(r = stream::next_record_line(in, spare)).empty();) {
        ASSERT_EQ(r.data()[r.size()], '\0') << "read " << reads.size() << " is not terminated";
        reads.emplace_back(r);
    }
    EXPECT_EQ(reads, expected);
}

// Skipping some reads leaves the input exactly where that many reads would.
TEST_P(ReadAhead, SkipReadsStopsWhereThatManyReadsStop) {
    const std::size_t total = expected.size();
    for (std::size_t most : {std::size_t{0}, std::size_t{1}, std::size_t{2}, total / 3, total / 2,
                             total > 0 ? total - 1 : 0, total, total + 7}) {
        stream::TextIn in;
        ASSERT_TRUE(stream::open_in(in, path.c_str()));
        const std::size_t skipped = stream::skip_record_lines(in, most);
        ASSERT_EQ(skipped, std::min(most, total)) << "most " << most;
        char buf[stream::line_buffer_size];
        const std::size_t n = stream::read_line(in, buf, sizeof buf);
        const std::string next = skipped < total ? expected[skipped] : "";
        EXPECT_EQ(std::string(buf, n), next) << "after skipping " << skipped;
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, ReadAhead, testing::ValuesIn(inputs),
                         [](const testing::TestParamInfo<Input> &p) {
                             return std::string(p.param.name);
                         });

} // namespace
