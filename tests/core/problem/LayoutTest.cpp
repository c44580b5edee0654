// Block layout of the parameter vector, the layout record, the preparation
// of a run and the refusal of realizations beyond the capacities.

#include <random>

#include "ProblemFixture.h"

namespace dovra::testing {
namespace {

struct LayoutCase {
    Realization r;
    // zr, za, pr, pa, lr, la, zar, zaa as first/last pairs.
    std::array<int, 16> ranges;
    int D;
};

class LayoutExamples : public ProblemTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutExamples, RangesCountsAndDimension) {
    const LayoutCase& c = GetParam();
    IIR& p = prepare(c.r);
    const LayoutRecord rec = p.getPZparameters();
    EXPECT_EQ(rec[0], c.r.N);
    EXPECT_EQ(rec[1], c.r.M);
    EXPECT_EQ(rec[2], c.r.L);
    EXPECT_EQ(rec[3], c.r.A);
    const int n[4] = {c.r.N, c.r.M, c.r.L, c.r.A};
    for (int b = 0; b < 4; ++b) {
        EXPECT_EQ(rec[4 + 2 * b], (n[b] + 1) / 2) << "radii count of block " << b;
        EXPECT_EQ(rec[5 + 2 * b], n[b] / 2) << "angles count of block " << b;
    }
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(rec[12 + i], c.ranges[i]) << "record entry " << 12 + i;
    }
    EXPECT_EQ(p.getLength(), c.D);
    EXPECT_EQ(session.getDimension(), c.D);
    EXPECT_EQ(p.get_zr_start(), c.ranges[0]);
    EXPECT_EQ(p.get_pr_stop(), c.ranges[5]);
    EXPECT_EQ(p.get_zar_start(), c.ranges[12]);
    EXPECT_FALSE(p.capacityError());
}

INSTANTIATE_TEST_SUITE_P(
    HandComputed, LayoutExamples,
    ::testing::Values(
        LayoutCase{{5, 4, 0, 2}, {1, 3, 4, 5, 6, 7, 8, 9, 9, 9, 9, 9, 10, 10, 11, 11}, 12},
        LayoutCase{{4, 4, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8}, 9},
        // No zeros: zr and za on the gain, poles start at 1.
        LayoutCase{{0, 3, 0, 0}, {0, 0, 0, 0, 1, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}, 4},
        // One real zero: za collapses onto it.
        LayoutCase{{1, 0, 0, 0}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 2},
        // 4 zeros, 6 poles, 1 linear-phase group, 2 allpass sections: D = 14.
        LayoutCase{{4, 6, 1, 2}, {1, 2, 3, 4, 5, 7, 8, 10, 11, 11, 11, 11, 12, 12, 13, 13}, 14},
        LayoutCase{{0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1},
        LayoutCase{{0, 0, 3, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 4, 4, 4, 4}, 5}));

// Every non-empty block follows the one before without a gap, and together
// they cover 1 .. D-1 exactly once.
TEST_F(ProblemTest, BlocksPartitionTheVector) {
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> deg(0, 40);
    for (int trial = 0; trial < 200; ++trial) {
        Realization r{deg(gen), deg(gen), deg(gen), deg(gen)};
        IIR& p = prepare(r);
        const LayoutRecord rec = p.getPZparameters();
        std::vector<int> hits(static_cast<std::size_t>(p.getLength()), 0);
        int previousLast = 0;
        for (int b = 0; b < 8; ++b) {
            const int count = rec[4 + b];
            const int first = rec[12 + 2 * b];
            const int last = rec[13 + 2 * b];
            if (count == 0) {
                EXPECT_EQ(first, previousLast);
                EXPECT_EQ(last, previousLast);
                continue;
            }
            EXPECT_EQ(first, previousLast + 1);
            EXPECT_EQ(last - first + 1, count);
            for (int i = first; i <= last; ++i) {
                ++hits[static_cast<std::size_t>(i)];
            }
            previousLast = last;
        }
        EXPECT_EQ(previousLast, p.getLength() - 1);
        for (std::size_t i = 1; i < hits.size(); ++i) {
            EXPECT_EQ(hits[i], 1) << "index " << i;
        }
    }
}

TEST_F(ProblemTest, SetPZpointersTakesRangesAndCounts) {
    IIR& p = prepare({4, 4, 2, 2});
    const LayoutRecord before = p.getPZparameters();
    p.setPZpointers({1, 3, 4, 4, 5, 5, 6, 5});
    const LayoutRecord rec = p.getPZparameters();
    EXPECT_EQ(rec[4], 3); // zero radii
    EXPECT_EQ(rec[5], 1); // zero angles
    EXPECT_EQ(rec[6], 1); // pole range [5, 5]
    EXPECT_EQ(rec[7], 0); // pole angles [6, 5]: empty
    for (int i = 12; i < 20; ++i) {
        EXPECT_EQ(rec[i], (std::array<int, 8>{1, 3, 4, 4, 5, 5, 6, 5})[i - 12]);
    }
    // Linear-phase and allpass blocks are left as they were.
    for (int i = 20; i < 28; ++i) {
        EXPECT_EQ(rec[i], before[i]);
    }
    for (int i = 8; i < 12; ++i) {
        EXPECT_EQ(rec[i], before[i]);
    }
    // Bounds outside the vector are kept inside it.
    p.setPZpointers({-3, 900, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(p.get_zr_start(), 0);
    EXPECT_EQ(p.get_zr_stop(), kVectorCapacity - 1);
}

TEST_F(ProblemTest, InitMiscResetsTheRunState) {
    session.setWordLength(4);
    session.setStructId(1);
    IIR& p = prepare({2, 2, 0, 0});
    std::vector<double> x{1.0, 0.5, 0.1, 0.3, 0.2};
    p.getBest(x);
    x[1] = 9.0; // a copy was taken
    EXPECT_EQ(p.bestVector()[1], 0.5);
    EXPECT_EQ(p.bestVector()[5], 0.0);
    p.setPhase(2);
    p.initMisc(session.runInput());
    EXPECT_EQ(p.getPhase(), 0);
    EXPECT_EQ(p.quantization(), 8);
    EXPECT_EQ(p.structure(), 1);
    for (double v : p.bestVector()) {
        ASSERT_EQ(v, 0.0);
    }
    session.setDesignIdentifierIdx(5);
    p.getPolesAndZeros(session.runInput());
    EXPECT_EQ(p.designMethod(), DesignMethod::LinearPhaseFir);
}

struct CapacityCase {
    Realization r;
    const char* message; // nullptr: fits
};

class CapacityCheck : public ::testing::TestWithParam<CapacityCase> {};

TEST_P(CapacityCheck, NamesTheLimitAndTheExcess) {
    const CapacityCase& c = GetParam();
    auto e = DEProblem::checkCapacity(c.r.N, c.r.M, c.r.L, c.r.A);
    if (c.message == nullptr) {
        EXPECT_FALSE(e) << *e;
    } else {
        ASSERT_TRUE(e);
        EXPECT_EQ(*e, c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, CapacityCheck,
    ::testing::Values(
        CapacityCase{{257, 0, 100, 100},
                     "Realization too large: numerator degree 557 exceeds the limit of 479 by 78"},
        CapacityCase{{279, 0, 100, 0}, nullptr}, // degree 479, 380 entries
        CapacityCase{{280, 0, 100, 0},
                     "Realization too large: numerator degree 480 exceeds the limit of 479 by 1"},
        CapacityCase{{0, 400, 0, 100},
                     "Realization too large: denominator degree 500 exceeds the "
                     "limit of 479 by 21"},
        CapacityCase{{257, 100, 60, 70},
                     "Realization too large: parameter vector of 488 entries "
                     "exceeds the limit of 480 entries by 8"},
        CapacityCase{{257, 100, 22, 100}, nullptr}, // 480 entries, degree 401
        CapacityCase{{-1, 0, 0, 0}, "Realization invalid: numerator degree -1 is negative"}));

TEST_F(ProblemTest, RefusedRealizationBuildsNothingAndKeepsSettings) {
    IIR& p = prepare({257, 100, 100, 100});
    ASSERT_TRUE(p.capacityError());
    EXPECT_EQ(*p.capacityError(),
              "Realization too large: numerator degree 557 exceeds the limit of 479 by 78");
    EXPECT_EQ(session.getNumDeg(), 257);
    EXPECT_EQ(session.getNZLinPair(), 100);
    EXPECT_LE(p.getLength(), kVectorCapacity);
    EXPECT_EQ(p.get_a_degree(), 0);
    EXPECT_EQ(p.get_b_degree(), 0);
    const LayoutRecord rec = p.getPZparameters();
    for (int i = 4; i < 28; ++i) {
        EXPECT_EQ(rec[i], 0) << "record entry " << i;
    }
    ParamVector x{};
    x.fill(0.5);
    for (double v : p.coeffi_a(x, -1, 0)) {
        ASSERT_EQ(v, 0.0);
    }
    for (double v : p.coeffi_b(x, 8, 1)) {
        ASSERT_EQ(v, 0.0);
    }
    EXPECT_EQ(p.amag(x, 0.1), 0.0);

    // A realization that fits again lifts the refusal.
    prepare({4, 2, 0, 0});
    EXPECT_FALSE(p.capacityError());
    EXPECT_EQ(p.get_a_degree(), 4);
}

} // namespace
} // namespace dovra::testing
