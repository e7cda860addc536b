// Differential test of the number layer against the C library: every print
// must give snprintf's bytes and every scan sscanf's verdict, length and bits.
// Only GNU libc is the reference the scanner follows, so elsewhere it is empty.
#include <cstdio>

#ifdef __GLIBC__

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "stream/format.hpp"
#include "stream/scan.hpp"
#include "support/read_slack.hpp"

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
        "fffffffffffffff0",
        // a record's "%.9f" from the text: ties at the ninth decimal both ways, the
        // bounds of the claim, 17 and 19 significant digits, exponent forms
        "0.0000000005", "-2.0000000025", "0.00000000149999999999", "0.0000000015000000000001",
        "4503599627370494e-9", "4503599627370495e-9", "4503599.627370495", "8388607.9999999995",
        "-12345.678901234567", "1234.567890123456789", "+00012.3456789012345678e-3", "3.643e+04",
        "1e-05", "-0e-400", "-2.842170943040401e-14", "2.2250738585072014e-308", "4.9e-324",
        "1.8e10", "18446744073.709551615", "18446744073.709551616", "9007199.2547409915",
        "99999.9999999995200", "1.1999999995200", "999999.12345678962", "999999.12345678961",
        "-12345.678901234517", "1.12345678912345678912345", "-0.0000000005200"};
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

// What a record makes of a field: "%.9f" from its text where it can, from its
// double otherwise; then the bytes it took and the double's bits. Its fixed
// holds what the fields before left, as a record's numbers do.
std::string record_number(const std::string &text, stream::scan::NineDecimals &fixed) {
    const std::string field = support::with_read_slack(text);
    const char *p = field.c_str();
    double v = 0;
    char buf[stream::fixed_room];
    std::string printed;
    if (stream::scan::nine_decimals(p, fixed)) {
        printed.assign(fixed.text, fixed.length);
        v = stream::scan::value_of(fixed);
    } else if (stream::scan::real(p, v)) {
        printed.assign(buf, stream::write_fixed(buf, v, 9));
    } else {
        return "no field";
    }
    return printed + " " + std::to_string(p - field.c_str()) + " " + std::to_string(bits(v));
}

// The same from sscanf's "%lf" and printf's "%.9f".
std::string printf_number(const std::string &text) {
    double v = 0;
    int used = 0;
    char printed[400];
    if (std::sscanf(text.c_str(), "%lf%n", &v, &used) != 1) return "no field";
    std::snprintf(printed, sizeof printed, "%.9f", v);
    std::string line = printed;
    line.append(" ").append(std::to_string(used)).append(" ").append(std::to_string(bits(v)));
    return line;
}

void expect_record_numbers_as_printf(const std::vector<std::string> &texts) {
    int mismatches = 0;
    stream::scan::NineDecimals fixed;
    for (const auto &text : texts) {
        const std::string got = record_number(text, fixed);
        if (got != printf_number(text) && ++mismatches <= 10)
            ADD_FAILURE() << "\"" << text << "\": " << got << " for " << printf_number(text);
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(NumberText, RecordNumbersPrintAsPrintfOfTheirDouble) {
    expect_record_numbers_as_printf(field_texts());
}

// The digits of a random decimal, some significant digits long.
std::string random_digits(std::mt19937_64 &gen, int count) {
    std::string d = std::to_string(1 + gen() % 9);
    while (static_cast<int>(d.size()) < count) d += static_cast<char>('0' + gen() % 10);
    return d;
}

// A field as hosts and others write one: short typed values, shortest
// round-trips of computed doubles, exponent forms, up to 19 significant
// digits with the point anywhere, values next to a tie at the ninth
// decimal; with signs and leading zeros now and then.
std::string random_field(std::mt19937_64 &gen) {
    char buf[64];
    const double computed = static_cast<double>(gen() >> 11) / 9007199254740992.0 *
                            std::pow(10.0, static_cast<int>(gen() % 24) - 14);
    std::string body;
    switch (gen() % 6) {
    case 0: body = std::to_string(gen() % 100000) + "." + std::to_string(gen() % 1000); break;
    case 1: body.assign(buf, std::to_chars(buf, buf + sizeof buf, computed).ptr); break;
    case 2:
        std::snprintf(buf, sizeof buf, "%.*e", static_cast<int>(gen() % 17), computed);
        body = buf;
        break;
    case 3: {
        body = random_digits(gen, 1 + static_cast<int>(gen() % 19));
        const std::size_t point = gen() % body.size() + 1;
        body = body.substr(0, point) + "." + body.substr(point);
        break;
    }
    default: // nine decimals, then a tie, just below or just above one
        body = std::to_string(gen() % 5000000) + "." + random_digits(gen, 9).substr(0, 9) +
               (gen() % 2 ? "5" : "4999999") + (gen() % 2 ? "" : "1");
    }
    const char *const signs[] = {"", "", "-", "+", "-00", "0"};
    return signs[gen() % std::size(signs)] + body;
}

// 10^7 fields make the full comparison; CI takes the default.
TEST(NumberText, RandomRecordNumbersPrintAsPrintfOfTheirDouble) {
    const char *count = std::getenv("DIGIT_TINT_NUMBER_FIELDS");
    const long fields = count ? std::atol(count) : 200000;
    std::mt19937_64 gen(30);
    std::vector<std::string> texts;
    for (long i = 0; i < fields; ++i) {
        texts.push_back(random_field(gen));
        if (texts.size() == 100000 || i + 1 == fields) {
            expect_record_numbers_as_printf(texts);
            texts.clear();
        }
    }
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
