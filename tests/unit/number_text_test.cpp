// Differential test of the number layer against the C library: every print
// must give snprintf's bytes and every scan sscanf's verdict, length and bits.
// Only GNU libc is the reference the scanner follows, so elsewhere it is empty.
#include <cstdio>

#ifdef __GLIBC__

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "stream/format.hpp"
#include "stream/scan.hpp"

namespace {

std::uint64_t bits(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// ---- printing ------------------------------------------------------------------

std::string ours(double v, int decimals) {
    stream::LineBuf b;
    stream::add_fixed(b, v, decimals);
    return std::string(stream::view(b));
}

std::string theirs(double v, int decimals) {
    static char buf[4096];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// Doubles a run meets and the ones printing gets wrong most easily.
std::vector<double> print_values() {
    std::vector<double> v = {0.0,
                             -0.0,
                             1.0,
                             -1.0,
                             9.9999999995,
                             9.99999999949999,
                             99.995,
                             0.95,
                             0.05,
                             999999.9999999995,
                             -9.9999999995,
                             1e-10,
                             -1e-10,
                             4.9999999999e-10,
                             5e-10,
                             1e15,
                             123456789012345678.0,
                             1.8e19,
                             1e22,
                             1e300,
                             DBL_MAX,
                             -DBL_MAX,
                             DBL_MIN,
                             DBL_TRUE_MIN,
                             -DBL_TRUE_MIN,
                             HUGE_VAL,
                             -HUGE_VAL,
                             std::nan(""),
                             -std::nan("")};
    // Exact ties at 1, 2 and 9 decimals (odd multiples of 2^-(d+1)), which
    // must round to the even digit, at small and large magnitudes.
    for (int d : {1, 2, 9})
        for (int odd = 1; odd < 64; odd += 2)
            for (double whole : {0.0, 1.0, 7.0, 3640.0, 123456789.0}) {
                const double tie = whole + std::ldexp(odd, -(d + 1));
                v.push_back(tie);
                v.push_back(-tie);
            }
    // Random values over many magnitudes, and coordinates of a drawing.
    std::mt19937_64 gen(20261208);
    for (int i = 0; i < 20000; ++i) {
        const double mantissa = static_cast<double>(gen() >> 11) / 9007199254740992.0;
        const int exponent = static_cast<int>(gen() % 48) - 24;
        const double x = mantissa * std::pow(10.0, exponent);
        v.push_back(i % 2 ? -x : x);
        v.push_back(static_cast<double>(static_cast<long>(gen() % 3000000) - 300000) / 100.0);
    }
    return v;
}

TEST(NumberText, FixedPrintsAsSnprintf) {
    int mismatches = 0;
    for (double v : print_values())
        for (int d : {9, 2, 1, 0}) {
            const std::string want = theirs(v, d);
            if (ours(v, d) == want) continue;
            if (++mismatches <= 10)
                ADD_FAILURE() << "%." << d << "f of " << want << " (bits " << std::hex << bits(v)
                              << ") printed as " << ours(v, d);
        }
    EXPECT_EQ(mismatches, 0);
}

// ---- scanning ------------------------------------------------------------------

// Field texts: the corner cases of scanf's float and integer fields, then
// numbers in every form a writer might use, each followed by what may stand
// behind a field.
std::vector<std::string> field_texts() {
    std::vector<std::string> tokens = {
        "", " ", "1", "-1", "+1", "1e", "1e+", "1e-", "1E5", "1e5", "1.5.3", "1..5", ".5", "-.5",
        "5.", ".", "+", "-", "+-1", "--1", "inf", "INF", "-inf", "infinity", "Infinity", "infin",
        "infx", "in", "nan", "NaN", "-nan", "+nan", "nan(123)", "na", "0x1p3", "0X1P3", "0x", "0x.",
        "0x.8", "0x1.8p-2", "0xg", "0x1p", "0x1p+", "-0x10", "0x1A", "0X1a", "1A", "A", "ff", "-ff",
        "0", "-0", "+0", "00", "007", "0.000", "-0.0", "1e400", "-1e400", "1e-400", "-1e-400",
        "2.4703282292062328e-324", "2.4703282292062327e-324", "4.9e-324", "1.7976931348623157e308",
        "1.7976931348623159e308", "0x1.fffffffffffffp1023", "9007199254740993",
        "9007199254740992.5", "123456789012345678901234567890", "2147483647", "2147483648",
        "-2147483648", "-2147483649", "4294967295", "4294967296", "9223372036854775807",
        "9223372036854775808", "-9223372036854775809", "18446744073709551615",
        "18446744073709551616", "99999999999999999999999", "ffffffff", "100000000",
        "7fffffffffffffff", "ffffffffffffffffff", "0.1", "0.3", "3640.5", "-1820.25",
        "24790.695356", "1e22", "1e23", "8.5e-5", "\t12", "\v7", "\n3", "\r5", "\f9",
        // more than 53 bits of digits, where rounding them
        // first and dividing after rounds twice and misses
        "833245305271840092.2", "539295.9896160532161", "594441500608.3986019",
        "124.6623673362991983", "469623.7726205381115", "178234058090.114916",
        // a %x field of all 64 bits whose last digit the overflow test must let in
        "fffffffffffffff0"};
    std::mt19937_64 gen(7);
    char buf[64];
    const char *const forms[] = {"%.17g", "%.3f", "%.9f", "%e", "%a", "%.0f", "%g"};
    for (int i = 0; i < 3000; ++i) {
        double m = static_cast<double>(gen() >> 11) / 9007199254740992.0;
        double x = m * std::pow(10.0, static_cast<int>(gen() % 40) - 20);
        if (gen() % 2) x = -x;
        std::snprintf(buf, sizeof buf, forms[gen() % std::size(forms)], x);
        tokens.push_back(buf);
    }
    std::vector<std::string> texts;
    for (const auto &t : tokens)
        for (const char *behind : {"", " ", " 7", "x", ".", "e", "-", "\"A"})
            texts.push_back(t + behind);
    return texts;
}

// One scan checked against sscanf with the same conversion.
struct IntScan {
    const char *format;
    bool (*scan)(const char *&, int &);
};

TEST(NumberText, FloatFieldScansAsSscanf) {
    int mismatches = 0;
    for (const auto &text : field_texts()) {
        double want = -7.0, got = -7.0;
        int used = -1;
        const bool want_ok = std::sscanf(text.c_str(), "%lf%n", &want, &used) == 1;
        const char *p = text.c_str();
        const bool got_ok = stream::scan::real(p, got);
        const bool same = want_ok == got_ok &&
                          (!want_ok || (p - text.c_str() == used && bits(got) == bits(want)));
        if (!same && ++mismatches <= 10)
            ADD_FAILURE() << "\"" << text << "\": sscanf " << want_ok << " " << used << " " << want
                          << ", ours " << got_ok << " " << (p - text.c_str()) << " " << got;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(NumberText, IntegerFieldsScanAsSscanf) {
    for (const IntScan s :
         {IntScan{"%d%n", stream::scan::integer}, IntScan{"%x%n", stream::scan::hex_integer}}) {
        int mismatches = 0;
        for (const auto &text : field_texts()) {
            int want = -7, got = -7, used = -1;
            const bool want_ok = std::sscanf(text.c_str(), s.format, &want, &used) == 1;
            const char *p = text.c_str();
            const bool got_ok = s.scan(p, got);
            const bool same =
                want_ok == got_ok && (!want_ok || (p - text.c_str() == used && got == want));
            if (!same && ++mismatches <= 10)
                ADD_FAILURE() << s.format << " \"" << text << "\": sscanf " << want_ok << " "
                              << used << " " << want << ", ours " << got_ok << " "
                              << (p - text.c_str()) << " " << got;
        }
        EXPECT_EQ(mismatches, 0) << s.format;
    }
}

// A NaN's payload ("nan(123)") is the one thing atof keeps that a print
// cannot show; only the switch value shown in a trace line is read this way.
bool same_shown_value(double a, double b) {
    if (std::isnan(a) && std::isnan(b)) return std::signbit(a) == std::signbit(b);
    return bits(a) == bits(b);
}

TEST(NumberText, WholeTextConversionsAsCLibrary) {
    int mismatches = 0;
    for (const auto &text : field_texts()) {
        const double want = std::strtod(text.c_str(), nullptr);
        const bool same = same_shown_value(stream::scan::to_double(text.c_str()), want) &&
                          stream::scan::to_int(text.c_str()) == std::atoi(text.c_str());
        if (!same && ++mismatches <= 10) ADD_FAILURE() << "\"" << text << "\": atof/atoi differ";
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace

#endif
