#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "session/DesignSession.h"

using namespace dovra;

namespace {

class SessionTest : public ::testing::Test {
  protected:
    std::ostringstream out, err;
    DesignSession session{out, err};

    template <class T> void addRow(T& table, const std::string& omega, const std::string& limit) {
        auto row = table.newRecord();
        row.setOmegaAndLimit(omega, limit);
        table.addRecord(row);
    }
    void addCoeff(FixedFilterDataBase& table, const std::string& c) {
        auto row = table.newRecord();
        row.setCoeff(c);
        table.addRecord(row);
    }
};

TEST_F(SessionTest, StartsIdleWithStatusOk) {
    EXPECT_EQ(session.getStatus(), "O.k.");
    EXPECT_EQ(session.get_state(), "Idle");
    EXPECT_EQ(session.getResultsFileName(), "Dovra.out");
    EXPECT_EQ(session.getProblemIdentifiers(), (std::vector<std::string>{"IIR"}));
    EXPECT_EQ(session.getCurrentProblem(), 0);
    EXPECT_EQ(session.getSamplingMode(), "nonlinear");
    EXPECT_EQ(session.getRange(), 2.0);
    EXPECT_EQ(session.getSamplingGranularity(), "coarse");
    EXPECT_EQ(session.getRefreshRate(), 10);
    EXPECT_FALSE(session.DebugOn());
    EXPECT_EQ(err.str(), "");
}

TEST_F(SessionTest, ForwardersReachTheSettings) {
    session.setNumDeg(4);
    session.setDenomDeg(6);
    session.setNZlinPair(1);
    session.setNZPAllpPair(2);
    EXPECT_EQ(session.getDimension(), 14);
    session.setWordLength(16);
    EXPECT_EQ(session.getQuant(), 32768);
    session.setSamplingGranularity("");
    EXPECT_EQ(session.getSamplingGranularity(), "coarse");
    EXPECT_NE(out.str().find("Invalid sampling value ..."), std::string::npos);
    session.setStatus("Running");
    EXPECT_EQ(session.getStatus(), "Running");
}

struct LookupCase {
    const char* name;
    std::function<double(DesignSession&)> lookup;
    std::string message;
};

class SessionLookup : public SessionTest, public ::testing::WithParamInterface<LookupCase> {};

// Each lookup on a table with one row: row 1 does not exist.
TEST_P(SessionLookup, MissingRowPrintsItsMessageAndGivesMinusOne) {
    addRow(session.magUpper(), "0.1", "1");
    addRow(session.gdLower(), "0.1", "1");
    addCoeff(session.ffNumerator(), "1");
    EXPECT_EQ(GetParam().lookup(session), -1.0);
    EXPECT_EQ(out.str(), GetParam().message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Tables, SessionLookup,
    ::testing::Values(
        LookupCase{"MagOmega", [](DesignSession& s) { return s.getMagDbOmega(s.magUpper(), 1); },
                   "No entry for Omega"},
        LookupCase{"MagLimit", [](DesignSession& s) { return s.getMagDbLimit(s.magUpper(), 1); },
                   "No entry for Limit"},
        LookupCase{"MagOmegaEmpty",
                   [](DesignSession& s) { return s.getMagDbOmega(s.magLower(), 0); },
                   "No entry for Omega"},
        LookupCase{"GdOmega", [](DesignSession& s) { return s.getGdDbOmega(s.gdLower(), 1); },
                   "No entry for Omega"},
        LookupCase{"GdLimit", [](DesignSession& s) { return s.getGdDbLimit(s.gdLower(), 1); },
                   "No entry for Limit"},
        LookupCase{"GdLimitEmpty", [](DesignSession& s) { return s.getGdDbLimit(s.gdUpper(), 0); },
                   "No entry for Limit"},
        LookupCase{"Coefficient",
                   [](DesignSession& s) { return s.getFfDbCoeffi(s.ffNumerator(), 1); },
                   "No entry for Coefficient"},
        LookupCase{"CoefficientEmpty",
                   [](DesignSession& s) { return s.getFfDbCoeffi(s.ffDenominator(), 0); },
                   "No entry for Coefficient"},
        LookupCase{"Negative", [](DesignSession& s) { return s.getMagDbOmega(s.magUpper(), -1); },
                   "No entry for Omega"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, LookupsParseTheRowTexts) {
    addRow(session.magUpper(), "0.25", "-3");
    addRow(session.magUpper(), " 1.0E-4 ", "2.5e1");
    addRow(session.gdUpper(), ".5", "12.");
    addCoeff(session.ffDenominator(), "-0.5");
    EXPECT_EQ(session.getMagDbSize(session.magUpper()), 2);
    EXPECT_EQ(session.getMagDbOmega(session.magUpper(), 0), 0.25);
    EXPECT_EQ(session.getMagDbLimit(session.magUpper(), 0), -3.0);
    EXPECT_EQ(session.getMagDbOmega(session.magUpper(), 1), 1.0e-4);
    EXPECT_EQ(session.getMagDbLimit(session.magUpper(), 1), 25.0);
    EXPECT_EQ(session.getGdDbOmega(session.gdUpper(), 0), 0.5);
    EXPECT_EQ(session.getGdDbLimit(session.gdUpper(), 0), 12.0);
    EXPECT_EQ(session.getFfDbCoeffi(session.ffDenominator(), 0), -0.5);
    EXPECT_EQ(session.getFfDbSize(session.ffDenominator()), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(session.firstUnreadableEntry(), "");
}

struct BadTextCase {
    const char* name;
    std::string text;
};

class SessionBadRowText : public SessionTest, public ::testing::WithParamInterface<BadTextCase> {};

// A row text that is not a finite decimal number gives -1.0 and a line naming
// the row; the check before a run finds the same entry.
TEST_P(SessionBadRowText, IsReportedAndNotUsed) {
    const std::string& t = GetParam().text;
    addRow(session.magUpper(), "0.1", "-1");
    addRow(session.magUpper(), "0.2", "-1");
    addRow(session.gdLower(), "0.1", "1");
    addRow(session.gdLower(), "0.2", t);
    EXPECT_EQ(session.getGdDbLimit(session.gdLower(), 1), -1.0);
    ASSERT_NE(out.str().find("Limit"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("row 1"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"" + t + "\""), std::string::npos) << out.str();
    std::string where = session.firstUnreadableEntry();
    EXPECT_NE(where.find("lower group delay table"), std::string::npos) << where;
    EXPECT_NE(where.find("row 1"), std::string::npos) << where;
    EXPECT_NE(where.find("Limit"), std::string::npos) << where;
}

INSTANTIATE_TEST_SUITE_P(Texts, SessionBadRowText,
                         ::testing::Values(BadTextCase{"Letters", "abc"}, BadTextCase{"Empty", ""},
                                           BadTextCase{"Comma", "0,5"}, BadTextCase{"NaN", "NaN"},
                                           BadTextCase{"Infinity", "Infinity"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, FirstUnreadableEntryNamesTableRowAndElement) {
    addRow(session.magLower(), "0.1", "-1");
    addCoeff(session.ffNumerator(), "1");
    addCoeff(session.ffNumerator(), "x1");
    EXPECT_EQ(session.firstUnreadableEntry(),
              "prefilter numerator table, row 1: Coefficient \"x1\" is not a number");
    addRow(session.magLower(), "omega", "-1");
    EXPECT_EQ(session.firstUnreadableEntry(),
              "lower magnitude table, row 1: Omega \"omega\" is not a number");
    // The carried-along elements are not read.
    auto row = session.magUpper().newRecord();
    row.setOmegaAndLimit("0.3", "1");
    row.setMinMax("min", "max");
    session.magUpper().addRecord(row);
    EXPECT_EQ(session.firstUnreadableEntry().find("upper"), std::string::npos);
}

} // namespace
