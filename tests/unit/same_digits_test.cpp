// The digits the tool prints and the values it scans, pinned to the bytes GNU
// libc's printf and sscanf give, so that every build (the Windows one run
// under Wine included, whose C runtime rounds otherwise) hands back the same
// bytes. Unlike a comparison with the local C library, these hold anywhere.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "stream/format.hpp"
#include "stream/scan.hpp"

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

std::string fixed(double v, int decimals) {
    stream::LineBuf b;
    stream::add_fixed(b, v, decimals);
    return std::string(stream::view(b));
}

struct PrintCase {
    double value;
    const char *nine, *two, *one; // "%.9f", "%.2f", "%.1f"
};

void PrintTo(const PrintCase &c, std::ostream *os) {
    *os << c.nine;
}

class Prints : public testing::TestWithParam<PrintCase> {};

TEST_P(Prints, AsGnuPrintfDoes) {
    const PrintCase &c = GetParam();
    EXPECT_EQ(fixed(c.value, 9), c.nine);
    EXPECT_EQ(fixed(c.value, 2), c.two);
    EXPECT_EQ(fixed(c.value, 1), c.one);
}

INSTANTIATE_TEST_SUITE_P(
    LongExpansions, Prints,
    testing::Values(
        PrintCase{0.1, "0.100000000", "0.10", "0.1"},
        PrintCase{1e15 + 0.3, "1000000000000000.250000000", "1000000000000000.25",
                  "1000000000000000.2"},
        PrintCase{-123456789.987654321, "-123456789.987654328", "-123456789.99", "-123456790.0"},
        PrintCase{2.5e-10, "0.000000000", "0.00", "0.0"},
        PrintCase{-2.5e-10, "-0.000000000", "-0.00", "-0.0"},
        PrintCase{5e-10, "0.000000001", "0.00", "0.0"},
        PrintCase{1e-9, "0.000000001", "0.00", "0.0"},
        // exact halves go to the even digit; 2.675 and 1.005 lie below their half
        PrintCase{0.125, "0.125000000", "0.12", "0.1"},
        PrintCase{0.375, "0.375000000", "0.38", "0.4"},
        PrintCase{2.675, "2.675000000", "2.67", "2.7"},
        PrintCase{1.005, "1.005000000", "1.00", "1.0"},
        PrintCase{0.05, "0.050000000", "0.05", "0.1"},
        PrintCase{0.45, "0.450000000", "0.45", "0.5"},
        PrintCase{0.9999999995, "0.999999999", "1.00", "1.0"},
        PrintCase{9999999999.9999999, "10000000000.000000000", "10000000000.00", "10000000000.0"},
        PrintCase{1234567.0000000005, "1234567.000000000", "1234567.00", "1234567.0"},
        PrintCase{4503599627370495.5, "4503599627370495.500000000", "4503599627370495.50",
                  "4503599627370495.5"},
        PrintCase{1e22, "10000000000000000000000.000000000", "10000000000000000000000.00",
                  "10000000000000000000000.0"},
        PrintCase{5e-324, "0.000000000", "0.00", "0.0"},
        PrintCase{-0.0, "-0.000000000", "-0.00", "-0.0"}, PrintCase{inf, "inf", "inf", "inf"},
        PrintCase{-inf, "-inf", "-inf", "-inf"}, PrintCase{nan, "nan", "nan", "nan"}));

TEST(Prints, TheLargestDoubleInFull) {
    const std::string digits =
        "17976931348623157081452742373170435679807056752584499659891747680315726078002853"
        "87605895586327668781715404589535143824642343213268894641827684675467035375169860"
        "49910576551282076245490090389328944075868508455133942304583236903222948165808559"
        "332123348274797826204144723168738177180919299881250404026184124858368";
    EXPECT_EQ(fixed(std::numeric_limits<double>::max(), 9), digits + ".000000000");
}

// ---- scanning ----------------------------------------------------------------

struct FloatScan {
    const char *text;
    bool ok;
    double value;  // as stored; the target keeps -99 when the scan fails
    long consumed; // bytes taken, leading blanks included
};

void PrintTo(const FloatScan &c, std::ostream *os) {
    *os << '"' << c.text << '"';
}

class ScansLf : public testing::TestWithParam<FloatScan> {};

TEST_P(ScansLf, AsGnuSscanfDoes) {
    const FloatScan &c = GetParam();
    const char *p = c.text;
    double v = -99.0;
    ASSERT_EQ(stream::scan::real(p, v), c.ok);
    if (std::isnan(c.value)) {
        EXPECT_TRUE(std::isnan(v));
        EXPECT_FALSE(std::signbit(v));
    } else {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(v), std::bit_cast<std::uint64_t>(c.value))
            << v << " " << c.value;
    }
    if (c.ok) {
        EXPECT_EQ(p - c.text, c.consumed);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScansLf,
    testing::Values(FloatScan{"0.1", true, 0x1.999999999999ap-4, 3},
                    FloatScan{"1000000000000000.3", true, 0x1.c6bf526340002p+49, 18},
                    FloatScan{"-123456789.987654321", true, -0x1.d6f3457f35ba8p+26, 20},
                    FloatScan{"2.5e-10", true, 0x1.12e0be826d695p-32, 7},
                    FloatScan{"2.675", true, 0x1.5666666666666p+1, 5},
                    FloatScan{"1e22", true, 0x1.0f0cf064dd592p+73, 4},
                    FloatScan{"0.30000000000000004", true, 0x1.3333333333334p-2, 19},
                    FloatScan{"9007199254740993", true, 0x1p+53, 16},
                    FloatScan{"123456789012345678901234567890", true, 0x1.8ee90ff6c373ep+96, 30},
                    FloatScan{"1.7976931348623157e308", true, 0x1.fffffffffffffp+1023, 22},
                    FloatScan{"2.2250738585072011e-308", true, 0x0.fffffffffffffp-1022, 23},
                    FloatScan{"4.9e-324", true, 0x0.0000000000001p-1022, 8},
                    FloatScan{"2e-324", true, 0.0, 6}, FloatScan{"1e-400", true, 0.0, 6},
                    FloatScan{"1.7976931348623159e308", true, inf, 22},
                    FloatScan{"1e400", true, inf, 5}, FloatScan{"-1e400", true, -inf, 6},
                    FloatScan{"0x1p-3", true, 0.125, 6}, FloatScan{"0x1.8p1", true, 3.0, 7},
                    FloatScan{"-0", true, -0.0, 2}, FloatScan{"nan", true, nan, 3},
                    FloatScan{"-inf", true, -inf, 4}, FloatScan{"Infinity", true, inf, 8},
                    FloatScan{"1e", true, 1.0, 2}, FloatScan{"1e+", true, 1.0, 3},
                    FloatScan{"1.5.3", true, 1.5, 3}, FloatScan{".5", true, 0.5, 2},
                    FloatScan{"5.", true, 5.0, 2}, FloatScan{"  +7.25x", true, 7.25, 7},
                    FloatScan{"0x", false, -99.0, 0}, FloatScan{"0xg", false, -99.0, 0},
                    FloatScan{"e5", false, -99.0, 0}, FloatScan{".", false, -99.0, 0},
                    FloatScan{"-", false, -99.0, 0}, FloatScan{"infinit", false, -99.0, 0}));

struct IntScan {
    const char *text;
    bool d_ok;
    int d_value;
    long d_consumed;
    bool x_ok;
    int x_value;
    long x_consumed;
};

void PrintTo(const IntScan &c, std::ostream *os) {
    *os << '"' << c.text << '"';
}

class ScansIntegers : public testing::TestWithParam<IntScan> {};

TEST_P(ScansIntegers, AsGnuSscanfDoes) {
    const IntScan &c = GetParam();
    const char *p = c.text;
    int v = -99;
    EXPECT_EQ(stream::scan::integer(p, v), c.d_ok) << "%d";
    EXPECT_EQ(v, c.d_value) << "%d";
    if (c.d_ok) {
        EXPECT_EQ(p - c.text, c.d_consumed) << "%d";
    }
    p = c.text;
    v = -99;
    EXPECT_EQ(stream::scan::hex_integer(p, v), c.x_ok) << "%x";
    EXPECT_EQ(v, c.x_value) << "%x";
    if (c.x_ok) {
        EXPECT_EQ(p - c.text, c.x_consumed) << "%x";
    }
}

// Values past 32 bits keep the low 32 bits of the 64-bit long they saturate in.
INSTANTIATE_TEST_SUITE_P(
    Table, ScansIntegers,
    testing::Values(
        IntScan{"42", true, 42, 2, true, 66, 2}, IntScan{"-17", true, -17, 3, true, -23, 3},
        IntScan{"+8", true, 8, 2, true, 8, 2}, IntScan{"007", true, 7, 3, true, 7, 3},
        IntScan{"2147483647", true, 2147483647, 10, true, 1195914823, 10},
        IntScan{"2147483648", true, -2147483647 - 1, 10, true, 1195914824, 10},
        IntScan{"-2147483649", true, 2147483647, 11, true, -1195914825, 11},
        IntScan{"4294967296", true, 0, 10, true, -1802079594, 10},
        IntScan{"99999999999999999999", true, -1, 20, true, -1, 20},
        IntScan{"-99999999999999999999", true, 0, 21, true, -1, 21},
        IntScan{"12abc", true, 12, 2, true, 76476, 5}, IntScan{" \t 5", true, 5, 4, true, 5, 4},
        IntScan{"-", false, -99, 0, false, -99, 0}, IntScan{"x", false, -99, 0, false, -99, 0},
        IntScan{"0x1F", true, 0, 1, true, 31, 4}, IntScan{"ff", false, -99, 0, true, 255, 2},
        IntScan{"FFFFFFFF", false, -99, 0, true, -1, 8},
        IntScan{"100000000", true, 100000000, 9, true, 0, 9},
        IntScan{"0xg", true, 0, 1, true, 0, 2},
        IntScan{"123456789abcdef01", true, 123456789, 9, true, -1, 17}));

} // namespace
