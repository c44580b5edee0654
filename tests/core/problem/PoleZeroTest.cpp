// Where a parameter vector puts its zeros and poles, for each kind of block:
// pairs and real roots of the zero and pole blocks, linear-phase groups with
// their mirror images at the reciprocal radius, allpass pairs (zeros at the
// reciprocal radius, kept finite at radius 0), against the points worked out
// by hand from the radii and angles.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "problem/PoleZero.h"

namespace dovra {
namespace {

using Points = std::vector<PlanePoint>;

struct PoleZeroCase {
    const char* name;
    int N, M, L, A;
    std::vector<std::pair<int, double>> values; // index, value
    Points zeros, poles;
};

/// r e^(j 2 pi angle) and its conjugate.
Points pair(double r, double angle) {
    const double a = 2.0 * std::numbers::pi * angle;
    return {{r * std::cos(a), r * std::sin(a)}, {r * std::cos(a), -r * std::sin(a)}};
}

Points operator+(Points a, const Points& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void expectNear(const Points& got, const Points& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        const double tol = 1e-12 * std::max(1.0, std::fabs(want[i].x) + std::fabs(want[i].y));
        EXPECT_NEAR(got[i].x, want[i].x, tol) << i;
        EXPECT_NEAR(got[i].y, want[i].y, tol) << i;
    }
}

class PoleZero : public ::testing::TestWithParam<PoleZeroCase> {};

TEST_P(PoleZero, PositionsOfEachBlockKind) {
    const PoleZeroCase& c = GetParam();
    std::vector<double> x(40, 0.0);
    for (auto [i, v] : c.values) {
        x[static_cast<std::size_t>(i)] = v;
    }
    const PoleZeroPositions p = poleZeroPositions(Layout::of(c.N, c.M, c.L, c.A), x);
    expectNear(p.zeros, c.zeros);
    expectNear(p.poles, c.poles);
}

// Layout::of places the blocks after the gain: N = 4 gives zero radii at 1, 2
// and zero angles at 3, 4; M = 2 then pole radius 5 and angle 6; and so on.
INSTANTIATE_TEST_SUITE_P(
    Blocks, PoleZero,
    ::testing::Values(
        PoleZeroCase{"TwoZeroPairsOnePolePair",
                     4,
                     2,
                     0,
                     0,
                     {{1, 0.9}, {2, 1.0}, {3, 0.1}, {4, 0.25}, {5, 0.5}, {6, 0.0}},
                     pair(0.9, 0.1) + pair(1.0, 0.25),
                     pair(0.5, 0.0)},
        PoleZeroCase{"OneRealZero", 1, 0, 0, 0, {{1, 0.3}}, {{0.3, 0.0}}, {}},
        // Three zeros: radii 1, 2 and angle 3; the radius beyond the angles is real.
        PoleZeroCase{"PairAndRealZero",
                     3,
                     0,
                     0,
                     0,
                     {{1, 0.5}, {2, -0.7}, {3, 0.5}},
                     pair(0.5, 0.5) + Points{{-0.7, 0.0}},
                     {}},
        PoleZeroCase{"RealPolesFromTheEndOfTheBlock",
                     0,
                     3,
                     0,
                     0,
                     {{1, 0.2}, {2, -0.4}, {3, 0.125}},
                     {},
                     pair(0.2, 0.125) + Points{{-0.4, 0.0}}},
        PoleZeroCase{"LinearPhasePair",
                     0,
                     0,
                     2,
                     0,
                     {{1, 0.5}, {2, 0.25}},
                     pair(0.5, 0.25) + pair(2.0, 0.25),
                     {}},
        PoleZeroCase{
            "LinearPhaseRealRoot", 0, 0, 1, 0, {{1, -0.8}}, {{-0.8, 0.0}, {-1.25, 0.0}}, {}},
        PoleZeroCase{
            "AllpassPair", 0, 0, 0, 2, {{1, 0.5}, {2, 0.1}}, pair(2.0, 0.1), pair(0.5, 0.1)},
        PoleZeroCase{"AllpassRealRoot", 0, 0, 0, 1, {{1, 0.25}}, {{4.0, 0.0}}, {{0.25, 0.0}}},
        // 1 / 0 is kept finite: -1e16 for a radius of exactly 0.
        PoleZeroCase{"AllpassPairAtRadiusZero",
                     0,
                     0,
                     0,
                     2,
                     {{1, 0.0}, {2, 0.1}},
                     pair(-1e16, 0.1),
                     pair(0.0, 0.1)},
        PoleZeroCase{"EveryBlock",
                     1,
                     1,
                     1,
                     1,
                     {{1, 0.1}, {2, 0.2}, {3, 0.4}, {4, 0.8}},
                     Points{{0.1, 0.0}, {0.4, 0.0}, {2.5, 0.0}, {1.25, 0.0}},
                     Points{{0.2, 0.0}, {0.8, 0.0}}},
        PoleZeroCase{"Nothing", 0, 0, 0, 0, {}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace dovra
