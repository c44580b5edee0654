#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/problem/ScriptedProblem.h"
#include "run/T_DEOptimizer.h"
#include "session/DesignSession.h"

using namespace dovra;
using dovra::test::ScriptedProblem;

namespace {

// Start, its refusals and the classical design step, without a design thread:
// what optStart and start_FilterDesign leave behind is checked directly.
class RunStart : public ::testing::Test {
  protected:
    std::ostringstream out, err;
    DesignSession session{out, err};
    ScriptedProblem* problem = nullptr;

    void SetUp() override {
        auto p = std::make_unique<ScriptedProblem>();
        problem = p.get();
        session.optimizer().setProblem(std::move(p));
    }
    template <class T> void addRows(T& table, int n, const std::string& omega = "0.1") {
        for (int i = 0; i < n; ++i) {
            auto row = table.newRecord();
            row.setOmegaAndLimit(omega, "1.0");
            table.addRecord(row);
        }
    }
    void expectRefused(const std::string& status) {
        EXPECT_FALSE(session.start_Design());
        EXPECT_EQ(session.getStatus(), status);
        EXPECT_EQ(session.snapshot().status, status);
        EXPECT_FALSE(session.optimizer().isReady());
        EXPECT_EQ(problem->evaluations.load(), 0);
        EXPECT_EQ(problem->initMiscCount.load(), 0);
        EXPECT_NE(out.str().find(status), std::string::npos);
    }
};

TEST_F(RunStart, PreparesTheProblemInOrderResetsTheFiguresAndSetsReady) {
    addRows(session.magUpper(), 2); // a scheme with something to meet
    session.setNP(12);
    session.setNP2(24);
    session.setRefreshRate(2);
    // Figures of an earlier run.
    session.optimizer().setResult(7, 99, 0.5, ParamVector{});
    ASSERT_TRUE(session.start_Design());
    EXPECT_EQ(problem->calls(), (std::vector<std::string>{
                                    "init_tolerance_scheme", "load_fixed_filter(0)",
                                    "getPolesAndZeros", "computePoleZeroPointers", "initMisc"}));
    auto s = session.snapshot();
    EXPECT_EQ(s.generation, 0);
    EXPECT_EQ(s.evaluation, 0);
    EXPECT_EQ(s.minimum, 1.7976931348623157e308);
    EXPECT_TRUE(s.ready);
    EXPECT_TRUE(session.optimizer().isReady());

    // The settings reach the search: the next slice builds NP members, the
    // one after runs refresh-rate generations.
    session.start_FilterDesign();
    EXPECT_EQ(session.getEvaluation(), 12);
    session.start_FilterDesign();
    EXPECT_EQ(session.getGeneration(), 2);
    EXPECT_EQ(session.getEvaluation(), 12 + 2 * 12);

    session.pause_DE();
    EXPECT_FALSE(session.optimizer().isReady());
    session.resume_DE();
    EXPECT_TRUE(session.optimizer().isReady());
    EXPECT_EQ(session.getEvaluation(), 36); // a resume keeps the run
    session.idle();
    EXPECT_FALSE(session.snapshot().ready);
}

TEST_F(RunStart, RefusesATableEntryThatIsNotANumber) {
    addRows(session.magUpper(), 2);
    addRows(session.gdLower(), 1, "abc");
    const std::string why = session.firstUnreadableEntry();
    ASSERT_FALSE(why.empty());
    expectRefused(why);
}

struct TooLong {
    const char* name;
    int table; // 0 .. 5 in the session's order
};

class RunStartTableSize : public RunStart, public ::testing::WithParamInterface<TooLong> {};

TEST_P(RunStartTableSize, RefusesATableOverItsCapacity) {
    const auto& c = GetParam();
    switch (c.table) {
    case 0:
        addRows(session.magUpper(), 101);
        break;
    case 1:
        addRows(session.magLower(), 101);
        break;
    case 2:
        addRows(session.gdUpper(), 101);
        break;
    case 3:
        addRows(session.gdLower(), 101);
        break;
    default: {
        auto& t = c.table == 4 ? session.ffNumerator() : session.ffDenominator();
        for (int i = 0; i < 101; ++i) {
            auto row = t.newRecord();
            row.setCoeff("0.5");
            t.addRecord(row);
        }
    }
    }
    expectRefused("Too many rows in the " + std::string(c.name) + ": 101 (at most 100)");
}

INSTANTIATE_TEST_SUITE_P(RunStart, RunStartTableSize,
                         ::testing::Values(TooLong{"upper magnitude table", 0},
                                           TooLong{"lower magnitude table", 1},
                                           TooLong{"upper group delay table", 2},
                                           TooLong{"lower group delay table", 3},
                                           TooLong{"prefilter numerator table", 4},
                                           TooLong{"prefilter denominator table", 5}),
                         [](const auto& info) { return std::to_string(info.param.table); });

TEST_F(RunStart, AcceptsAHundredRows) {
    addRows(session.magUpper(), 100);
    EXPECT_TRUE(session.start_Design());
}

TEST_F(RunStart, RefusesARealizationBeyondTheCapacities) {
    addRows(session.magUpper(), 2); // a scheme with something to meet
    problem->capacityText = "Realization too large: 481 parameters (at most 480)";
    EXPECT_FALSE(session.start_Design());
    EXPECT_EQ(session.getStatus(), *problem->capacityText);
    EXPECT_FALSE(session.optimizer().isReady());
    // Prepared up to the realization, not laid out.
    auto calls = problem->calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "getPolesAndZeros");
}

TEST_F(RunStart, RefusesWithoutAProblem) {
    addRows(session.magUpper(), 2); // a scheme with something to meet
    session.optimizer().setProblem(nullptr);
    EXPECT_FALSE(session.start_Design());
    EXPECT_EQ(session.getStatus(), "No filter problem available for this design");
    EXPECT_FALSE(session.optimizer().isReady());
}

TEST_F(RunStart, InitDesignSuccessFlagClearsTheDegrees) {
    session.setNumDeg(4);
    session.setDenomDeg(3);
    session.setNZlinPair(2);
    session.setNZPAllpPair(1);
    session.initDesignSuccessFlag();
    EXPECT_EQ(session.getNumDeg(), 0);
    EXPECT_EQ(session.getDenomDeg(), 0);
    EXPECT_EQ(session.getNZLinPair(), 0);
    EXPECT_EQ(session.getNZPAllpPair(), 0);
}

// One classical step: an invalid scheme, and (for now) every design method,
// ends the run with its status, zero figures and the degrees at 0.
struct ClassicalCase {
    int identifier;
    bool schemeValid;
    const char* status;
};

class ClassicalStep : public RunStart, public ::testing::WithParamInterface<ClassicalCase> {};

TEST_P(ClassicalStep, FinishesWithStatusAndZeroDegrees) {
    const auto& c = GetParam();
    session.setDesignIdentifierIdx(c.identifier);
    problem->schemeValid = c.schemeValid;
    session.setNumDeg(6);
    session.setDenomDeg(6);
    session.optimizer().setResult(3, 40, 0.25, ParamVector{});
    session.start_FilterDesign();
    EXPECT_EQ(session.getStatus(), c.status);
    EXPECT_EQ(session.getNumDeg(), 0);
    EXPECT_EQ(session.getDenomDeg(), 0);
    auto s = session.snapshot();
    EXPECT_EQ(s.generation, 0);
    EXPECT_EQ(s.evaluation, 0);
    EXPECT_EQ(s.minimum, 0.0);
    EXPECT_EQ(problem->calls(),
              (std::vector<std::string>{"init_tolerance_scheme", "load_fixed_filter(1)",
                                        "parseToleranceScheme"}));
}

INSTANTIATE_TEST_SUITE_P(
    RunStart, ClassicalStep,
    ::testing::Values(ClassicalCase{1, false, "Invalid tolerance scheme !"},
                      ClassicalCase{5, false, "Invalid tolerance scheme !"},
                      ClassicalCase{1, true, "Design method not available yet"},
                      ClassicalCase{2, true, "Design method not available yet"},
                      ClassicalCase{3, true, "Design method not available yet"},
                      ClassicalCase{4, true, "Design method not available yet"},
                      ClassicalCase{5, true, "Design method not available yet"},
                      ClassicalCase{6, true, "Design method not available yet"},
                      ClassicalCase{7, true, "Design method not available yet"}),
    [](const auto& info) {
        return "Method" + std::to_string(info.param.identifier) +
               (info.param.schemeValid ? "ValidScheme" : "InvalidScheme");
    });

} // namespace

// An export is of a run that was started and has ended: none before the
// first Start, none while a run goes on, one after its Stop (saying it was
// stopped); a refused Start leaves the figures of the run before it, which
// are then not exported as if they were its own.
TEST_F(RunStart, ExportsOnlyARunThatStartedAndEnded) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("dovra-runstart-export-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    session.setResultsFileName((dir / "results.out").string());
    const std::string json = (dir / "run.json").string();
    addRows(session.magUpper(), 2);
    // A bare gain: blocks that hold the degrees the session gives (all 0).
    problem->setDimension(1);
    problem->setZeroRadii(0, 0, 0);
    problem->setPoleRadii(0, 0, 0);
    problem->setAllpassRadii(0, 0, 0);
    EXPECT_EQ(session.exportProblem(), kNoRunToExport);

    ASSERT_TRUE(session.startRun()); // "Running", status "Initializing"
    session.start_FilterDesign();    // the first population
    EXPECT_EQ(session.exportProblem(), kRunNotEnded);
    session.set_state(wizard::kReady);
    session.stop_DE();
    EXPECT_EQ(session.exportProblem(), "");
    EXPECT_EQ(session.exportInput().snapshot.status, kStoppedRun);
    EXPECT_TRUE(session.writeExport(ExportFormat::Json, json));
    EXPECT_TRUE(std::filesystem::exists(json));

    addRows(session.gdLower(), 1, "abc");
    EXPECT_FALSE(session.start_Design());
    EXPECT_GT(session.snapshot().evaluation, 0); // the earlier run's figures
    EXPECT_EQ(session.exportProblem(), kNoRunToExport);
    std::filesystem::remove(json);
    EXPECT_FALSE(session.writeExport(ExportFormat::Json, json));
    EXPECT_FALSE(std::filesystem::exists(json));
    EXPECT_NE(err.str().find("Export not written: " + json + " (no run to export"),
              std::string::npos)
        << err.str();
    std::filesystem::remove_all(dir);
}
