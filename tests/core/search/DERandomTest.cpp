#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "search/DERandom.h"

using dovra::DERandom;

namespace {

class IntegerDraws : public ::testing::TestWithParam<int> {};

// nextValue(n) yields 0 .. n - 1, every one of them, and never n.
TEST_P(IntegerDraws, CoverZeroToNMinusOneOnly) {
    const int n = GetParam();
    DERandom random(12345);
    std::set<int> seen;
    for (int k = 0; k < 200000; ++k) {
        int v = random.nextValue(n);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, n);
        seen.insert(v);
    }
    if (n <= 1000) {
        EXPECT_EQ(static_cast<int>(seen.size()), n);
    }
}

INSTANTIATE_TEST_SUITE_P(DERandom, IntegerDraws, ::testing::Values(1, 2, 5, 30, 1000, 1 << 30));

class RealDraws : public ::testing::TestWithParam<double> {};

// nextValue(x) lies in (-x, x] and reaches close to both ends.
TEST_P(RealDraws, StayInHalfOpenInterval) {
    const double x = GetParam();
    DERandom random(777);
    double lo = x, hi = -x;
    for (int k = 0; k < 200000; ++k) {
        double v = random.nextValue(x);
        ASSERT_GT(v, -x);
        ASSERT_LE(v, x);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_LT(lo, -0.999 * x);
    EXPECT_GT(hi, 0.999 * x);
}

INSTANTIATE_TEST_SUITE_P(DERandom, RealDraws, ::testing::Values(2.0, 1.0, 0.25));

TEST(DERandom, UniformDoublesHaveMeanOneHalf) {
    DERandom random(99);
    double sum = 0.0;
    const int n = 100000;
    for (int k = 0; k < n; ++k) {
        double u = random.nextDouble();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        sum += u;
    }
    // Standard deviation of the mean: sqrt(1/12 / n) ~ 0.0009.
    EXPECT_NEAR(sum / n, 0.5, 0.005);
}

std::vector<double> draws(DERandom& random, int n) {
    std::vector<double> v;
    for (int k = 0; k < n; ++k) {
        v.push_back(random.nextDouble());
    }
    return v;
}

TEST(DERandom, SameSeedSameSequenceOtherSeedOtherSequence) {
    DERandom a(42), b(42), c(43);
    auto sa = draws(a, 100);
    EXPECT_EQ(sa, draws(b, 100));
    EXPECT_NE(sa, draws(c, 100));
    a.setMySeed(42);
    EXPECT_EQ(sa, draws(a, 100));
}

TEST(DERandom, SeedZeroIsReplacedByTheClock) {
    DERandom random;
    EXPECT_NE(random.seed(), 0);
    random.setMySeed(0);
    EXPECT_NE(random.seed(), 0);
}

} // namespace
