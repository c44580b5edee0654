// Loading and normalising the prefilter, and its magnitude and group delay.

#include <cmath>

#include "ProblemFixture.h"

namespace dovra::testing {
namespace {

TEST_F(ProblemTest, NormalisesByTheLeadingDenominatorCoefficient) {
    addPrefilter(session.ffNumerator(), {"1.0"});
    addPrefilter(session.ffDenominator(), {"2.0", "1.0"});
    IIR& p = prepare({2, 0, 0, 0});
    p.load_fixed_filter(session.runInput(), session.console(), 0);
    EXPECT_EQ(p.ffGain(), 0.5);
    EXPECT_EQ(p.ffNumeratorDegree(), 1);
    EXPECT_EQ(p.ffDenominatorDegree(), 1);
    EXPECT_EQ(p.ffNumerator()[0], 0.5);
    EXPECT_EQ(p.ffNumerator()[1], 0.0);
    EXPECT_EQ(p.ffDenominator()[0], 1.0);
    EXPECT_EQ(p.ffDenominator()[1], 0.5);
    // H = 1 / (2 + z^-1).
    for (double w : {0.0, 0.17, 0.5}) {
        const cplx h = responseFromCoefficients({1.0}, {2.0, 1.0}, w);
        EXPECT_NEAR(p.amag_ff(w), std::abs(h), 1e-14);
    }
}

TEST_F(ProblemTest, SingleCoefficientBecomesFirstDegree) {
    addPrefilter(session.ffNumerator(), {"3.0"});
    IIR& p = prepare({2, 0, 0, 0});
    p.load_fixed_filter(session.runInput(), session.console(), 0);
    EXPECT_EQ(p.ffGain(), 1.0);
    EXPECT_EQ(p.ffNumeratorDegree(), 1);
    EXPECT_EQ(p.ffDenominatorDegree(), 0);
    EXPECT_EQ(p.ffNumerator()[0], 3.0);
    EXPECT_EQ(p.ffNumerator()[1], 0.0);
    EXPECT_EQ(p.amag_ff(0.3), 3.0);
    EXPECT_EQ(p.gdel_ff(0.3), 0.0);
}

TEST_F(ProblemTest, LeadingDenominatorNearZeroScalesBy1e12) {
    addPrefilter(session.ffNumerator(), {"1.0", "0.5"});
    addPrefilter(session.ffDenominator(), {"1.0E-13", "1.0"});
    IIR& p = prepare({2, 0, 0, 0});
    p.load_fixed_filter(session.runInput(), session.console(), 0);
    EXPECT_EQ(p.ffGain(), 1e12);
    EXPECT_EQ(p.ffNumerator()[1], 0.5e12);
    EXPECT_EQ(p.ffDenominator()[1], 1e12);
}

struct OversizeCase {
    bool numerator;
    const char* message;
};

class OversizeTable : public ProblemTest, public ::testing::WithParamInterface<OversizeCase> {};

TEST_P(OversizeTable, IsReportedAndNotLoaded) {
    std::vector<std::string> many(101, "0.5");
    addPrefilter(session.ffNumerator(),
                 GetParam().numerator ? many : std::vector<std::string>{"1.0", "-0.5"});
    addPrefilter(session.ffDenominator(),
                 GetParam().numerator ? std::vector<std::string>{"1.0", "-0.5"} : many);
    IIR& p = prepare({2, 0, 0, 0});
    p.load_fixed_filter(session.runInput(), session.console(), 0);
    EXPECT_NE(out.str().find(std::string(GetParam().message) + "\n"), std::string::npos)
        << out.str();
    if (GetParam().numerator) {
        EXPECT_EQ(p.ffNumeratorDegree(), 0);
        EXPECT_EQ(p.ffDenominatorDegree(), 1);
        for (double v : p.ffNumerator()) {
            ASSERT_EQ(v, 0.0);
        }
    } else {
        EXPECT_EQ(p.ffDenominatorDegree(), 0);
        EXPECT_EQ(p.ffNumeratorDegree(), 1);
        EXPECT_EQ(p.ffGain(), 1.0);
        for (double v : p.ffDenominator()) {
            ASSERT_EQ(v, 0.0);
        }
    }
    EXPECT_TRUE(std::isfinite(p.amag_ff(0.2)));
}

INSTANTIATE_TEST_SUITE_P(Tables, OversizeTable,
                         ::testing::Values(OversizeCase{true, "Number of entries for a > 100"},
                                           OversizeCase{false, "Number of entries for b > 100"}));

TEST_F(ProblemTest, ExactlyTheCapacityIsLoaded) {
    addPrefilter(session.ffNumerator(), std::vector<std::string>(100, "0.25"));
    IIR& p = prepare({2, 0, 0, 0});
    p.load_fixed_filter(session.runInput(), session.console(), 0);
    EXPECT_EQ(p.ffNumeratorDegree(), 99);
    EXPECT_EQ(out.str(), "");
    EXPECT_NEAR(p.amag_ff(0.0), 25.0, 1e-12);
}

TEST_F(ProblemTest, EveryLoadStartsFromCleared) {
    addPrefilter(session.ffNumerator(), {"1.0", "2.0", "3.0", "4.0", "5.0"});
    addPrefilter(session.ffDenominator(), {"1.0", "0.1", "0.2"});
    IIR& p = prepare({2, 0, 0, 0});
    p.load_fixed_filter(session.runInput(), session.console(), 0);
    EXPECT_EQ(p.ffNumeratorDegree(), 4);

    session.ffNumerator().clear();
    session.ffDenominator().clear();
    addPrefilter(session.ffNumerator(), {"7.0", "8.0"});
    p.load_fixed_filter(session.runInput(), session.console(), 0);
    EXPECT_EQ(p.ffNumeratorDegree(), 1);
    EXPECT_EQ(p.ffDenominatorDegree(), 0);
    for (std::size_t i = 2; i < p.ffNumerator().size(); ++i) {
        ASSERT_EQ(p.ffNumerator()[i], 0.0);
    }
    for (double v : p.ffDenominator()) {
        ASSERT_EQ(v, 0.0);
    }
    EXPECT_EQ(p.amag_ff(0.0), 15.0);

    p.load_fixed_filter(session.runInput(), session.console(), 1);
    EXPECT_EQ(p.ffNumeratorDegree(), 0);
    for (double v : p.ffNumerator()) {
        ASSERT_EQ(v, 0.0);
    }
    EXPECT_EQ(p.amag_ff(0.2), 1.0);
}

// A prefilter with only a denominator is 1 / B: its numerator is the
// constant 1, not the empty (zero) polynomial.
TEST_F(ProblemTest, DenominatorOnlyPrefilterIsItsReciprocal) {
    addPrefilter(session.ffDenominator(), {"2.0", "-1.0", "0.5"});
    IIR& p = prepare({2, 0, 0, 0});
    p.load_fixed_filter(session.runInput(), session.console(), 0);
    ASSERT_EQ(p.ffNumeratorDegree(), 0);
    ASSERT_EQ(p.ffDenominatorDegree(), 2);
    auto H = [](double w) { return responseFromCoefficients({1.0}, {2.0, -1.0, 0.5}, w); };
    for (double w : {0.0, 0.08, 0.21, 0.33, 0.5}) {
        EXPECT_NEAR(p.amag_ff(w), std::abs(H(w)), 1e-14) << w;
        EXPECT_GT(p.amag_ff(w), 0.0);
        if (w > 0.0 && w < 0.5) {
            EXPECT_NEAR(p.gdel_ff(w), numericGroupDelay(H, w), 1e-6) << w;
        }
    }
}

// The prefilter's group delay is its own, also when the designed filter is a
// pure linear-phase realization whose delay is taken as constant.
TEST_F(ProblemTest, PrefilterDelayIgnoresTheDesignShortcut) {
    addPrefilter(session.ffNumerator(), {"1.0", "0.5"});
    addPrefilter(session.ffDenominator(), {"1.0", "-0.3"});
    IIR& p = prepare({0, 0, 4, 0});
    p.load_fixed_filter(session.runInput(), session.console(), 0);
    auto H = [](double w) { return responseFromCoefficients({1.0, 0.5}, {1.0, -0.3}, w); };
    for (double w : {0.05, 0.2, 0.4}) {
        EXPECT_NEAR(p.gdel_ff(w), numericGroupDelay(H, w), 1e-6) << w;
    }
}

} // namespace
} // namespace dovra::testing
