// The check between the samples on responses whose worst excess is known in
// closed form: bumps between the rows, dips under the lower limit, a shifted
// group-delay scheme, and the tables that limit nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "check/DenseCheck.h"

namespace {

using dovra::LimitTables;

struct DenseCase {
    const char* name;
    LimitTables tables;
    double offset;
    std::function<double(double)> level, delay;
    // Expected worst excesses (0: none) and their frequencies.
    double magExcess, magFrequency, gdExcess, gdFrequency;
    const char* line;
};

double zero(double) {
    return 0.0;
}

class DenseCheck : public ::testing::TestWithParam<DenseCase> {};

TEST_P(DenseCheck, FindsTheWorstExcessBetweenTheRows) {
    const DenseCase& c = GetParam();
    auto r = dovra::checkBetweenSamples(c.tables, c.offset, c.level, c.delay);
    // The dense grid has a point every 1/128 of a segment.
    EXPECT_EQ(r.magnitude.found, c.magExcess > 0);
    if (c.magExcess > 0) {
        if (std::isinf(c.magExcess)) {
            EXPECT_EQ(r.magnitude.excess, c.magExcess);
        } else {
            EXPECT_NEAR(r.magnitude.excess, c.magExcess, 1e-3);
        }
        EXPECT_NEAR(r.magnitude.frequency, c.magFrequency, 0.5 / 128);
    }
    EXPECT_EQ(r.groupDelay.found, c.gdExcess > 0);
    if (c.gdExcess > 0) {
        EXPECT_NEAR(r.groupDelay.excess, c.gdExcess, 1e-9);
        EXPECT_NEAR(r.groupDelay.frequency, c.gdFrequency, 1e-12);
    }
    EXPECT_EQ(dovra::denseCheckLine(r), c.line);
}

const LimitTables kBand{{{0.0, 0.0}, {0.5, 0.0}}, {{0.0, -1.0}, {0.5, -1.0}}, {}, {}};

INSTANTIATE_TEST_SUITE_P(
    Responses, DenseCheck,
    ::testing::Values(
        DenseCase{"FlatInsideMeets", kBand, 0.0, [](double) { return -0.5; }, zero, 0, 0, 0, 0,
                  "checked between the samples: met"},
        // Touches the upper limit at both rows and bulges 0.49 dB above it in between.
        DenseCase{
            "BumpBetweenTheRows", kBand, 0.0,
            [](double w) { return 0.49 * std::sin(2.0 * M_PI * w) * std::sin(2.0 * M_PI * w); },
            zero, 0.49, 0.25, 0, 0,
            "checked between the samples: worst excess 0.49 dB at frequency 0.25"},
        // A zero on the unit circle inside the passband: minus infinity dB.
        DenseCase{
            "ZeroUnderTheLowerLimit",
            {{{0.0, 0.0}, {0.5, 0.0}}, {{0.0, -1.0}, {0.25, -1.0}}, {}, {}},
            0.0,
            [](double w) { return w == 0.125 ? -std::numeric_limits<double>::infinity() : -0.5; },
            zero,
            std::numeric_limits<double>::infinity(),
            0.125,
            0,
            0,
            "checked between the samples: worst excess inf dB at frequency 0.125"},
        // Limits interpolated along a sloped segment: the limit falls from 0 to
        // -40 dB, the level 3 dB above it at the first row and less after.
        DenseCase{"SlopedLimit",
                  {{{0.2, 0.0}, {0.3, -40.0}}, {}, {}, {}},
                  0.0,
                  [](double w) { return 3.0 - 410.0 * (w - 0.2); },
                  zero,
                  3.0,
                  0.2,
                  0,
                  0,
                  "checked between the samples: worst excess 3 dB at frequency 0.2"},
        // Group delay 5 inside [4.5, 5.5]; the offset 1 shifts the scheme to
        // [5.5, 6.5], so the delay is 0.5 samples short from the first row on.
        DenseCase{"ShiftedGroupDelay",
                  {{}, {}, {{0.0, 5.5}, {0.4, 5.5}}, {{0.1, 4.5}, {0.4, 4.5}}},
                  1.0,
                  zero,
                  [](double) { return 5.0; },
                  0,
                  0,
                  0.5,
                  0.1,
                  "checked between the samples: worst excess 0.5 samples at frequency 0.1"},
        DenseCase{"BothOver",
                  {{{0.0, 0.0}, {0.5, 0.0}}, {}, {{0.0, 5.0}, {0.5, 5.0}}, {}},
                  0.0,
                  [](double) { return 0.25; },
                  [](double w) { return 5.0 + w; },
                  0.25,
                  0.0,
                  0.5,
                  0.5,
                  "checked between the samples: worst excess 0.25 dB at frequency 0, worst excess "
                  "0.5 samples at frequency 0.5"},
        // One row, a non-number and an excess within the success tolerance
        // are no findings.
        DenseCase{"NothingToFind",
                  {{{0.0, -10.0}}, {}, {}, {}},
                  0.0,
                  [](double) { return 0.0; },
                  [](double) { return std::nan(""); },
                  0,
                  0,
                  0,
                  0,
                  "checked between the samples: met"},
        DenseCase{"WithinTolerance", kBand, 0.0, [](double) { return 5e-7; }, zero, 0, 0, 0, 0,
                  "checked between the samples: met"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
