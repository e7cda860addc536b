// The pens' drawing colours: readable on the white page, and told apart from
// the plain text and from each other by eye, which the CIEDE2000 colour
// difference measures (a plain distance in RGB misses two blues that differ
// mostly in the blue channel, where the eye is least sensitive).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>

#include "pens.hpp"

namespace {

using std::numbers::pi;

std::array<double, 3> linear_rgb(const std::string &hex) {
    std::array<double, 3> c{};
    for (std::size_t i = 0; i < 3; ++i) {
        const double v = std::stoi(hex.substr(1 + 2 * i, 2), nullptr, 16) / 255.0;
        c[i] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    }
    return c;
}

// Relative luminance, as the contrast ratio of text on a page is reckoned.
double luminance(const std::string &hex) {
    const auto c = linear_rgb(hex);
    return 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2];
}

struct Lab {
    double l, a, b;
};

Lab lab(const std::string &hex) {
    const auto c = linear_rgb(hex);
    const double xyz[3] = {(0.4124 * c[0] + 0.3576 * c[1] + 0.1805 * c[2]) / 0.95047,
                           0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2],
                           (0.0193 * c[0] + 0.1192 * c[1] + 0.9505 * c[2]) / 1.08883};
    double f[3];
    for (int i = 0; i < 3; ++i)
        f[i] = xyz[i] > 216.0 / 24389 ? std::cbrt(xyz[i]) : (24389.0 / 27 * xyz[i] + 16) / 116;
    return {116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
}

double degrees(double radians) {
    const double d = radians * 180 / pi;
    return d < 0 ? d + 360 : d;
}

double cos_deg(double d) {
    return std::cos(d * pi / 180);
}

// CIEDE2000 (Sharma, Wu and Dalal's formulation).
double ciede2000(const Lab &p, const Lab &q) {
    const double c_mean = (std::hypot(p.a, p.b) + std::hypot(q.a, q.b)) / 2;
    const double c7 = std::pow(c_mean, 7), g = 0.5 * (1 - std::sqrt(c7 / (c7 + std::pow(25, 7))));
    const double a1 = (1 + g) * p.a, a2 = (1 + g) * q.a;
    const double c1 = std::hypot(a1, p.b), c2 = std::hypot(a2, q.b);
    const double h1 = degrees(std::atan2(p.b, a1)), h2 = degrees(std::atan2(q.b, a2));
    double dh = h2 - h1, h_mean = h1 + h2;
    if (c1 * c2 != 0) {
        dh += dh > 180 ? -360 : dh < -180 ? 360 : 0;
        h_mean = std::abs(h1 - h2) <= 180 ? h_mean / 2 : (h_mean + (h_mean < 360 ? 360 : -360)) / 2;
    } else {
        dh = 0;
    }
    const double dl = q.l - p.l, dc = c2 - c1;
    const double dhh = 2 * std::sqrt(c1 * c2) * std::sin(dh / 2 * pi / 180);
    const double l_mean = (p.l + q.l) / 2, cp_mean = (c1 + c2) / 2;
    const double t = 1 - 0.17 * cos_deg(h_mean - 30) + 0.24 * cos_deg(2 * h_mean) +
                     0.32 * cos_deg(3 * h_mean + 6) - 0.20 * cos_deg(4 * h_mean - 63);
    const double theta = 30 * std::exp(-std::pow((h_mean - 275) / 25, 2));
    const double cp7 = std::pow(cp_mean, 7);
    const double rt =
        -std::sin(2 * theta * pi / 180) * 2 * std::sqrt(cp7 / (cp7 + std::pow(25, 7)));
    const double sl =
        1 + 0.015 * std::pow(l_mean - 50, 2) / std::sqrt(20 + std::pow(l_mean - 50, 2));
    const double sc = 1 + 0.045 * cp_mean, sh = 1 + 0.015 * cp_mean * t;
    return std::sqrt(std::pow(dl / sl, 2) + std::pow(dc / sc, 2) + std::pow(dhh / sh, 2) +
                     rt * (dc / sc) * (dhh / sh));
}

double ciede2000(const std::string &x, const std::string &y) {
    return ciede2000(lab(x), lab(y));
}

struct KnownPair {
    Lab p, q;
    double difference;
};

// The formula against pairs of Sharma, Wu and Dalal's test data, so that the
// figures below mean something.
TEST(ColourDifference, MatchesPublishedPairs) {
    const KnownPair pairs[] = {{{50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
                               {{50, 0, 0}, {50, -1, 2}, 2.3669},
                               {{50, 2.5, 0}, {73, 25, -18}, 27.1492},
                               {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
                               {{22.7233, 20.0904, -46.694}, {23.0331, 14.973, -42.5619}, 2.0373}};
    for (const KnownPair &k : pairs) {
        EXPECT_NEAR(ciede2000(k.p, k.q), k.difference, 1e-4);
        EXPECT_NEAR(ciede2000(k.q, k.p), k.difference, 1e-4);
    }
    EXPECT_NEAR(ciede2000("#000000", "#ffffff"), 100.0, 0.01);
    // the two blues that read alike, which once were pens 1 and 6
    EXPECT_LT(ciede2000("#0072b2", "#2233dd"), 23);
}

class PenColours : public testing::TestWithParam<int> {};

// A contrast of 4.5 to 1, as for body text; far from the plain text and from
// every other pen.
TEST_P(PenColours, ReadableOnWhiteAndApartFromTheRest) {
    const int pen = GetParam();
    const std::string rgb = host::pen_colour(pen).rgb;
    EXPECT_GE(1.05 / (luminance(rgb) + 0.05), 4.5) << rgb;
    EXPECT_GE(ciede2000(rgb, host::text_rgb), 25) << rgb;
    for (int other = 0; other < host::pen_count; ++other)
        if (other != pen) {
            EXPECT_GE(ciede2000(rgb, host::pen_colour(other).rgb), 25)
                << rgb << " and pen " << other << ", " << host::pen_colour(other).rgb;
        }
}

INSTANTIATE_TEST_SUITE_P(Pens, PenColours, testing::Range(0, host::pen_count));

} // namespace
