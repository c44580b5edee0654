#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "run/T_DEOptimizer.h"
#include "session/ConfigFile.h"
#include "session/DesignSession.h"
#include "support/DoneWaiter.h"
#include "support/ExampleName.h"

using namespace dovra;
using namespace std::chrono_literals;

namespace {

struct Example {
    const char* file;
    double passband; // a frequency in its passband
    double ripple;   // its passband ripple in dB (the passband level is 0 dB)
};

// A classical design writes its layout on the design thread while the window
// side reads the published snapshot and draws the response of the filter in
// it, as the monitor and the plots do: every snapshot holds either no filter
// or the whole designed one, its vector and its layout together.
class ThreadClassicalDesign : public ::testing::TestWithParam<Example> {};

TEST_P(ThreadClassicalDesign, SnapshotsReadDuringTheRunHoldWholeLayouts) {
    const Example& e = GetParam();
    std::ostringstream out, err;
    DesignSession session(out, err);
    ASSERT_TRUE(openDatabase(session, std::string(DOVRA_SOURCE_DIR) + "/examples/" + e.file));
    const auto results = std::filesystem::temp_directory_path() /
                         (std::string("dovra-classical-thread-") + e.file + ".out");
    session.setResultsFileName(results.string());
    dovra::testing::DoneWaiter observer;
    session.addObserver(&observer);
    session.optimizer().setPassSleep(0ms);

    session.start();
    ASSERT_TRUE(session.start_Design()) << session.getStatus();
    std::vector<int> orders;
    auto check = [&](const ProgressSnapshot& s) {
        const Layout& l = s.layout;
        if (s.best[0] == 0.0) {
            return; // nothing designed yet
        }
        orders.push_back(l.N);
        EXPECT_EQ(s.aDegree, l.N);
        EXPECT_EQ(s.bDegree, l.M);
        const double level = 20.0 * std::log10(s.bestFilter().amag(e.passband));
        EXPECT_LE(level, 0.01);
        EXPECT_GE(level, -e.ripple - 0.01);
    };
    for (int reads = 0; !observer.isDone() && reads < 1000000; ++reads) {
        check(session.snapshot());
    }
    ASSERT_TRUE(observer.wait());
    ASSERT_TRUE(session.optimizer().waitForIdle(60s));
    session.stop();
    session.removeObserver(&observer);

    const ProgressSnapshot s = session.snapshot();
    check(s);
    // Every designed snapshot holds the layout of the finished design.
    for (int order : orders) {
        EXPECT_EQ(order, s.layout.N);
    }
    EXPECT_EQ(s.status, "Design successful");
    EXPECT_FALSE(s.ready);
    EXPECT_FALSE(s.refused);
    EXPECT_EQ(s.layout.N, s.layout.M);
    std::error_code ec;
    EXPECT_GT(std::filesystem::file_size(results, ec), 0u);
    std::filesystem::remove(results, ec);
}

INSTANTIATE_TEST_SUITE_P(Examples, ThreadClassicalDesign,
                         ::testing::Values(Example{"butterworth-lowpass.cfg", 0.1, 1.0},
                                           Example{"chebyshev1-highpass.cfg", 0.4, 0.5},
                                           Example{"chebyshev2-bandpass.cfg", 0.25, 1.0},
                                           Example{"elliptic-bandstop.cfg", 0.05, 0.5}),
                         [](const auto& info) {
                             return dovra::testing::exampleTestName(info.param.file);
                         });

} // namespace
