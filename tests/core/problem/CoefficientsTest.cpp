// Coefficient polynomials of a parameter vector: products of sections checked
// against hand expansions and against products of the roots computed with
// std::complex; quantization in direct form and per section.

#include <cmath>
#include <random>

#include "ProblemFixture.h"

namespace dovra::testing {
namespace {

void expectPrefix(const Coefficients& c, const std::vector<double>& expected, double tol = 1e-15) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(c[i], expected[i], tol) << "coefficient " << i;
    }
    for (std::size_t i = expected.size(); i < c.size(); ++i) {
        ASSERT_EQ(c[i], 0.0) << "coefficient " << i << " beyond the degree";
    }
}

TEST_F(ProblemTest, OneRealZero) {
    IIR& p = prepare({1, 0, 0, 0});
    ParamVector x{};
    x[0] = 2.0;
    x[1] = -0.5;
    expectPrefix(p.coeffi_a(x, -1, 0), {2.0, 1.0});
}

TEST_F(ProblemTest, ComplexPolePair) {
    IIR& p = prepare({0, 2, 0, 0});
    ParamVector x{};
    x[0] = 1.0;
    x[1] = 0.9;
    x[2] = 0.25;
    const Coefficients b = p.coeffi_b(x, -1, 0);
    expectPrefix(b, {1.0, -2.0 * 0.9 * std::cos(std::numbers::pi / 2), 0.81});
    EXPECT_LT(std::abs(b[1]), 2e-16);
    // Without poles and allpass sections the denominator is all zeros.
    IIR& q = prepare({3, 0, 0, 0});
    expectPrefix(q.coeffi_b(x, -1, 0), {});
    EXPECT_EQ(q.get_b_degree(), 0);
}

TEST_F(ProblemTest, PairTimesRealZeroExpandedByHand) {
    // (1 - 0.5 z^-1 + 0.25 z^-2)(1 - 2 z^-1) times the gain 3.
    IIR& p = prepare({3, 0, 0, 0});
    ParamVector x{};
    x[0] = 3.0;
    x[1] = 0.5;       // pair radius
    x[2] = 2.0;       // real zero
    x[3] = 1.0 / 6.0; // pair angle: cos(pi / 3) = 0.5
    expectPrefix(p.coeffi_a(x, -1, 0), {3.0, -7.5, 3.75, -1.5}, 1e-14);
}

TEST_F(ProblemTest, LinearPhaseRealGroup) {
    // r = 0.5 and its mirror 2: (1 - 0.5 z^-1)(1 - 2 z^-1) = (1, -2.5, 1).
    IIR& p = prepare({0, 0, 1, 0});
    ParamVector x{};
    x[0] = 1.5;
    x[1] = 0.5;
    expectPrefix(p.coeffi_a(x, -1, 0), {1.5, -3.75, 1.5});
    EXPECT_EQ(p.get_a_degree(), 2);
}

TEST_F(ProblemTest, GainOnly) {
    IIR& p = prepare({0, 0, 0, 0});
    ParamVector x{};
    x[0] = 0.3;
    expectPrefix(p.coeffi_a(x, -1, 1), {0.3});
    expectPrefix(p.coeffi_a(x, 8, 1), {0.25});
}

struct QuantCase {
    double zero;     // a single real zero r gives the coefficient -r
    double expected; // the coefficient after quantization with q = 8
};

class DirectFormQuantization : public ProblemTest,
                               public ::testing::WithParamInterface<QuantCase> {};

TEST_P(DirectFormQuantization, RoundsDownToMultiplesOfTheStep) {
    IIR& p = prepare({1, 0, 0, 0});
    ParamVector x{};
    x[0] = 1.0;
    x[1] = GetParam().zero;
    expectPrefix(p.coeffi_a(x, 8, 0), {1.0, GetParam().expected}, 0.0);
    expectPrefix(p.coeffi_a(x, -1, 0), {1.0, -GetParam().zero}, 0.0);
}

INSTANTIATE_TEST_SUITE_P(WordLength4, DirectFormQuantization,
                         ::testing::Values(QuantCase{0.3, -0.375}, QuantCase{-0.3, 0.25},
                                           QuantCase{-2.7, 2.625}, QuantCase{0.125, -0.125},
                                           QuantCase{-1e-9, 0.0}, QuantCase{1e-9, -0.125}));

// A pair (0.5, 0.1) and the real zero 0.3, gain 2, q = 8. Sections are
// quantized before they are multiplied, and the gain after is not; direct
// form quantizes the finished polynomial including the gain.
TEST_F(ProblemTest, SectionAndDirectQuantizationDiffer) {
    IIR& p = prepare({3, 0, 0, 0});
    ParamVector x{};
    x[0] = 2.0;
    x[1] = 0.5;
    x[2] = 0.3;
    x[3] = 0.1;
    const double c = std::cos(0.2 * std::numbers::pi); // 0.809...
    expectPrefix(p.coeffi_a(x, -1, 0), {2.0, -2.0 * (c + 0.3), 2.0 * (0.25 + 0.3 * c), -0.15},
                 1e-15);
    // Sections (1, -0.875, 0.25) and (1, -0.375); their product times 2.
    expectPrefix(p.coeffi_a(x, 8, 1), {2.0, -2.5, 1.15625, -0.1875}, 0.0);
    // Exact (2, -2.218, 0.985, -0.15), rounded down to eighths.
    expectPrefix(p.coeffi_a(x, 8, 0), {2.0, -2.25, 0.875, -0.25}, 0.0);
}

// A classical design may hand over a radius block of several real roots:
// two to a section, in index order, an odd last one alone.
TEST_F(ProblemTest, RealRootsOfAClassicalLayout) {
    IIR& p = prepare({3, 4, 0, 0});
    // Zeros: three real radii at 1..3, no angles. Poles: one pair (4, 7) and
    // two real radii at 5, 6.
    p.setPZpointers({1, 3, 4, 3, 4, 6, 7, 7});
    ParamVector x{};
    x[0] = 1.0;
    x[1] = 0.3;
    x[2] = 0.3;
    x[3] = 0.5;
    x[4] = 0.5;
    x[5] = 0.2;
    x[6] = 0.4;
    x[7] = 0.25;
    // (1 - 0.6 z^-1 + 0.09 z^-2)(1 - 0.5 z^-1)
    expectPrefix(p.coeffi_a(x, -1, 0), {1.0, -1.1, 0.39, -0.045}, 1e-15);
    // Grouped sections quantize differently from single ones: (1, -0.625, 0)
    // and (1, -0.5).
    expectPrefix(p.coeffi_a(x, 8, 1), {1.0, -1.125, 0.3125}, 1e-15);
    // (1 - 0.6 z^-1 + 0.08 z^-2)(1 + 0.25 z^-2), the pair's middle term ~1e-16.
    expectPrefix(p.coeffi_b(x, -1, 0), {1.0, -0.6, 0.33, -0.15, 0.02}, 1e-15);
}

TEST_F(ProblemTest, FirDesignsScaleTheImpulseResponse) {
    session.setDesignIdentifierIdx(5);
    IIR& p = prepare({4, 0, 0, 0});
    const std::vector<double> h{0.1, -0.3, 0.7, -0.3, 0.1, 5.0};
    p.getCoefficients(h);
    ParamVector x{};
    x[0] = 2.0;
    x[1] = 0.9; // radii are not used by the FIR path
    expectPrefix(p.coeffi_a(x, -1, 1), {0.2, -0.6, 1.4, -0.6, 0.2}, 1e-15);
    // floor(8 * 2 * h[i]) / 8, also with section structure.
    expectPrefix(p.coeffi_a(x, 8, 1), {0.125, -0.625, 1.375, -0.625, 0.125}, 0.0);
}

TEST(Convolve, FullLinearConvolution) {
    const std::vector<double> h{1.0, 2.0, 3.0};
    const std::vector<double> x{1.0, -1.0, 0.5, 4.0};
    // Expanded by hand: (1 + 2z + 3z^2)(1 - z + 0.5z^2 + 4z^3).
    expectPrefix(IIR::convolve(h, x, 4, 3), {1.0, 1.0, 1.5, 2.0, 9.5, 12.0}, 0.0);
    // Only the first n and m entries count.
    expectPrefix(IIR::convolve(h, x, 2, 1), {1.0, -1.0}, 0.0);
    expectPrefix(IIR::convolve(h, x, 0, 3), {}, 0.0);
    // Lengths beyond the arrays are not read.
    expectPrefix(IIR::convolve(h, x, 40, 30), {1.0, 1.0, 1.5, 2.0, 9.5, 12.0}, 0.0);
    // A product longer than the capacity is cut at the capacity.
    std::vector<double> ones(kCoeffCapacity, 1.0);
    const Coefficients c = IIR::convolve(ones, ones, kCoeffCapacity, kCoeffCapacity);
    EXPECT_EQ(c[0], 1.0);
    EXPECT_EQ(c[kCoeffCapacity - 1], kCoeffCapacity);
}

TEST(SafeInvert, GuardsNearZero) {
    EXPECT_EQ(IIR::safe_invert(2.0), 0.5);
    EXPECT_EQ(IIR::safe_invert(-4.0), -0.25);
    EXPECT_EQ(IIR::safe_invert(0.0), -1e16);
    EXPECT_EQ(IIR::safe_invert(1e-17), 1.0 / (1e-17 + 1e-16));
    EXPECT_EQ(IIR::safe_invert(-1e-20), 1.0 / (-1e-20 - 1e-16));
    EXPECT_TRUE(std::isfinite(IIR::safe_invert(-0.0)));
}

// Random realizations: the polynomials equal the products of their roots,
// and multiplying the sections with convolve gives the same bits.
class RandomPolynomials : public ProblemTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(RandomPolynomials, MatchTheProductOfTheRoots) {
    std::mt19937 gen(GetParam());
    std::uniform_int_distribution<int> deg(0, 9);
    std::uniform_real_distribution<double> magnitude(0.3, 1.2), angle(0.0, 0.5), gain(0.5, 3.0);
    std::bernoulli_distribution negative(0.3);
    const Realization r{deg(gen), deg(gen), deg(gen), deg(gen)};
    IIR& p = prepare(r);

    ParamVector x{};
    x[0] = gain(gen);
    for (int i = 1; i < p.getLength(); ++i) {
        x[static_cast<std::size_t>(i)] = negative(gen) ? -magnitude(gen) : magnitude(gen);
    }
    auto angleBlock = [&](int first, int count) {
        for (int k = 0; k < count; ++k) {
            x[static_cast<std::size_t>(first + k)] = angle(gen);
        }
    };
    const LayoutRecord rec = p.getPZparameters();
    angleBlock(rec[14], rec[5]);
    angleBlock(rec[18], rec[7]);
    angleBlock(rec[22], rec[9]);
    angleBlock(rec[26], rec[11]);

    auto rootsOf = [&](int rFirst, int rCount, int aFirst, int aCount, bool invert,
                       std::vector<cplx>& roots) {
        for (int k = 0; k < rCount; ++k) {
            double rad = x[static_cast<std::size_t>(rFirst + k)];
            if (invert) {
                rad = 1.0 / rad;
            }
            if (k < aCount) {
                const cplx z = std::polar(rad, 2.0 * std::numbers::pi *
                                                   x[static_cast<std::size_t>(aFirst + k)]);
                roots.push_back(z);
                roots.push_back(std::conj(z));
            } else {
                roots.push_back(rad);
            }
        }
    };
    std::vector<cplx> zeros, poles;
    rootsOf(rec[12], rec[4], rec[14], rec[5], false, zeros);
    rootsOf(rec[20], rec[8], rec[22], rec[9], false, zeros);
    rootsOf(rec[20], rec[8], rec[22], rec[9], true, zeros);
    rootsOf(rec[24], rec[10], rec[26], rec[11], true, zeros);
    rootsOf(rec[16], rec[6], rec[18], rec[7], false, poles);
    rootsOf(rec[24], rec[10], rec[26], rec[11], false, poles);

    const auto a = polyFromRoots(zeros, x[0]);
    const auto b = polyFromRoots(poles, 1.0);
    ASSERT_EQ(static_cast<int>(a.size()) - 1, p.get_a_degree());
    ASSERT_EQ(static_cast<int>(b.size()) - 1, p.get_b_degree());
    const Coefficients ca = p.coeffi_a(x, -1, 0);
    const Coefficients cb = p.coeffi_b(x, -1, 0);
    double scaleA = 0.0;
    for (double v : a) {
        scaleA = std::max(scaleA, std::abs(v));
    }
    double scaleB = 0.0;
    for (double v : b) {
        scaleB = std::max(scaleB, std::abs(v));
    }
    expectPrefix(ca, a, 1e-12 * scaleA);
    if (r.M == 0 && r.A == 0) {
        expectPrefix(cb, {});
    } else {
        expectPrefix(cb, b, 1e-12 * scaleB);
    }

    // Direct-form quantization puts each coefficient on the grid just below
    // the exact one.
    const Coefficients qa = p.coeffi_a(x, 1024, 0);
    for (int i = 0; i <= p.get_a_degree(); ++i) {
        const double scaled = qa[static_cast<std::size_t>(i)] * 1024.0;
        EXPECT_EQ(scaled, std::floor(scaled));
        EXPECT_LE(qa[static_cast<std::size_t>(i)], ca[static_cast<std::size_t>(i)]);
        EXPECT_GT(qa[static_cast<std::size_t>(i)], ca[static_cast<std::size_t>(i)] - 1.0 / 1024);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomPolynomials, ::testing::Range(1u, 25u));

// The in-place product of the builders and convolve agree bit for bit.
TEST_F(ProblemTest, BuildersAgreeWithConvolve) {
    IIR& p = prepare({5, 0, 0, 0});
    ParamVector x{};
    x[0] = 1.0;
    x[1] = 0.7;  // pair 0 radius
    x[2] = -1.3; // pair 1 radius
    x[3] = 0.45; // real zero
    x[4] = 0.11; // pair 0 angle
    x[5] = 0.37; // pair 1 angle
    auto pair = [](double r, double a) {
        return std::vector<double>{1.0, -2.0 * r * std::cos(DEProblem::two_pi * a), r * r};
    };
    Coefficients c{};
    c[0] = 1.0;
    c[1] = -0.45;
    c = IIR::convolve(pair(0.7, 0.11), c, 2, 3);
    c = IIR::convolve(pair(-1.3, 0.37), c, 4, 3);
    const Coefficients built = p.coeffi_a(x, -1, 0);
    for (std::size_t i = 0; i < c.size(); ++i) {
        ASSERT_EQ(built[i], c[i]) << i;
    }
}

} // namespace
} // namespace dovra::testing
