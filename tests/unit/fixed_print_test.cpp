// "%.Nf" into a line and in place against the standard library's exact
// conversion, which every platform's libstdc++ carries: magnitudes where the
// digit count changes, binades across the range, exact ties, and random
// values. And the nine decimals a scanned field's text fixes, which must
// print as its double and convert to it.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "stream/format.hpp"
#include "stream/scan.hpp"
#include "support/read_slack.hpp"

namespace {

std::string exact(double v, int decimals) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

std::string added(double v, int decimals) {
    stream::LineBuf b;
    stream::add_fixed(b, v, decimals);
    return std::string(stream::view(b));
}

std::string written(double v, int decimals) {
    char buf[stream::fixed_room];
    return std::string(buf, stream::write_fixed(buf, v, decimals));
}

std::vector<double> edge_values() {
    std::vector<double> v;
    // whole parts where the digit count changes, up to 10^11
    for (double whole = 1; whole <= 1e11; whole *= 10)
        for (double w : {whole - 1, whole, whole + 1})
            for (double f : {0.0, 0.5, 0.9999999995, 0.99999999949, 0.0000000005, 0.123456789})
                v.push_back(w + f);
    // binades where the shift of the scaled mantissa crosses 64 bits and 75
    for (int e = -45; e <= 36; ++e)
        for (double m : {1.0, 1.5, 1.9999999999999998}) v.push_back(std::ldexp(m, e));
    // exact ties at 1 to 9 decimals: odd multiples of 2^-(d+1) with a factor 5^d
    for (int d = 1; d <= 9; ++d)
        for (int odd = 1; odd < 40; odd += 2)
            for (double whole : {0.0, 3.0, 12345.0, 99999999.0})
                v.push_back(whole + std::ldexp(odd, -(d + 1)));
    v.push_back(std::ldexp(1, -40));
    v.push_back(std::nextafter(std::ldexp(1, -40), 0));
    v.push_back(1e-9);
    v.push_back(5e-10);
    v.push_back(std::nextafter(5e-10, 0));
    return v;
}

std::vector<double> random_values() {
    std::mt19937_64 gen(15);
    std::vector<double> v;
    for (int i = 0; i < 30000; ++i) {
        // every bit pattern but NaNs, and drawing coordinates with up to nine decimals
        const double any = std::bit_cast<double>(gen());
        if (!std::isnan(any)) v.push_back(any);
        const auto units = static_cast<std::int64_t>(gen() % 60000000000000) - 10000000000000;
        v.push_back(static_cast<double>(units) / std::pow(10.0, static_cast<int>(gen() % 10)));
        v.push_back(
            std::ldexp(static_cast<double>(gen() >> 11), static_cast<int>(gen() % 90) - 85));
    }
    return v;
}

void expect_exact(const std::vector<double> &values) {
    int mismatches = 0;
    for (double x : values)
        for (double v : {x, -x})
            for (int d = 0; d <= 9; ++d) {
                const std::string want = exact(v, d);
                if (added(v, d) == want && written(v, d) == want) continue;
                if (++mismatches <= 10)
                    ADD_FAILURE() << "%." << d << "f of " << want << " printed as " << added(v, d)
                                  << " / " << written(v, d);
            }
    EXPECT_EQ(mismatches, 0);
}

TEST(FixedPrint, EdgesAsTheExactConversion) {
    expect_exact(edge_values());
}

TEST(FixedPrint, RandomValuesAsTheExactConversion) {
    expect_exact(random_values());
}

// ---- nine decimals fixed by the text ------------------------------------------

struct FieldCase {
    const char *text;
    const char *fixed; // null where the text does not fix "%.9f"
};

void PrintTo(const FieldCase &c, std::ostream *os) {
    *os << '"' << c.text << '"';
}

using support::with_read_slack;

double scanned(const char *text) {
    double v = 0;
    const char *p = text;
    EXPECT_TRUE(stream::scan::real(p, v)) << text;
    return v;
}

class NineDecimals : public testing::TestWithParam<FieldCase> {};

TEST_P(NineDecimals, OnlyDecimalsWhoseDoublePrintsAsTheirTextFixThem) {
    const std::string text = with_read_slack(GetParam().text);
    const char *p = text.c_str();
    stream::scan::NineDecimals n;
    const bool fixed = stream::scan::nine_decimals(p, n);
    ASSERT_EQ(fixed, GetParam().fixed != nullptr);
    if (!fixed) {
        EXPECT_EQ(p, text.c_str()) << "a field it does not fix is left to the general scan";
        EXPECT_EQ(std::string(n.text, n.length), "0.000000000");
        return;
    }
    const double v = scanned(GetParam().text);
    EXPECT_EQ(std::string(n.text, n.length), GetParam().fixed);
    EXPECT_EQ(std::string(n.text, n.length), written(v, 9));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(stream::scan::value_of(n)),
              std::bit_cast<std::uint64_t>(v));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, NineDecimals,
    testing::Values(
        FieldCase{"14200.322760", "14200.322760000"}, FieldCase{" -3.5 ", "-3.500000000"},
        FieldCase{"+7", "7.000000000"}, FieldCase{"007.250", "7.250000000"},
        FieldCase{"-0", "-0.000000000"}, FieldCase{"-000.5", "-0.500000000"},
        FieldCase{"5.", "5.000000000"}, FieldCase{"0.000000001", "0.000000001"},
        FieldCase{"8388607.999999999", "8388607.999999999"}, FieldCase{"1\"x", "1.000000000"},
        FieldCase{"1\xBA", "1.000000000"}, FieldCase{"25\xC0\xC0", "25.000000000"},
        FieldCase{"12:5", "12.000000000"}, FieldCase{"3/4", "3.000000000"},
        FieldCase{"1.5E3", nullptr}, FieldCase{"8388608", nullptr},
        FieldCase{"-8388608.5", nullptr}, FieldCase{"99999999", nullptr},
        FieldCase{"1.0000000001", "1.000000000"}, FieldCase{"1e5", nullptr},
        FieldCase{"5.e1", nullptr}, FieldCase{"1.5.3", nullptr},
        // more decimals, rounded where the double lies clear of the tie: ties
        // both ways, the bounds of the claim, carries, 17, 19 and more significant
        // digits, signs and leading zeros
        FieldCase{"0.0000000005", nullptr}, FieldCase{"2.0000000025", nullptr},
        FieldCase{"0.00000000047999", "0.000000000"}, FieldCase{"-0.0000000005200", "-0.000000001"},
        FieldCase{"-12345.678901234567", "-12345.678901235"},
        FieldCase{"-12345.678901234517", nullptr}, FieldCase{"1.1999999995200", "1.200000000"},
        FieldCase{"99999.9999999995200", nullptr},
        FieldCase{"999999.12345678962", "999999.123456790"},
        FieldCase{"999999.12345678961", nullptr}, FieldCase{"1000000.1234567891", nullptr},
        FieldCase{"-47713.92050671277", "-47713.920506713"},
        FieldCase{"+0001213.3333333333333", "1213.333333333"},
        FieldCase{"1234.567890123456789", "1234.567890123"},
        FieldCase{"1.1234567891234567891234", "1.123456789"},
        FieldCase{"1.12345678912345678912345", nullptr}, FieldCase{"3.643e+04", nullptr},
        FieldCase{"-2.842170943040401e-14", nullptr}, FieldCase{".5", nullptr},
        FieldCase{"0x10", nullptr}, FieldCase{"inf", nullptr},
        FieldCase{"12345678901234567890", nullptr}));

TEST(NineDecimals, AFieldThatDoesNotScanKeepsThem) {
    stream::scan::NineDecimals n;
    const std::string one = with_read_slack("1.5");
    const char *p = one.c_str();
    ASSERT_TRUE(stream::scan::nine_decimals(p, n));
    for (const char *field : {"x", "-", "", "1.5.3", "12345678901234567890", "8388608"}) {
        const std::string text = with_read_slack(field);
        p = text.c_str();
        EXPECT_FALSE(stream::scan::nine_decimals(p, n)) << field;
        EXPECT_EQ(std::string(n.text, n.length), "1.500000000") << field;
    }
}

// The claim that lets a record skip the double: whatever plain decimal fixes
// them, "%.9f" of its double prints its own digits, and the value made from
// them is that double. Densest near 2^23, where the double lies furthest
// from the decimal.
TEST(NineDecimals, PrintAsTheScannedDouble) {
    std::mt19937_64 gen(23);
    int mismatches = 0;
    for (int i = 0; i < 200000; ++i) {
        const int decimals = static_cast<int>(gen() % 10);
        const std::uint64_t whole = i % 2 ? 8388607 - gen() % 16 : gen() % 8388608;
        std::string text;
        if (gen() % 2) text += '-';
        text += std::to_string(whole);
        if (decimals > 0) {
            text += '.';
            for (int d = 0; d < decimals; ++d) text += static_cast<char>('0' + gen() % 10);
        }
        const std::string field = with_read_slack(text);
        const char *p = field.c_str();
        stream::scan::NineDecimals n;
        ASSERT_TRUE(stream::scan::nine_decimals(p, n)) << text;
        const double v = scanned(text.c_str());
        const std::string direct(n.text, n.length);
        const bool same_value = std::bit_cast<std::uint64_t>(stream::scan::value_of(n)) ==
                                std::bit_cast<std::uint64_t>(v);
        if ((direct != exact(v, 9) || !same_value) && ++mismatches <= 10)
            ADD_FAILURE() << text << " printed " << direct << " for " << exact(v, 9);
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace
