// The prefilter's responses as its graphs draw them: the magnitude and the
// group delay against values SciPy computed for the same coefficients
// (prefilter_responses.py writes prefilter_responses.txt), the real-input
// transform against a direct DFT, the floor that keeps a zero or a pole on the
// unit circle finite, and the rules by which the coefficient lists are read.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "PrefilterReference.h"
#include "problem/PrefilterTransform.h"

namespace dovra {
namespace {

constexpr int kBins = 1024; // the magnitude graph's transform
constexpr int kBinsLog2 = 10;
constexpr int kDelayLimit = 100; // the group-delay graph's coefficient limit

std::vector<double> padded(std::vector<double> v, int size) {
    v.resize(static_cast<std::size_t>(size), 0.0);
    return v;
}

// Every filter of the reference data, read as each graph reads it: the
// magnitude in dB at the reference bins, the group delay at the reference
// frequencies, and no message printed.
TEST(PrefilterTransform, ResponsesMatchScipy) {
    const std::vector<testing::PrefilterReference> refs = testing::readPrefilterReferences();
    ASSERT_GE(refs.size(), 6u);
    for (const testing::PrefilterReference& r : refs) {
        SCOPED_TRACE(r.name);
        ASSERT_FALSE(r.magnitude.empty());
        ASSERT_FALSE(r.delay.empty());
        std::vector<std::string> printed;
        const auto print = [&printed](const std::string& l) { printed.push_back(l); };

        const PrefilterLists forMagnitude = readPrefilter(r.numerator, r.denominator, kBins, print);
        const std::vector<double> m = prefilterMagnitude(forMagnitude, kBins, kBinsLog2);
        ASSERT_EQ(m.size(), static_cast<std::size_t>(kBins / 2 + 1));
        for (const auto& [f, db] : r.magnitude) {
            const auto k = static_cast<std::size_t>(std::lround(f * kBins));
            EXPECT_NEAR(20.0 * std::log10(m[k]), db, 1e-6) << "bin " << k;
        }

        const PrefilterLists forDelay =
            readPrefilter(r.numerator, r.denominator, kDelayLimit, print);
        for (const auto& [f, samples] : r.delay) {
            EXPECT_NEAR(gdel_ab(forDelay.a, forDelay.b, forDelay.na - 1, forDelay.nb - 1, f),
                        samples, 1e-9)
                << "at " << f;
        }
        EXPECT_TRUE(printed.empty());
    }
}

// X_k = sum_j x_j exp(-2 pi i j k / n): its real part lands in x[k], its
// imaginary part in x[n - k]; bins 0 and n/2 are real.
TEST(PrefilterTransform, RealTransformMatchesADirectDft) {
    const std::pair<int, int> sizes[] = {{2, 1}, {4, 2}, {8, 3}, {64, 6}, {1024, 10}};
    for (const auto& [n, m] : sizes) {
        SCOPED_TRACE(n);
        std::vector<double> x(static_cast<std::size_t>(n));
        for (int j = 0; j < n; ++j) {
            x[static_cast<std::size_t>(j)] = std::sin(1.3 * j * j + 0.2) + 0.01 * j;
        }
        std::vector<double> cosTable, sinTable;
        twiddle(n, cosTable, sinTable);
        std::vector<double> t = x;
        rctfft(t, cosTable, sinTable, n, m);
        for (int k = 0; k <= n / 2; ++k) {
            std::complex<double> dft = 0.0;
            for (int j = 0; j < n; ++j) {
                dft += x[static_cast<std::size_t>(j)] *
                       std::polar(1.0, -2.0 * std::numbers::pi * j * k / n);
            }
            const double tolerance = 1e-12 * n;
            EXPECT_NEAR(t[static_cast<std::size_t>(k)], dft.real(), tolerance) << "bin " << k;
            if (k == 0 || k == n / 2) {
                EXPECT_NEAR(dft.imag(), 0.0, tolerance);
            } else {
                EXPECT_NEAR(t[static_cast<std::size_t>(n - k)], dft.imag(), tolerance)
                    << "bin " << k;
            }
        }
    }
}

// Each squared magnitude is raised by 1e-12, so a zero on the unit circle
// reads -120 dB and a pole there +120 dB instead of an infinite level.
struct FloorCase {
    const char* name;
    std::vector<double> numerator, denominator;
    int bin;
    double magnitude;
};

TEST(PrefilterTransform, SquaredMagnitudesHaveAFloor) {
    const FloorCase cases[] = {
        {"zero at Nyquist", {1.0, 1.0}, {}, kBins / 2, 1e-6},
        {"zero at DC", {1.0, -1.0}, {}, 0, 1e-6},
        {"pole at DC", {}, {1.0, -1.0}, 0, 1e6},
        {"zero over pole at Nyquist", {1.0, 1.0}, {1.0, 1.0}, kBins / 2, 1.0},
        {"no coefficients", {}, {}, 100, 1e-6},
        {"away from the zero", {1.0, 1.0}, {}, 0, std::sqrt(4.0 + 1e-12)},
    };
    for (const FloorCase& c : cases) {
        const PrefilterLists l =
            readPrefilter(c.numerator, c.denominator, kBins, [](const std::string&) {});
        const std::vector<double> m = prefilterMagnitude(l, kBins, kBinsLog2);
        EXPECT_DOUBLE_EQ(m[static_cast<std::size_t>(c.bin)], c.magnitude) << c.name;
    }
}

// The coefficient lists as the graphs read them from the tables.
struct ReadCase {
    const char* name;
    std::vector<double> numerator, denominator;
    int limit;
    std::vector<double> a, b; // leading entries; the rest up to the limit is zero
    int na, nb;
    std::vector<std::string> printed;
};

TEST(PrefilterTransform, ReadsTheCoefficientLists) {
    const ReadCase cases[] = {
        // Divided by the leading denominator coefficient, whatever its sign.
        {"b0 = 2", {1.0, 0.5}, {2.0, -1.0}, 4, {0.5, 0.25}, {1.0, -0.5}, 2, 2, {}},
        {"b0 = -2", {1.0, 0.5}, {-2.0, 1.0}, 4, {-0.5, -0.25}, {1.0, -0.5}, 2, 2, {}},
        // A leading coefficient of at most 1e-12 in size multiplies by 1e12.
        {"b0 = 1e-13", {1.0, 0.5}, {1e-13, 1.0}, 4, {1e12, 0.5e12}, {1e-13 * 1e12, 1e12}, 2, 2, {}},
        {"no denominator", {0.1, -0.2, 0.4}, {}, 4, {0.1, -0.2, 0.4}, {}, 3, 0, {}},
        // One coefficient is widened to two.
        {"one each", {3.0}, {2.0}, 4, {1.5, 0.0}, {1.0, 0.0}, 2, 2, {}},
        {"none", {}, {}, 4, {}, {}, 0, 0, {}},
        // A list as long as the limit is used whole, a longer one cut to the
        // limit after a message.
        {"at the limit", {1.0, 2.0, 3.0}, {}, 3, {1.0, 2.0, 3.0}, {}, 3, 0, {}},
        {"over the limit",
         {1.0, 2.0, 3.0, 4.0},
         {2.0, 4.0, 6.0, 8.0, 10.0},
         3,
         {0.5, 1.0, 1.5},
         {1.0, 2.0, 3.0},
         3,
         3,
         {"Number of entries for a > 3", "Number of entries for b > 3"}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> printed;
        const PrefilterLists l =
            readPrefilter(c.numerator, c.denominator, c.limit,
                          [&printed](const std::string& line) { printed.push_back(line); });
        EXPECT_EQ(l.a, padded(c.a, c.limit));
        EXPECT_EQ(l.b, padded(c.b, c.limit));
        EXPECT_EQ(l.na, c.na);
        EXPECT_EQ(l.nb, c.nb);
        EXPECT_EQ(printed, c.printed);
    }
}

} // namespace
} // namespace dovra
