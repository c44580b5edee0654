// Magnitude and group delay of coefficient arrays and of parameter vectors,
// against an independent evaluation of H(e^(j 2 pi w)) from the roots.

#include <cmath>
#include <random>
#include <thread>

#include "ProblemFixture.h"

namespace dovra::testing {
namespace {

struct AbCase {
    std::vector<double> a, b;
    int na, nb;
    double w;
    double magnitude;
};

class MagnitudeEdges : public ProblemTest, public ::testing::WithParamInterface<AbCase> {};

TEST_P(MagnitudeEdges, HandComputed) {
    const AbCase& c = GetParam();
    EXPECT_NEAR(problem().amag_ab(c.a, c.b, c.na, c.nb, c.w), c.magnitude,
                1e-12 * std::max(1.0, c.magnitude));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MagnitudeEdges,
    ::testing::Values(
        // A constant numerator, b ignored without a denominator degree.
        AbCase{{2.0}, {0.0, 5.0}, 0, 0, 0.13, 2.0}, AbCase{{2.0}, {}, 0, 0, 0.41, 2.0},
        // 1 + z^-1: 2 at DC, a zero at Nyquist.
        AbCase{{1.0, 1.0}, {}, 1, 0, 0.0, 2.0}, AbCase{{1.0, 1.0}, {}, 1, 0, 0.5, 0.0},
        // A pole on the unit circle: the denominator power is floored at 1e-24.
        AbCase{{1.0}, {1.0, -1.0}, 0, 1, 0.0, 1e12},
        // Entries beyond the degrees are not read.
        AbCase{{1.0, 1.0, 7.0}, {1.0, 0.0, 9.0}, 1, 1, 0.0, 2.0},
        // |1 - 0.5 e^(-j pi/2)| / |1 + 0.25 e^(-j pi/2)| = sqrt(1.25 / 1.0625)
        AbCase{{1.0, -0.5}, {1.0, 0.25, 0.0}, 1, 2, 0.25, std::sqrt(1.25 / 1.0625)}));

TEST_F(ProblemTest, MagnitudeAtNyquistZeroIsTiny) {
    const std::vector<double> a{1.0, 1.0};
    EXPECT_LT(problem().amag_ab(a, {}, 1, 0, 0.5), 1e-15);
}

TEST_F(ProblemTest, GroupDelayShortcutsAndEdges) {
    IIR& p = prepare({2, 0, 0, 0});
    const std::vector<double> delay{0.0, 1.0}, constA{1.5}, constB{2.0};
    for (double w : {0.0, 0.1, 0.37, 0.5}) {
        EXPECT_NEAR(p.gdel_ab(delay, {}, 1, 0, w), 1.0, 1e-12) << w;
        EXPECT_EQ(p.gdel_ab(constA, constB, 0, 0, w), 0.0);
    }
    // Linear-phase FIR design methods: half the numerator degree.
    session.setDesignIdentifierIdx(5);
    p.getPolesAndZeros(session.runInput());
    const std::vector<double> a(21, 0.3), b{1.0, 0.5};
    EXPECT_EQ(p.gdel_ab(a, {}, 20, 0, 0.1), 10.0);
    EXPECT_EQ(p.gdel_ab(a, b, 20, 1, 0.33), 10.0);
}

TEST_F(ProblemTest, PureLinearPhaseRealizationHasConstantDelay) {
    IIR& p = prepare({0, 0, 3, 0});
    ParamVector x{};
    x[0] = 1.0;
    x[1] = 0.9;  // group radius
    x[2] = 0.5;  // real group radius
    x[3] = 0.25; // group angle
    for (double w : {0.0, 0.05, 0.25, 0.49}) {
        EXPECT_EQ(p.gdel(x, w), 3.0);
    }
    // Quantized, the delay is computed; it is still close to 3 away from zeros.
    session.setWordLength(24);
    p.initMisc(session.runInput());
    EXPECT_NE(p.gdel(x, 0.1), 3.0);
    EXPECT_NEAR(p.gdel(x, 0.1), 3.0, 1e-3);
}

TEST_F(ProblemTest, NoPrefilterIsTransparent) {
    IIR& p = prepare({2, 2, 0, 0});
    p.load_fixed_filter(session.runInput(), session.console(), 1);
    for (double w : {0.0, 0.2, 0.5}) {
        EXPECT_EQ(p.amag_ff(w), 1.0);
        EXPECT_EQ(p.gdel_ff(w), 0.0);
    }
    p.load_fixed_filter(session.runInput(), session.console(), 0); // empty tables
    EXPECT_EQ(p.amag_ff(0.3), 1.0);
    EXPECT_EQ(p.gdel_ff(0.3), 0.0);
}

// Random stable filters: magnitude and group delay of the vector agree with
// the response computed from its roots.
class RandomFilters : public ProblemTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(RandomFilters, MatchTheRootForm) {
    std::mt19937 gen(GetParam());
    std::uniform_int_distribution<int> deg(1, 8), pairs(0, 3);
    std::uniform_real_distribution<double> zeroMag(0.2, 0.75), poleMag(0.1, 0.9), angle(0.0, 0.5),
        gain(0.2, 4.0), freq(0.0, 0.5);
    std::bernoulli_distribution flip(0.5);
    const Realization r{deg(gen), deg(gen), pairs(gen), pairs(gen)};
    session.setStructId(static_cast<int>(GetParam() % 2));
    IIR& p = prepare(r);
    const LayoutRecord rec = p.getPZparameters();

    ParamVector x{};
    x[0] = gain(gen);
    std::vector<cplx> zeros, poles;
    auto fill = [&](int rFirst, int rCount, int aFirst, int aCount,
                    std::uniform_real_distribution<double>& mag) {
        for (int k = 0; k < rCount; ++k) {
            const double rad = flip(gen) ? -mag(gen) : mag(gen);
            x[static_cast<std::size_t>(rFirst + k)] = rad;
            if (k < aCount) {
                x[static_cast<std::size_t>(aFirst + k)] = angle(gen);
            }
        }
    };
    auto roots = [&](int rFirst, int rCount, int aFirst, int aCount, bool invert,
                     std::vector<cplx>& out) {
        for (int k = 0; k < rCount; ++k) {
            double rad = x[static_cast<std::size_t>(rFirst + k)];
            rad = invert ? 1.0 / rad : rad;
            if (k < aCount) {
                const cplx z = std::polar(rad, 2.0 * std::numbers::pi *
                                                   x[static_cast<std::size_t>(aFirst + k)]);
                out.push_back(z);
                out.push_back(std::conj(z));
            } else {
                out.push_back(rad);
            }
        }
    };
    fill(rec[12], rec[4], rec[14], rec[5], zeroMag);
    fill(rec[16], rec[6], rec[18], rec[7], poleMag);
    fill(rec[20], rec[8], rec[22], rec[9], zeroMag);
    fill(rec[24], rec[10], rec[26], rec[11], poleMag);
    roots(rec[12], rec[4], rec[14], rec[5], false, zeros);
    roots(rec[20], rec[8], rec[22], rec[9], false, zeros);
    roots(rec[20], rec[8], rec[22], rec[9], true, zeros);
    roots(rec[24], rec[10], rec[26], rec[11], true, zeros);
    roots(rec[16], rec[6], rec[18], rec[7], false, poles);
    roots(rec[24], rec[10], rec[26], rec[11], false, poles);

    auto H = [&](double w) { return responseFromRoots(zeros, poles, x[0], w); };
    const Coefficients a = p.coeffi_a(x, -1, 0);
    const Coefficients b = p.coeffi_b(x, -1, 0);
    for (int i = 0; i < 16; ++i) {
        const double w = i == 0 ? 0.0 : i == 1 ? 0.5 : freq(gen);
        const double mag = std::abs(H(w));
        EXPECT_NEAR(p.amag(x, w), mag, 1e-9 * mag) << "w = " << w;
        EXPECT_NEAR(p.amag_ab(a, b, p.get_a_degree(), p.get_b_degree(), w), mag, 1e-9 * mag);
        if (w > 1e-4 && w < 0.5 - 1e-4) {
            const double tau = numericGroupDelay(H, w);
            EXPECT_NEAR(p.gdel(x, w), tau, 1e-5 * std::max(1.0, std::abs(tau))) << "w = " << w;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomFilters, ::testing::Range(1u, 21u));

// The quantized response is the response of the quantized coefficients.
TEST_F(ProblemTest, VectorResponsesUseTheRunQuantization) {
    session.setWordLength(6);
    session.setStructId(1);
    IIR& p = prepare({3, 2, 0, 1});
    ParamVector x{};
    x[0] = 1.3;
    x[1] = 0.6;
    x[2] = -0.4;
    x[3] = 0.2;
    x[4] = 0.8;
    x[5] = 0.15;
    x[6] = 0.5;
    const Coefficients a = p.coeffi_a(x, 32, 1);
    const Coefficients b = p.coeffi_b(x, 32, 1);
    const std::vector<double> av(a.begin(), a.begin() + p.get_a_degree() + 1);
    const std::vector<double> bv(b.begin(), b.begin() + p.get_b_degree() + 1);
    for (double w : {0.0, 0.1, 0.3, 0.45}) {
        EXPECT_NEAR(p.amag(x, w), std::abs(responseFromCoefficients(av, bv, w)), 1e-12);
        auto H = [&](double f) { return responseFromCoefficients(av, bv, f); };
        if (w > 0.0) {
            EXPECT_NEAR(p.gdel(x, w), numericGroupDelay(H, w), 1e-5);
        }
    }
}

// The response functions write nothing: threads reading one problem at once
// get what one thread gets.
TEST_F(ProblemTest, ResponsesAreReentrant) {
    IIR& p = prepare({6, 4, 1, 2});
    ParamVector x{};
    std::mt19937 gen(3);
    std::uniform_real_distribution<double> u(0.1, 0.8);
    for (int i = 0; i < p.getLength(); ++i) {
        x[static_cast<std::size_t>(i)] = u(gen);
    }
    std::vector<double> expected;
    for (int i = 0; i < 50; ++i) {
        expected.push_back(p.amag(x, i / 100.0) + p.gdel(x, i / 100.0));
    }
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int rep = 0; rep < 20; ++rep) {
                for (int i = 0; i < 50; ++i) {
                    const double v = p.amag(x, i / 100.0) + p.gdel(x, i / 100.0);
                    if (v != expected[static_cast<std::size_t>(i)]) {
                        ++mismatches[static_cast<std::size_t>(t)];
                    }
                }
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    for (int m : mismatches) {
        EXPECT_EQ(m, 0);
    }
}

} // namespace
} // namespace dovra::testing
