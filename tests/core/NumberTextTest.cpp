#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "text/NumberText.h"

using namespace dovra::text;

struct DoubleCase {
    double value;
    const char* text;
};

class FormatDouble : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(FormatDouble, WritesShortestRoundTripForm) {
    EXPECT_EQ(formatDouble(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatDouble,
    ::testing::Values(DoubleCase{0.5, "0.5"}, DoubleCase{99.0, "99.0"}, DoubleCase{1.0, "1.0"},
                      DoubleCase{-2.0, "-2.0"}, DoubleCase{1.0e-4, "1.0E-4"},
                      DoubleCase{2.5e7, "2.5E7"}, DoubleCase{1.0e7, "1.0E7"},
                      DoubleCase{9999999.0, "9999999.0"}, DoubleCase{0.001, "0.001"},
                      DoubleCase{0.00099, "9.9E-4"}, DoubleCase{-6.123233995736766E-17, "-6.123233995736766E-17"},
                      DoubleCase{0.1, "0.1"}, DoubleCase{0.25, "0.25"}, DoubleCase{123.456, "123.456"},
                      DoubleCase{1.0 / 3.0, "0.3333333333333333"}, DoubleCase{1e21, "1.0E21"},
                      DoubleCase{1.7976931348623157e308, "1.7976931348623157E308"},
                      DoubleCase{4.9e-324, "5.0E-324"}, DoubleCase{0.0, "0.0"},
                      DoubleCase{-0.0, "-0.0"}, DoubleCase{1234567.0, "1234567.0"},
                      DoubleCase{-0.3, "-0.3"}, DoubleCase{100.0, "100.0"}));

TEST(FormatDouble, NonFiniteValues) {
    EXPECT_EQ(formatDouble(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(formatDouble(std::numeric_limits<double>::infinity()), "Infinity");
    EXPECT_EQ(formatDouble(-std::numeric_limits<double>::infinity()), "-Infinity");
}

TEST(FormatDouble, EveryTextReadsBackToTheSameValue) {
    // A spread of magnitudes and digit counts, including the form boundaries.
    double values[] = {1e-300, 3.14159e-5, 0.000999999, 0.001, 0.0123, 0.7, 1.5, 12.75,
                       6543210.9, 9999999.999, 1e7, 1.23456789e12, 2.0 / 7.0, 5e-324};
    for (double v : values) {
        for (double s : {v, -v}) {
            auto back = parseDouble(formatDouble(s));
            ASSERT_TRUE(back.has_value()) << formatDouble(s);
            EXPECT_EQ(*back, s) << formatDouble(s);
        }
    }
}

TEST(FormatFloat, ShortestSinglePrecisionForm) {
    EXPECT_EQ(formatFloat(0.1f), "0.1");
    EXPECT_EQ(formatFloat(static_cast<float>(1.0 / 3.0)), "0.33333334");
    EXPECT_EQ(formatFloat(static_cast<float>(1.7976931348623157e308)), "Infinity");
    EXPECT_EQ(formatFloat(1.5e-6f), "1.5E-6");
    EXPECT_EQ(formatFloat(0.0f), "0.0");
}

TEST(ParseInt, AcceptsOnlyOptionalMinusAndDigits) {
    EXPECT_EQ(parseInt("0"), 0);
    EXPECT_EQ(parseInt("42"), 42);
    EXPECT_EQ(parseInt("-7"), -7);
    EXPECT_EQ(parseInt("007"), 7);
    EXPECT_EQ(parseInt("2147483647"), 2147483647);
    EXPECT_EQ(parseInt("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "-", "+5", " 5", "5 ", "5.0", "1e3", "abc", "2147483648", "--1", "0x10"}) {
        EXPECT_FALSE(parseInt(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(ParseDouble, AcceptsDecimalAndScientificWithBlanks) {
    EXPECT_EQ(parseDouble("0.5"), 0.5);
    EXPECT_EQ(parseDouble("  -1.5e3  "), -1500.0);
    EXPECT_EQ(parseDouble("1.0E-4"), 1.0e-4);
    EXPECT_EQ(parseDouble(".5"), 0.5);
    EXPECT_EQ(parseDouble("5."), 5.0);
    EXPECT_EQ(parseDouble("+2"), 2.0);
    EXPECT_EQ(parseDouble("7"), 7.0);
    EXPECT_EQ(parseDouble("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseDouble("1e-400"), 0.0);
    EXPECT_TRUE(std::isnan(*parseDouble("NaN")));
    EXPECT_EQ(parseDouble("-Infinity"), -std::numeric_limits<double>::infinity());
    auto negZero = parseDouble("-0.0");
    ASSERT_TRUE(negZero.has_value());
    EXPECT_TRUE(std::signbit(*negZero));
    for (const char* bad : {"", " ", ".", "e5", "1e", "1.2.3", "0x1p3", "1,5", "abc", "1 2", "inf", "--1"}) {
        EXPECT_FALSE(parseDouble(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(ParseBool, TrueInAnyCaseElseFalse) {
    EXPECT_TRUE(parseBool("true"));
    EXPECT_TRUE(parseBool("TRUE"));
    EXPECT_TRUE(parseBool("tRuE"));
    EXPECT_FALSE(parseBool("false"));
    EXPECT_FALSE(parseBool(""));
    EXPECT_FALSE(parseBool(" true"));
    EXPECT_FALSE(parseBool("yes"));
}
