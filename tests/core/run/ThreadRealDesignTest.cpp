#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "run/T_DEOptimizer.h"
#include "session/ConfigFile.h"
#include "session/DesignSession.h"
#include "support/DoneWaiter.h"
#include "support/ExampleName.h"

using namespace dovra;
using namespace std::chrono_literals;

namespace {

using DoneObserver = dovra::testing::DoneWaiter;

// Example tasks designed by the real filter problem on the design thread,
// while the window side reads the figures and draws the best filter's
// responses, as the monitor and the plots do.
class ThreadRealDesign : public ::testing::TestWithParam<const char*> {};

TEST_P(ThreadRealDesign, ExampleRunsToSuccessWhileTheWindowSideReads) {
    std::ostringstream out, err;
    DesignSession session(out, err);
    ASSERT_TRUE(openDatabase(session, std::string(DOVRA_SOURCE_DIR) + "/examples/" + GetParam()));
    const auto results = std::filesystem::temp_directory_path() /
                         (std::string("dovra-real-design-") + GetParam() + ".out");
    session.setResultsFileName(results.string());
    DoneObserver observer;
    session.addObserver(&observer);
    session.optimizer().random().setMySeed(7);
    session.optimizer().setPassSleep(0ms);

    session.start();
    session.setStatus("Initializing");
    ASSERT_TRUE(session.start_Design()) << session.getStatus();
    int reads = 0;
    while (!observer.isDone() && reads < 1000000) {
        // As a plot window does: one snapshot, its best filter as a value.
        const FilterResponse f = session.snapshot().bestFilter();
        for (double w = 0.0; w <= 0.5; w += 0.125) {
            EXPECT_FALSE(std::isnan(f.amag(w) * f.amag_ff(w)));
            (void)(f.gdel(w) + f.gdel_ff(w));
        }
        ++reads;
    }
    ASSERT_TRUE(observer.wait());
    ASSERT_TRUE(session.optimizer().waitForIdle(60s));
    session.stop();
    session.removeObserver(&observer);

    ProgressSnapshot s = session.snapshot();
    EXPECT_EQ(s.status, "Design successful");
    EXPECT_FALSE(s.ready);
    EXPECT_LE(s.minimum, 1e-12);
    EXPECT_GT(s.evaluation, 0);
    // The snapshot's filter (evaluated from its zeros and poles) answers as
    // the run's problem does from the polynomials (the run has ended: the
    // problem rests).
    const FilterResponse f = s.bestFilter();
    const DEProblem& problem = *session.optimizer().currentProblem();
    EXPECT_EQ(f.aDegree(), s.aDegree);
    EXPECT_EQ(f.bDegree(), s.bDegree);
    for (double w = 0.0; w <= 0.5; w += 1.0 / 64) {
        EXPECT_NEAR(f.amag(w), problem.amag(s.best, w), 1e-9 * problem.amag(s.best, w)) << w;
        EXPECT_NEAR(f.gdel(w), problem.gdel(s.best, w), 1e-9) << w;
        EXPECT_EQ(f.amag_ff(w), problem.amag_ff(w)) << w;
        EXPECT_EQ(f.gdel_ff(w), problem.gdel_ff(w)) << w;
    }
    std::error_code ec;
    EXPECT_GT(std::filesystem::file_size(results, ec), 0u);
    std::filesystem::remove(results, ec);
}

INSTANTIATE_TEST_SUITE_P(ThreadRealDesign, ThreadRealDesign,
                         ::testing::Values("lowpass.cfg", "lowpass-quantized-12bit.cfg",
                                           "lowpass-group-delay.cfg", "allpass-equaliser.cfg"),
                         [](const auto& info) {
                             return dovra::testing::exampleTestName(info.param);
                         });

} // namespace
