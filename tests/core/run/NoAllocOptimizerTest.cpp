#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "core/problem/ScriptedProblem.h"
#include "run/T_DEOptimizer.h"
#include "session/ConfigFile.h"
#include "session/DesignSession.h"
#include "support/AllocationCounter.h"
#include "support/ExampleName.h"

using namespace dovra;
using dovra::test::ScriptedProblem;

namespace {

// After the first step (which may size the buffers) a step of the Z-plane
// design allocates nothing: not in a generation, not in the phase switch and
// the growth of the population, not when the run control publishes its
// figures. The steps are made as the design thread makes them, on a host that
// does nothing with what it is told.
struct Sizes {
    int NP, NP2;
};

class QuietHost : public RunHost {
  public:
    Console& console() override { return console_; }
    std::string getStatus() const override { return {}; }
    void setStatus(const std::string&) override {}
    void updateObservers() override {}
    void done() override {}
    RealizationValues setDegrees(int, int, int, int) override { return {}; }

  private:
    std::ostringstream out_, err_;
    Console console_{out_, err_};
};

class OptimizerAllocation : public ::testing::TestWithParam<Sizes> {};

TEST_P(OptimizerAllocation, NoneAfterTheFirstStep) {
    const auto [NP, NP2] = GetParam();
    QuietHost host;
    T_DEOptimizer optimizer(host);
    optimizer.random().setMySeed(1);
    auto scripted = std::make_unique<ScriptedProblem>();
    ScriptedProblem& problem = *scripted;
    problem.setDimension(8);
    problem.setZeroRadii(1, 3, 3);
    problem.setPoleRadii(4, 5, 2);
    problem.setAllpassRadii(6, 6, 1);
    optimizer.setProblem(std::move(scripted));
    RunInput input;
    input.parameters = {0, NP, NP2, 2.0, 5};
    ASSERT_TRUE(optimizer.optStart(input));
    optimizer.start_FilterDesign();

    const std::size_t before = dovra::test::allocationCount();
    for (int k = 0; k < 10; ++k) {
        if (k == 4) {
            problem.setPhase(1);
        }
        optimizer.start_FilterDesign();
    }
    const std::size_t after = dovra::test::allocationCount();
    EXPECT_EQ(after - before, 0u);
    ProgressSnapshot s = optimizer.snapshot();
    EXPECT_EQ(s.populationSize, std::max(NP, NP2));
    EXPECT_EQ(s.generation, 50);
    EXPECT_EQ(problem.getPhase(), 2);
}

INSTANTIATE_TEST_SUITE_P(OptimizerAllocation, OptimizerAllocation,
                         ::testing::Values(Sizes{30, 60}, Sizes{60, 30}, Sizes{200, 1000}),
                         [](const auto& info) {
                             return "NP" + std::to_string(info.param.NP) + "_NP2_" +
                                    std::to_string(info.param.NP2);
                         });

// The same with the real filter problem of an example task, through the
// session: its cost function and bounds check allocate nothing either, before
// and after the switch to quantized coefficients.
class RealProblemAllocation : public ::testing::TestWithParam<const char*> {};

TEST_P(RealProblemAllocation, NoneAfterTheFirstStep) {
    std::ostringstream out, err;
    DesignSession session(out, err);
    ASSERT_TRUE(openDatabase(session, std::string(DOVRA_SOURCE_DIR) + "/examples/" + GetParam()));
    session.setSeed(7);
    ASSERT_TRUE(session.start_Design()) << session.getStatus();
    DEProblem& problem = *session.optimizer().currentProblem();
    session.start_FilterDesign();

    const std::size_t before = dovra::test::allocationCount();
    for (int k = 0; k < 10; ++k) {
        session.start_FilterDesign();
        if (k == 4 && problem.getPhase() == 0 && session.getQuant() > 0) {
            problem.setPhase(1);
        }
    }
    EXPECT_EQ(dovra::test::allocationCount() - before, 0u);
    EXPECT_GT(session.getGeneration(), 0);
}

INSTANTIATE_TEST_SUITE_P(OptimizerAllocation, RealProblemAllocation,
                         ::testing::Values("lowpass.cfg", "lowpass-quantized-12bit.cfg",
                                           "lowpass-group-delay.cfg"),
                         [](const auto& info) {
                             return dovra::testing::exampleTestName(info.param);
                         });

// On two threads the workers compute the costs (the fine grid gives them
// enough work) and still nothing is allocated, for one search and for a
// portfolio of three.
TEST(OptimizerAllocation, NoneOnTwoThreads) {
    for (const int searches : {1, 3}) {
        std::ostringstream out, err;
        DesignSession session(out, err);
        ASSERT_TRUE(openDatabase(session, std::string(DOVRA_SOURCE_DIR) +
                                              "/examples/lowpass-group-delay.cfg"));
        session.setSamplingGranularity("fine");
        session.setSeed(7);
        session.optimizer().setThreads(2);
        session.setPortfolio(searches);
        ASSERT_TRUE(session.start_Design()) << session.getStatus();
        session.start_FilterDesign();

        const std::size_t before = dovra::test::allocationCount();
        for (int k = 0; k < 10; ++k) {
            session.start_FilterDesign();
        }
        EXPECT_EQ(dovra::test::allocationCount() - before, 0u) << searches << " searches";
        EXPECT_GT(session.getGeneration(), 0);
    }
}

// The counter sees allocations at all.
TEST(OptimizerAllocation, CounterCounts) {
    const std::size_t before = dovra::test::allocationCount();
    static int* volatile sink = nullptr;
    sink = new int(3);
    delete sink;
    EXPECT_EQ(dovra::test::allocationCount(), before + 1);
}

} // namespace
