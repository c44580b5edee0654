#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "settings/RealizationSettings.h"
#include "settings/RunSettings.h"
#include "text/NumberText.h"

using namespace dovra;

namespace {

std::vector<std::string> lines(const std::ostringstream& s) {
    std::vector<std::string> r;
    std::istringstream in(s.str());
    for (std::string l; std::getline(in, l);) {
        r.push_back(l);
    }
    return r;
}

class SettingsTest : public ::testing::Test {
  protected:
    std::ostringstream out, err;
    Console console{out, err};
};

// --- integer fields of the realization ----------------------------------------

struct IntCase {
    RealizationSettings::Field field;
    std::string text;
    int value;             // what the getter returns
    std::string fieldText; // the field afterwards
    std::string message;   // the one console line, or empty for none
};

class RealizationIntField : public SettingsTest, public ::testing::WithParamInterface<IntCase> {
  protected:
    RealizationSettings model{console};
    int get(RealizationSettings::Field f) {
        switch (f) {
        case RealizationSettings::NumDegField:
            return model.getNumDeg();
        case RealizationSettings::DenomDegField:
            return model.getDenomDeg();
        case RealizationSettings::LinPairField:
            return model.getNZLinPair();
        default:
            return model.getNZPAllpPair();
        }
    }
};

TEST_P(RealizationIntField, RangeCheckAndReplacement) {
    const auto& c = GetParam();
    // What the views (the message line) are told last: a replaced value
    // names its field, its range and the value used.
    std::string told;
    console.addLineListener([&](const std::string& line, LineKind) { told = line; });
    // Every call checks the text again and prints its message once.
    for (int call = 0; call < 2; ++call) {
        out.str("");
        model.setText(c.field, c.text);
        EXPECT_EQ(get(c.field), c.value);
        EXPECT_EQ(model.text(c.field), c.fieldText);
        auto printed = lines(out);
        if (c.message.empty()) {
            EXPECT_TRUE(printed.empty()) << out.str();
        } else {
            ASSERT_EQ(printed.size(), 1u) << out.str();
            EXPECT_NE(printed[0].find(c.message), std::string::npos) << printed[0];
        }
        const auto n = text::parseInt(c.text);
        if (n && *n != c.value) {
            EXPECT_NE(told.find(" " + c.text + " out of range (0 to "), std::string::npos) << told;
            EXPECT_NE(told.find("), using 0"), std::string::npos) << told;
        } else if (!n) {
            const char* what =
                text::parseDouble(c.text) ? "is not a whole number" : "is not a number";
            EXPECT_NE(told.find(what), std::string::npos) << told;
        }
    }
}

// The run settings' whole-number fields say the same.
TEST_F(SettingsTest, RunFieldsNameTheirRangeAndTheValueUsed) {
    std::string told;
    console.addLineListener([&](const std::string& line, LineKind) { told = line; });
    ActivitySettings activity{console};
    const std::pair<const char*, const char*> refresh[] = {
        {"fast", "Warning! refresh rate is not a number: \"fast\", using 10"},
        {"2.5", "Warning! refresh rate is not a whole number: \"2.5\", using 10"},
        {"0", "Warning! refresh rate 0 out of range (1 to 100), using 10"},
        {"101", "Warning! refresh rate 101 out of range (1 to 100), using 10"}};
    for (const auto& [typed, line] : refresh) {
        activity.setText(typed);
        EXPECT_EQ(activity.getRefreshRate(), 10);
        EXPECT_EQ(told, line);
    }
    OptimizationSettings optimization{console};
    optimization.setText(OptimizationSettings::NPField, "12.5");
    EXPECT_EQ(optimization.getNP(), OptimizationSettings::kMinPopulation);
    EXPECT_EQ(told, "Warning! population size is not a whole number: \"12.5\", using " +
                        std::to_string(OptimizationSettings::kMinPopulation));
    const std::pair<const char*, const char*> searches[] = {
        {"2.5", "Warning! number of searches is not a whole number: \"2.5\", using 1"},
        {"0", "Warning! number of searches 0 out of range (1 to 64), using 1"},
        {"65", "Warning! number of searches 65 out of range (1 to 64), using 1"}};
    for (const auto& [typed, line] : searches) {
        optimization.setText(OptimizationSettings::PortfolioField, typed);
        EXPECT_EQ(optimization.getPortfolio(), 1);
        EXPECT_EQ(optimization.text(OptimizationSettings::PortfolioField), "1");
        EXPECT_EQ(told, line);
    }
    optimization.setText(OptimizationSettings::PortfolioField, "64");
    EXPECT_EQ(optimization.getPortfolio(), 64);
}

const char* const kNumDegWarning = "Warning! numerator degree out of range!";

INSTANTIATE_TEST_SUITE_P(
    Fields, RealizationIntField,
    ::testing::Values(
        IntCase{RealizationSettings::NumDegField, "257", 257, "257", ""},
        IntCase{RealizationSettings::NumDegField, "0", 0, "0", ""},
        IntCase{RealizationSettings::NumDegField, "258", 0, "0", kNumDegWarning},
        IntCase{RealizationSettings::NumDegField, "-1", 0, "0", kNumDegWarning},
        IntCase{RealizationSettings::NumDegField, "99999999999", 0, "0", "numerator degree"},
        IntCase{RealizationSettings::NumDegField, "", 0, "0", "numerator degree"},
        IntCase{RealizationSettings::DenomDegField, "100", 100, "100", ""},
        IntCase{RealizationSettings::DenomDegField, "101", 0, "0", ""},
        IntCase{RealizationSettings::DenomDegField, "-3", 0, "0", ""},
        IntCase{RealizationSettings::DenomDegField, "six", 0, "0", "denominator degree"},
        IntCase{RealizationSettings::LinPairField, "100", 100, "100", ""},
        IntCase{RealizationSettings::LinPairField, "101", 0, "0", ""},
        IntCase{RealizationSettings::LinPairField, "1.5", 0, "0", "linear phase zero pairs"},
        IntCase{RealizationSettings::AllpPairField, "100", 100, "100", ""},
        IntCase{RealizationSettings::AllpPairField, "101", 0, "0", ""},
        IntCase{RealizationSettings::AllpPairField, " 2", 0, "0", "allpass pole/zero pairs"}));

// --- double fields of the realization -------------------------------------------

struct DoubleCase {
    RealizationSettings::Field field;
    double otherStored; // the stored value of the other zero-radius limit
    std::string text;
    double value;
    std::string message;
};

class RealizationDoubleField : public SettingsTest,
                               public ::testing::WithParamInterface<DoubleCase> {
  protected:
    RealizationSettings model{console};
};

TEST_P(RealizationDoubleField, RangeCheckAndReplacement) {
    const auto& c = GetParam();
    if (c.field == RealizationSettings::ZeroRadiusLowField) {
        model.setZeroRadiusRestrHigh(c.otherStored);
    } else if (c.field == RealizationSettings::ZeroRadiusHighField) {
        model.setZeroRadiusRestrLow(c.otherStored);
    }
    out.str("");
    model.setText(c.field, c.text);
    double v = c.field == RealizationSettings::ZeroRadiusLowField ? model.getZeroRadiusRestrLow()
               : c.field == RealizationSettings::ZeroRadiusHighField
                   ? model.getZeroRadiusRestrHigh()
                   : model.getPoleRadiusRestr();
    EXPECT_EQ(v, c.value);
    auto printed = lines(out);
    if (c.message.empty()) {
        EXPECT_TRUE(printed.empty()) << out.str();
    } else {
        ASSERT_EQ(printed.size(), 1u) << out.str();
        EXPECT_NE(printed[0].find(c.message), std::string::npos) << printed[0];
    }
    // An accepted text stays as typed; a replaced value is written back.
    auto typed = text::parseDouble(c.text);
    bool accepted = typed && *typed == c.value;
    EXPECT_EQ(model.text(c.field), accepted ? c.text : text::formatDouble(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RealizationDoubleField,
    ::testing::Values(
        DoubleCase{RealizationSettings::ZeroRadiusLowField, 99.0, "100", 0.0, ""},
        DoubleCase{RealizationSettings::ZeroRadiusLowField, 99.0, "99", 99.0, ""},
        DoubleCase{RealizationSettings::ZeroRadiusLowField, 0.8, "0.8", 0.8, ""},
        // Checked as a pair: a lower limit above the upper one stands, the
        // upper one is replaced (ZeroRadiusLimitsAreCheckedAsAPair).
        DoubleCase{RealizationSettings::ZeroRadiusLowField, 0.8, "0.9", 0.9, ""},
        DoubleCase{RealizationSettings::ZeroRadiusLowField, 99.0, "-0.1", 0.0, ""},
        DoubleCase{RealizationSettings::ZeroRadiusLowField, 99.0, "NaN", 0.0, ""},
        DoubleCase{RealizationSettings::ZeroRadiusLowField, 99.0, "low", 0.0,
                   "zero radius lower limit"},
        DoubleCase{RealizationSettings::ZeroRadiusHighField, 0.5, "0.4", 99.0, ""},
        DoubleCase{RealizationSettings::ZeroRadiusHighField, 0.5, "0.5", 0.5, ""},
        DoubleCase{RealizationSettings::ZeroRadiusHighField, 0.0, "99.0", 99.0, ""},
        DoubleCase{RealizationSettings::ZeroRadiusHighField, 0.0, "99.5", 99.0, ""},
        DoubleCase{RealizationSettings::ZeroRadiusHighField, 0.0, "Infinity", 99.0, ""},
        DoubleCase{RealizationSettings::ZeroRadiusHighField, 0.0, "", 99.0,
                   "zero radius upper limit"},
        DoubleCase{RealizationSettings::PoleRadiusField, 0.0, "1.0", 1.0, ""},
        DoubleCase{RealizationSettings::PoleRadiusField, 0.0, "0", 0.0, ""},
        DoubleCase{RealizationSettings::PoleRadiusField, 0.0, "1.0001", 1.0, ""},
        DoubleCase{RealizationSettings::PoleRadiusField, 0.0, "-0.5", 1.0, ""},
        DoubleCase{RealizationSettings::PoleRadiusField, 0.0, "NaN", 1.0, ""},
        DoubleCase{RealizationSettings::PoleRadiusField, 0.0, "0,9", 1.0, "pole radius limit"}));

// The two zero-radius limits give the same values whichever getter is asked
// first, so that what Save As writes reads back the same: the lower limit
// within 0 to 99, then the upper one from the lower one to 99.
TEST_F(SettingsTest, ZeroRadiusLimitsAreCheckedAsAPair) {
    struct Pair {
        const char *low, *high;
        double wantLow, wantHigh;
    };
    for (const Pair& p : {Pair{"50", "3", 50.0, 99.0}, Pair{"4.4444444444E11", "5.0E11", 0.0, 99.0},
                          Pair{"0.5", "2", 0.5, 2.0}, Pair{"120", "0.3", 0.0, 0.3}}) {
        for (const bool lowFirst : {true, false}) {
            RealizationSettings model{console};
            model.setText(RealizationSettings::ZeroRadiusLowField, p.low);
            model.setText(RealizationSettings::ZeroRadiusHighField, p.high);
            if (!lowFirst) {
                (void)model.getZeroRadiusRestrHigh();
            }
            EXPECT_EQ(model.getZeroRadiusRestrLow(), p.wantLow) << p.low << " " << p.high;
            EXPECT_EQ(model.getZeroRadiusRestrHigh(), p.wantHigh) << p.low << " " << p.high;
        }
    }
}

TEST_F(SettingsTest, ZeroRadiusLimitsUseTheStoredOtherValueNotItsText) {
    RealizationSettings model{console};
    // The upper field's text says 3, but its stored value is still 99.0.
    model.setText(RealizationSettings::ZeroRadiusHighField, "3");
    model.setText(RealizationSettings::ZeroRadiusLowField, "50");
    EXPECT_EQ(model.getZeroRadiusRestrLow(), 50.0);
    // Now the upper field is checked against the stored lower limit 50.
    EXPECT_EQ(model.getZeroRadiusRestrHigh(), 99.0);
    EXPECT_EQ(model.text(RealizationSettings::ZeroRadiusHighField), "99.0");
}

TEST_F(SettingsTest, ReplacedValueIsWrittenBackInDecimalForm) {
    RealizationSettings model{console};
    model.setText(RealizationSettings::PoleRadiusField, "1.0001");
    model.getPoleRadiusRestr();
    EXPECT_EQ(model.text(RealizationSettings::PoleRadiusField), "1.0");
    model.setText(RealizationSettings::ZeroRadiusLowField, "100");
    model.getZeroRadiusRestrLow();
    EXPECT_EQ(model.text(RealizationSettings::ZeroRadiusLowField), "0.0");
    // Initial texts.
    RealizationSettings fresh{console};
    EXPECT_EQ(fresh.text(RealizationSettings::ZeroRadiusHighField), "99.0");
    EXPECT_EQ(fresh.text(RealizationSettings::PoleRadiusField), "1.0");
    EXPECT_EQ(fresh.text(RealizationSettings::NumDegField), "0");
}

// --- word length ---------------------------------------------------------------

struct WordCase {
    std::string item;
    int wordLength;
    std::int64_t quant;
};

class SettingsWordLength : public SettingsTest, public ::testing::WithParamInterface<WordCase> {};

TEST_P(SettingsWordLength, ItemGivesWordLengthAndQuant) {
    const auto& c = GetParam();
    RealizationSettings model{console};
    const auto& items = RealizationSettings::wordLengthItems();
    auto it = std::find(items.begin(), items.end(), c.item);
    ASSERT_NE(it, items.end());
    model.selectWordLengthItem(static_cast<int>(it - items.begin()));
    EXPECT_EQ(model.getWordLength(), c.wordLength);
    EXPECT_EQ(model.getQuant(), c.quant);
    EXPECT_EQ(model.wordLengthItem(), it - items.begin());
    // The setter used by the configuration file lands on the same item.
    RealizationSettings other{console};
    other.setWordLength(c.wordLength);
    EXPECT_EQ(other.getQuant(), c.quant);
    EXPECT_EQ(other.wordLengthItem(), it - items.begin());
}

INSTANTIATE_TEST_SUITE_P(Items, SettingsWordLength,
                         ::testing::Values(WordCase{"inf", 0, -1}, WordCase{"16", 16, 32768},
                                           WordCase{"1", 1, 1}, WordCase{"4", 4, 8},
                                           WordCase{"32", 32, 2147483648LL}));

TEST_F(SettingsTest, WordLengthItemsRunFromInfDownToOne) {
    const auto& items = RealizationSettings::wordLengthItems();
    ASSERT_EQ(items.size(), 33u);
    EXPECT_EQ(items.front(), "inf");
    EXPECT_EQ(items[1], "32");
    EXPECT_EQ(items.back(), "1");
    RealizationSettings model{console};
    EXPECT_EQ(model.getWordLength(), 0);
    EXPECT_EQ(model.getQuant(), -1);
}

// --- design method and structure --------------------------------------------------

TEST_F(SettingsTest, StructureIsRememberedAcrossDesignMethods) {
    RealizationSettings model{console};
    model.selectStructure(1);
    model.selectDesignMethod(5); // Equiripple-linphase (FIR)
    EXPECT_FALSE(model.structureVisible());
    EXPECT_FALSE(model.realizationFieldsVisible());
    EXPECT_EQ(model.getStructId(), 0);
    model.selectDesignMethod(1); // Butterworth
    EXPECT_TRUE(model.structureVisible());
    EXPECT_FALSE(model.realizationFieldsVisible());
    EXPECT_EQ(model.getStructId(), 1);
    model.selectDesignMethod(0);
    EXPECT_TRUE(model.realizationFieldsVisible());
    EXPECT_EQ(model.getStructId(), 1);
}

TEST_F(SettingsTest, StructureSurvivesMovingBetweenTheFirDesigns) {
    RealizationSettings model{console};
    model.selectStructure(1);
    model.selectDesignMethod(5);
    model.selectDesignMethod(6);
    EXPECT_EQ(model.getStructId(), 0);
    model.selectDesignMethod(2);
    EXPECT_EQ(model.getStructId(), 1);
}

TEST_F(SettingsTest, StructureSetBeforeTheDesignMethodIsKept) {
    // The configuration file sets the structure first, then the method.
    RealizationSettings model{console};
    model.setStructId(1);
    model.setDesignIdentifierIdx(3);
    EXPECT_EQ(model.getStructId(), 1);
    EXPECT_EQ(model.getDesignIdentifier(), "Chebychev-Type2     (IIR)  ");
    EXPECT_EQ(model.getDesignIdentifierIdx(), 3);
}

TEST_F(SettingsTest, DesignMethodItemsAreAligned) {
    for (const auto& item : RealizationSettings::designMethodItems()) {
        EXPECT_EQ(item.size(), 27u) << "\"" << item << "\"";
    }
    EXPECT_EQ(RealizationSettings::designMethodItems()[6], "MaxFlat-linphase    (FIR)  ");
    // Every method a file may name is in the list, Remez at its index.
    ASSERT_EQ(RealizationSettings::designMethodItems().size(), 8u);
    RealizationSettings model{console};
    model.setDesignIdentifierIdx(7);
    EXPECT_EQ(model.getDesignIdentifier(), RealizationSettings::designMethodItems()[7]);
    EXPECT_EQ(model.getDesignIdentifier(), "Equiripple-Remez    (FIR)  ");
}

// A user who tries a classical method and comes back finds the Z-plane
// counts as they were, although the classical run set the degrees of its
// design; a file's method (set through the index) keeps what the file says.
TEST_F(SettingsTest, ZPlaneCountsComeBackAfterAnotherMethod) {
    RealizationSettings model{console};
    model.setText(RealizationSettings::NumDegField, "6");
    model.setText(RealizationSettings::DenomDegField, "6");
    model.setText(RealizationSettings::LinPairField, "1");
    model.setText(RealizationSettings::AllpPairField, "2");
    model.selectDesignMethod(1);
    model.setNumDeg(14);
    model.setDenomDeg(14);
    model.setNZlinPair(0);
    model.setNZPAllpPair(0);
    model.selectDesignMethod(7);
    model.selectDesignMethod(0);
    EXPECT_EQ(model.getNumDeg(), 6);
    EXPECT_EQ(model.getDenomDeg(), 6);
    EXPECT_EQ(model.getNZLinPair(), 1);
    EXPECT_EQ(model.getNZPAllpPair(), 2);

    model.setDesignIdentifierIdx(4);
    model.setNumDeg(9);
    model.setDesignIdentifierIdx(0);
    EXPECT_EQ(model.getNumDeg(), 9);
}

TEST_F(SettingsTest, DimensionCountsEveryBlockAndTheGain) {
    RealizationSettings model{console};
    model.setText(RealizationSettings::NumDegField, "4");
    model.setText(RealizationSettings::DenomDegField, "6");
    model.setText(RealizationSettings::LinPairField, "1");
    model.setText(RealizationSettings::AllpPairField, "2");
    EXPECT_EQ(model.getDimension(), 14);
    // Each getter validates: an out-of-range text counts as 0.
    model.setText(RealizationSettings::DenomDegField, "101");
    EXPECT_EQ(model.getDimension(), 8);
    EXPECT_EQ(model.text(RealizationSettings::DenomDegField), "0");
}

TEST_F(SettingsTest, ListenerIsToldOfRewrittenFieldsOnly) {
    RealizationSettings model{console};
    std::vector<std::pair<int, std::string>> seen;
    // The listener reads the model back, as a page showing the field does.
    model.setListener([&](int field) {
        seen.emplace_back(field, model.text(static_cast<RealizationSettings::Field>(field)));
    });
    model.setText(RealizationSettings::NumDegField, "12");
    model.getNumDeg();
    EXPECT_TRUE(seen.empty());
    model.setText(RealizationSettings::NumDegField, "300");
    model.getNumDeg();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], (std::pair<int, std::string>{RealizationSettings::NumDegField, "0"}));
    seen.clear();
    model.setText(RealizationSettings::PoleRadiusField, "2");
    model.getPoleRadiusRestr();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], (std::pair<int, std::string>{RealizationSettings::PoleRadiusField, "1.0"}));
}

// --- optimization control ---------------------------------------------------------

struct PopulationCase {
    std::string text;
    int value;
    bool message;
};

class SettingsPopulation : public SettingsTest,
                           public ::testing::WithParamInterface<PopulationCase> {};

TEST_P(SettingsPopulation, RangeTenToThousand) {
    const auto& c = GetParam();
    for (auto field : {OptimizationSettings::NPField, OptimizationSettings::NP2Field}) {
        OptimizationSettings model{console};
        std::vector<int> told;
        model.setListener([&](int f) { told.push_back(f); });
        out.str("");
        model.setText(field, c.text);
        int v = field == OptimizationSettings::NPField ? model.getNP() : model.getNP2();
        EXPECT_EQ(v, c.value);
        bool replaced = std::to_string(c.value) != c.text;
        EXPECT_EQ(model.text(field), replaced ? "10" : c.text);
        EXPECT_EQ(told.size(), replaced ? 1u : 0u);
        EXPECT_EQ(lines(out).size(), c.message ? 1u : 0u) << out.str();
        if (c.message) {
            EXPECT_NE(out.str().find("population size"), std::string::npos);
            EXPECT_NE(out.str().find("\"" + c.text + "\""), std::string::npos);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsPopulation,
    ::testing::Values(PopulationCase{"1000", 1000, false}, PopulationCase{"10", 10, false},
                      PopulationCase{"1001", 10, false}, PopulationCase{"9", 10, false},
                      PopulationCase{"-30", 10, false}, PopulationCase{"thirty", 10, true},
                      PopulationCase{"", 10, true}));

TEST_F(SettingsTest, PopulationDefaults) {
    OptimizationSettings model{console};
    EXPECT_EQ(model.getNP(), 30);
    EXPECT_EQ(model.getNP2(), 60);
    model.setNP(500);
    EXPECT_EQ(model.text(OptimizationSettings::NPField), "500");
    EXPECT_EQ(model.getNP(), 500);
}

struct GranularityCase {
    std::string text;
    std::string stored;
    std::string message;
};

class SettingsGranularity : public SettingsTest,
                            public ::testing::WithParamInterface<GranularityCase> {};

TEST_P(SettingsGranularity, ThreeTextsAreAcceptedAnyOtherIsCoarse) {
    const auto& c = GetParam();
    OptimizationSettings model{console};
    model.setSamplingGranularity("fine");
    out.str("");
    model.setSamplingGranularity(c.text);
    EXPECT_EQ(model.getSamplingGranularity(), c.stored);
    EXPECT_EQ(out.str(), c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsGranularity,
    ::testing::Values(GranularityCase{"coarse", "coarse", ""},
                      GranularityCase{"medium", "medium", ""}, GranularityCase{"fine", "fine", ""},
                      GranularityCase{"", "coarse", "Invalid sampling value ...\n"},
                      GranularityCase{"Medium", "coarse", "Invalid sampling value Medium...\n"},
                      GranularityCase{"fine ", "coarse", "Invalid sampling value fine ...\n"}));

TEST_F(SettingsTest, ConstantsAndDebugEcho) {
    OptimizationSettings model{console};
    EXPECT_EQ(model.getSamplingGranularity(), "coarse");
    EXPECT_EQ(model.getRange(), 2.0);
    EXPECT_EQ(model.getSamplingMode(), "nonlinear");
    model.setDebug(true);
    model.setSamplingGranularity("medium");
    EXPECT_EQ(out.str(), "medium\n");
}

// --- activity refresh rate ------------------------------------------------------------

struct RefreshCase {
    std::string text;
    int value;
    bool message;
};

class SettingsRefresh : public SettingsTest, public ::testing::WithParamInterface<RefreshCase> {};

TEST_P(SettingsRefresh, RangeOneToHundred) {
    const auto& c = GetParam();
    ActivitySettings model{console};
    int told = 0;
    model.setListener([&](int) { ++told; });
    model.setText(c.text);
    EXPECT_EQ(model.getRefreshRate(), c.value);
    bool replaced = std::to_string(c.value) != c.text;
    EXPECT_EQ(model.text(), replaced ? "10" : c.text);
    EXPECT_EQ(told, replaced ? 1 : 0);
    EXPECT_EQ(lines(out).size(), c.message ? 1u : 0u) << out.str();
    if (c.message) {
        EXPECT_NE(out.str().find("refresh rate"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, SettingsRefresh,
                         ::testing::Values(RefreshCase{"100", 100, false},
                                           RefreshCase{"1", 1, false}, RefreshCase{"0", 10, false},
                                           RefreshCase{"101", 10, false},
                                           RefreshCase{"5x", 10, true}, RefreshCase{"", 10, true}));

TEST_F(SettingsTest, OtherPageSettings) {
    GroupDelaySettings gd{console};
    EXPECT_FALSE(gd.getFreezingStateOfGdConstraints());
    gd.toggleFreeze();
    EXPECT_TRUE(gd.getFreezingStateOfGdConstraints());
    gd.setFreezingStateOfGdConstraints(false);
    EXPECT_FALSE(gd.getFreezingStateOfGdConstraints());

    StartupSettings startup{console};
    EXPECT_EQ(startup.getResultsFileName(), "Dovra.out");
    ActivitySettings activity{console};
    EXPECT_EQ(activity.getRefreshRate(), 10);
    EXPECT_EQ(out.str(), "");
}

} // namespace
