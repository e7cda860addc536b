// The stream layer: line reads of at most 254 bytes with CR LF turned into a
// newline, and writes that turn every newline into CR LF.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#define NOGDI // whose TextOut macro would rename stream::TextOut
#include <windows.h>

#include <chrono>
#include <thread>
#endif

#include "stream/text_in.hpp"
#include "stream/text_out.hpp"
#include "support/same_bytes.hpp"
#include "support/scratch.hpp"

namespace {

namespace fs = std::filesystem;

// Files of this test program's own, so that tests running side by side never
// share one; removed at its exit.
fs::path temp_file(const std::string &name) {
    static const support::ScratchDir dir("unit");
    return dir / name;
}

std::vector<std::string> read_lines(const std::string &bytes) {
    const fs::path path = temp_file("in");
    std::ofstream(path, std::ios::binary) << bytes;
    std::vector<std::string> lines;
    {
        stream::TextIn in;
        char buf[stream::line_buffer_size];
        const bool opened = stream::open_in(in, path.string().c_str());
        for (std::size_t n; opened && (n = stream::read_line(in, buf, sizeof buf)) != 0;)
            lines.emplace_back(buf, n);
    }
    fs::remove(path);
    return lines;
}

struct ReadCase {
    const char *name;
    std::string bytes;
    std::vector<std::string> lines;
};

class Reads : public testing::TestWithParam<ReadCase> {};

TEST_P(Reads, SplitAndTranslateAsTheHostsTextFiles) {
    EXPECT_EQ(read_lines(GetParam().bytes), GetParam().lines);
}

const std::string a253(253, 'a'), a254(254, 'a');

INSTANTIATE_TEST_SUITE_P(
    Lines, Reads,
    testing::Values(ReadCase{"crlf", "a\r\nb\r\n", {"a\n", "b\n"}},
                    ReadCase{"bare_lf", "a\nb", {"a\n", "b"}},
                    ReadCase{"lone_cr_stays", "a\rb\r\r\nc\r", {"a\rb\r\n", "c\r"}},
                    ReadCase{"ctrl_z_and_nul_are_bytes",
                             std::string("a\x1A\0b\r\n", 6),
                             {std::string("a\x1A\0b\n", 5)}},
                    ReadCase{"fits_253", a253 + "\r\n", {a253 + "\n"}},
                    ReadCase{"newline_alone_after_254", a254 + "\r\n", {a254, "\n"}},
                    ReadCase{"split_300",
                             std::string(300, 'b') + "\n",
                             {std::string(254, 'b'), std::string(46, 'b') + "\n"}},
                    ReadCase{"empty_lines", "\r\n\r\n", {"\n", "\n"}},
                    // a CR LF that straddles the read-ahead buffer still reads as one newline
                    ReadCase{"crlf_across_buffer", std::string(65535, '\n') + "\r\n",
                             [] {
                                 std::vector<std::string> v(65536, "\n");
                                 return v;
                             }()}),
    [](const testing::TestParamInfo<ReadCase> &p) { return std::string(p.param.name); });

TEST(OpenIn, RefusesWhatCannotBeRead) {
    stream::TextIn in;
    EXPECT_FALSE(stream::open_in(in, temp_file("missing").string().c_str()));
    EXPECT_FALSE(stream::open_in(in, fs::temp_directory_path().string().c_str()));
}

#ifdef _WIN32
// The exchange file opened while this process holds it without sharing, as a
// virus scanner may for a moment: for hold_ms, or until the open gave up.
// How long the open took, in seconds.
double open_while_held(DWORD hold_ms, bool &opened) {
    const fs::path path = temp_file("held");
    std::ofstream(path, std::ios::binary) << "a\r\n";
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    std::thread holder([h, hold_ms] {
        Sleep(hold_ms);
        CloseHandle(h);
    });
    const auto start = std::chrono::steady_clock::now();
    stream::TextIn in;
    opened = stream::open_in(in, path.string().c_str());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    stream::close_in(in);
    holder.join();
    fs::remove(path);
    return took.count();
}

TEST(OpenIn, WaitsAboutASecondForAHeldFile) {
    bool opened = false;
    EXPECT_LT(open_while_held(150, opened), 0.5);
    EXPECT_TRUE(opened);
    const double gave_up = open_while_held(1500, opened);
    EXPECT_FALSE(opened);
    EXPECT_GT(gave_up, 0.9);
    EXPECT_LT(gave_up, 1.3);
}
#endif

std::string written(const std::vector<std::string> &pieces, bool end_line) {
    const fs::path path = temp_file("out");
    {
        stream::TextOut out;
        fs::remove(path);
        bool name_taken = false;
        EXPECT_TRUE(stream::open_new(out, path.string().c_str(), 0666, name_taken));
        for (const auto &p : pieces) stream::put(out, p);
        if (end_line) stream::end_open_line(out);
        EXPECT_TRUE(stream::close_out(out));
    }
    std::stringstream s;
    {
        // closed before the remove: Windows refuses to remove an open file
        std::ifstream f(path, std::ios::binary);
        s << f.rdbuf();
    }
    fs::remove(path);
    return s.str();
}

TEST(Writes, EveryNewlineBecomesCrLf) {
    EXPECT_EQ(written({"a\nb\r\n", "\n"}, false), "a\r\nb\r\r\n\r\n");
    EXPECT_SAME_BYTES(written({std::string(100000, 'x') + "\n"}, false),
                      std::string(100000, 'x') + "\r\n");
}

TEST(Writes, AnOpenLineIsEndedOnce) {
    EXPECT_EQ(written({"abc"}, true), "abc\r\n");
    EXPECT_EQ(written({"abc\n"}, true), "abc\r\n");
    EXPECT_EQ(written({}, true), "");
}

} // namespace
