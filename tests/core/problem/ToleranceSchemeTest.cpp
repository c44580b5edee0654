// Sampling grid, loading of the tolerance tables and the reading of a
// magnitude scheme as a lowpass, highpass, bandpass or bandstop.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "LiteralCost.h"
#include "SchemeBuilder.h"
#include "problem/IIR.h"

namespace dovra {
namespace {

using testing::Rows;
using testing::SessionFixture;
using testing::setRows;

struct Probe : IIR {
    using IIR::cosineTable_;
    using IIR::linearTable_;
    using IIR::pointsPerSegment_;
    using IIR::samplingTable_;
};

TEST(SamplingTables, CosineTableStartsWithTheCoarseGrid) {
    Probe p;
    const double expected[10] = {0.0,  0.0301536896, 0.1169777784, 0.25, 0.4131759112, 0.5868240888,
                                 0.75, 0.8830222216, 0.9698463104, 1.0};
    for (int i = 0; i < 10; ++i) {
        EXPECT_NEAR(p.cosineTable_[static_cast<std::size_t>(i)], expected[i], 1e-10) << i;
    }
    EXPECT_EQ(p.cosineTable_[0], 0.0);
    EXPECT_EQ(p.cosineTable_[9], 1.0);
}

TEST(SamplingTables, StorageOrderInterleavesSevenSubgrids) {
    Probe p;
    for (int pos = 0; pos < 64; ++pos) {
        const auto u = static_cast<std::size_t>(pos);
        EXPECT_DOUBLE_EQ(p.linearTable_[u], literal::fraction(pos, true)) << pos;
        EXPECT_DOUBLE_EQ(p.cosineTable_[u], literal::fraction(pos, false)) << pos;
    }
    // Every point j / 63 appears exactly once.
    auto sorted = p.linearTable_;
    std::sort(sorted.begin(), sorted.end());
    for (int j = 0; j < 64; ++j) {
        EXPECT_NEAR(sorted[static_cast<std::size_t>(j)] * 63.0, j, 1e-12);
    }
    // The medium grid (28 points) holds the residues 0, 1 and 2 modulo 7.
    for (int pos = 0; pos < 28; ++pos) {
        const int j =
            static_cast<int>(std::lround(p.linearTable_[static_cast<std::size_t>(pos)] * 63));
        EXPECT_LT(j % 7, 3) << pos;
    }
}

struct GranularityCase {
    const char* granularity;
    int points;
};
class Granularity : public ::testing::TestWithParam<GranularityCase> {};

TEST_P(Granularity, GivesPointsPerSegment) {
    SessionFixture f;
    f.session.setSamplingGranularity(GetParam().granularity);
    Probe p;
    testing::prepare(f.session, p);
    EXPECT_EQ(p.pointsPerSegment_, GetParam().points);
    // The session's sampling mode is "nonlinear": the cosine table.
    EXPECT_EQ(p.samplingTable_, &p.cosineTable_);
}

INSTANTIATE_TEST_SUITE_P(AllGranularities, Granularity,
                         ::testing::Values(GranularityCase{"coarse", 10},
                                           GranularityCase{"medium", 28},
                                           GranularityCase{"fine", 64}));

TEST(ToleranceLoading, TablesOverTheCapacityArePrintedAndNotCopied) {
    SessionFixture f;
    testing::setConstantRows(f.session.magUpper(), 101, 0.0);
    testing::setConstantRows(f.session.magLower(), 102, -1.0);
    testing::setConstantRows(f.session.gdUpper(), 101, 5.0);
    testing::setConstantRows(f.session.gdLower(), 150, 3.0);
    Probe p;
    p.init_tolerance_scheme(f.session.runInput(), f.session.console());
    EXPECT_EQ(f.out.str(), "Number of entries for upper magnitude tolerance scheme > 100\n"
                           "Number of entries for lower magnitude tolerance scheme > 100\n"
                           "Number of entries for upper group delay tolerance scheme > 100\n"
                           "Number of entries for lower group delay tolerance scheme > 100\n");
    const auto& upper = p.toleranceScheme().table(ToleranceScheme::MagUpper);
    EXPECT_EQ(upper.rows, 101); // the reported size is kept
    EXPECT_TRUE(
        std::all_of(upper.limit.begin(), upper.limit.end(), [](double v) { return v == 0.0; }));
    EXPECT_EQ(p.parseToleranceScheme(), 0);
}

TEST(ToleranceLoading, ExactlyOneHundredRowsAreLoaded) {
    SessionFixture f;
    testing::setConstantRows(f.session.magUpper(), 100, -3.0);
    Probe p;
    p.init_tolerance_scheme(f.session.runInput(), f.session.console());
    EXPECT_EQ(f.out.str(), "");
    EXPECT_EQ(p.toleranceScheme().table(ToleranceScheme::MagUpper).limit[99], -3.0);
}

// --- reading a magnitude scheme -------------------------------------------------

struct ParseCase {
    const char* name;
    Rows upper, lower;
    int type;
    double fLower, fUpper, delta, gain, ripple, attn;
};
class Parse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parse, FillsTheDesignRecord) {
    const ParseCase& c = GetParam();
    SessionFixture f;
    setRows(f.session.magUpper(), c.upper);
    setRows(f.session.magLower(), c.lower);
    IIR p;
    p.init_tolerance_scheme(f.session.runInput(), f.session.console());
    EXPECT_EQ(p.parseToleranceScheme(), c.type);
    const Data& d = p.data();
    EXPECT_EQ(d.filtertype, c.type);
    EXPECT_NEAR(d.f_lower, c.fLower, 1e-12);
    EXPECT_NEAR(d.f_upper, c.fUpper, 1e-12);
    EXPECT_NEAR(d.delta, c.delta, 1e-12);
    EXPECT_NEAR(d.gain, c.gain, 1e-12);
    EXPECT_NEAR(d.pass_ripple, c.ripple, 1e-12);
    EXPECT_NEAR(d.stop_attn, c.attn, 1e-12);
    EXPECT_EQ(f.out.str(), "");
}

const Rows kLowpassUpper{{0, 0}, {0.2, 0}, {0.25, -40}, {0.5, -40}};
const Rows kLowpassLower{{0, -1}, {0.2, -1}};
const Rows kHighpassUpper{{0, -40}, {0.2, -40}, {0.25, 0}, {0.5, 0}};
const Rows kHighpassLower{{0.25, -1}, {0.5, -1}};
const Rows kBandpassUpper{{0, -40}, {0.1, -40}, {0.15, 0}, {0.3, 0}, {0.35, -40}, {0.5, -40}};
const Rows kBandpassLower{{0.15, -1}, {0.3, -1}};
const Rows kBandstopUpper{{0, 0}, {0.1, 0}, {0.15, -40}, {0.3, -40}, {0.35, 0}, {0.5, 0}};
const Rows kBandstopLower{{0, -1}, {0.09, -1}, {0.12, -100}, {0.33, -100}, {0.36, -1}, {0.5, -1}};

INSTANTIATE_TEST_SUITE_P(
    Schemes, Parse,
    ::testing::Values(
        ParseCase{"Lowpass", kLowpassUpper, kLowpassLower, 1, 0, 0.2, 0.05, 0, 1, 40},
        ParseCase{"LowpassWithGain",
                  {{0, 6}, {0.2, 6}, {0.3, -20}, {0.5, -20}},
                  {{0, 3}, {0.15, 3}},
                  1,
                  0,
                  0.15,
                  0.15,
                  6,
                  3,
                  26},
        ParseCase{"Highpass", kHighpassUpper, kHighpassLower, 2, 0.25, 0.5, 0.05, 0, 1, 40},
        ParseCase{"Bandpass", kBandpassUpper, kBandpassLower, 4, 0.15, 0.3, 0.05, 0, 1, 40},
        ParseCase{"Bandstop", kBandstopUpper, kBandstopLower, 8, 0.09, 0.36, 0.06, 0, 1, 40},
        // Not recognised: every result stays 0.
        ParseCase{"ConstantLevel", {{0, 0}, {0.5, 0}}, kLowpassLower, 0, 0, 0, 0, 0, 0, 0},
        ParseCase{"RisingTwice",
                  {{0, -40}, {0.1, -40}, {0.2, -20}, {0.3, -20}, {0.4, 0}, {0.5, 0}},
                  kHighpassLower,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0},
        ParseCase{"HighpassWithThreeLowerRows",
                  kHighpassUpper,
                  {{0.25, -1}, {0.4, -1}, {0.5, -1}},
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0},
        ParseCase{"BandpassWithThreeLowerRows",
                  kBandpassUpper,
                  {{0.15, -1}, {0.2, -1}, {0.3, -1}},
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0},
        ParseCase{"LowpassLowerAboveUpper", kLowpassUpper, {{0, 1}, {0.2, 1}}, 0, 0, 0, 0, 0, 0, 0},
        ParseCase{"SingleUpperRow", {{0, 0}}, kLowpassLower, 0, 0, 0, 0, 0, 0, 0},
        // A level change at the last row: the table has no second change.
        ParseCase{"LowpassDropAtLastRow",
                  {{0, 0}, {0.2, 0}, {0.25, -40}},
                  kLowpassLower,
                  1,
                  0,
                  0.2,
                  0.05,
                  0,
                  1,
                  40},
        ParseCase{"HighpassRiseAtLastRow",
                  {{0, -40}, {0.2, -40}, {0.25, 0}},
                  kHighpassLower,
                  2,
                  0.25,
                  0.5,
                  0.05,
                  0,
                  1,
                  40},
        ParseCase{"BandstopLowerDropAtLastRow",
                  kBandstopUpper,
                  {{0, -1}, {0.09, -1}, {0.12, -100}},
                  0,
                  0,
                  0,
                  0,
                  0,
                  0,
                  0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseLongTable, ChangeAtTheLastOfOneHundredRows) {
    // The first change is at row 99, the last stored row; nothing beyond it is read.
    SessionFixture f;
    Rows upper;
    for (int i = 0; i < 99; ++i) {
        upper.emplace_back(0.4 * i / 98.0, 0.0);
    }
    upper.emplace_back(0.5, -40.0);
    setRows(f.session.magUpper(), upper);
    setRows(f.session.magLower(), {{0, -1}, {0.3, -1}});
    IIR p;
    p.init_tolerance_scheme(f.session.runInput(), f.session.console());
    EXPECT_EQ(p.parseToleranceScheme(), 1);
    EXPECT_NEAR(p.data().f_upper, 0.3, 1e-15);
    EXPECT_NEAR(p.data().delta, 0.2, 1e-15);
}

} // namespace
} // namespace dovra
