// The linear-phase FIR examples designed on the design thread while the
// window side reads the snapshot and draws the responses of the published
// filter, as the monitor and the plots do.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <set>
#include <sstream>
#include <string>

#include "run/T_DEOptimizer.h"
#include "session/ConfigFile.h"
#include "session/DesignSession.h"
#include "support/DoneWaiter.h"

using namespace dovra;
using namespace std::chrono_literals;

namespace {

/// Collects every status the monitor is shown.
class Watcher : public dovra::testing::DoneWaiter {
  public:
    explicit Watcher(DesignSession& s) : session_(s) {}
    void updateMonitor() override {
        const std::string status = session_.snapshot().status;
        std::lock_guard lock(mutex_);
        statuses_.insert(status);
    }
    std::set<std::string> statuses() {
        std::lock_guard lock(mutex_);
        return statuses_;
    }

  private:
    DesignSession& session_;
    std::mutex mutex_;
    std::set<std::string> statuses_;
};

struct FirExample {
    const char* file;
    int order;                      // the design's order
    bool stepwise;                  // one step per length or order tried
    double passband, lowDb, highDb; // a passband frequency and the magnitude window there
};

class ThreadFirDesign : public ::testing::TestWithParam<FirExample> {};

TEST_P(ThreadFirDesign, RunsToSuccessWhileTheWindowSideReadsResponses) {
    std::ostringstream out, err;
    DesignSession session(out, err);
    ASSERT_TRUE(
        openDatabase(session, std::string(DOVRA_SOURCE_DIR) + "/examples/" + GetParam().file));
    const auto results = std::filesystem::temp_directory_path() /
                         (std::string("dovra-fir-thread-") + GetParam().file + ".out");
    session.setResultsFileName(results.string());
    Watcher watcher(session);
    session.addObserver(&watcher);
    session.optimizer().setPassSleep(0ms);

    session.initProblem();
    session.start();
    session.initLR();
    session.initDesignSuccessFlag();
    session.setStatus("Initializing");
    ASSERT_TRUE(session.start_Design()) << session.getStatus();
    int reads = 0;
    while (!watcher.isDone() && reads < 1000000) {
        const FilterResponse f = session.snapshot().bestFilter();
        for (double w = 0.0; w <= 0.5; w += 0.0625) {
            EXPECT_FALSE(std::isnan(f.amag(w)));
            (void)f.gdel(w);
        }
        ++reads;
    }
    ASSERT_TRUE(watcher.wait(std::chrono::seconds(120)));
    ASSERT_TRUE(session.optimizer().waitForIdle(60s));
    session.stop();
    session.removeObserver(&watcher);

    const ProgressSnapshot s = session.snapshot();
    EXPECT_EQ(s.status, "Design successful");
    EXPECT_EQ(session.getNumDeg(), GetParam().order);
    // The published filter, drawn from the snapshot as the plots draw it,
    // passes its passband within the ripple.
    const double db = 20.0 * std::log10(s.bestFilter().amag(GetParam().passband));
    EXPECT_GE(db, GetParam().lowDb);
    EXPECT_LE(db, GetParam().highDb);
    if (GetParam().stepwise) {
        const auto seen = watcher.statuses();
        const bool tried = std::any_of(seen.begin(), seen.end(), [](const std::string& t) {
            return t.rfind("Trying filterorder ", 0) == 0;
        });
        EXPECT_TRUE(tried);
    }
    std::error_code ec;
    EXPECT_GT(std::filesystem::file_size(results, ec), 0u);
    std::filesystem::remove(results, ec);
}

INSTANTIATE_TEST_SUITE_P(
    ThreadFirDesign, ThreadFirDesign,
    ::testing::Values(FirExample{"lowpass-fir.cfg", 26, true, 0.1, -0.5, 0.5},
                      FirExample{"bandpass-fir-flat.cfg", 44, true, 0.225, -1.0, 0.0},
                      FirExample{"lowpass-remez.cfg", 30, true, 0.1, -1.0, 0.0}),
    [](const auto& info) {
        return std::string(
            std::array{"lowpass_fir", "bandpass_fir_flat", "lowpass_remez"}.at(info.index));
    });

} // namespace
