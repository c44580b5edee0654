// A run whose costs are computed on two threads, alone and as a portfolio of
// three searches, on the design thread as dovra-batch runs it: the same
// results file as on one thread (under ThreadSanitizer this also finds any
// data race between the design thread and the workers).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "BatchRunner.h"

namespace {

namespace fs = std::filesystem;

std::string run(const fs::path& config, int threads, int portfolio) {
    const fs::path results =
        fs::temp_directory_path() / ("dovra-pool-" + std::to_string(::getpid()) + ".out");
    dovra::batch::BatchOptions o;
    o.config = config.string();
    o.results = results.string();
    o.seed = 3;
    o.quiet = true;
    o.threads = threads;
    o.portfolio = portfolio;
    std::ostringstream out, err;
    const int rc = dovra::batch::runBatch(o, out, err);
    std::ifstream in(results, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    fs::remove(results);
    return text.str() + "exit " + std::to_string(rc);
}

TEST(PoolRun, TwoThreadsGiveTheResultOfOne) {
    // The group-delay example on the fine grid: enough work per generation
    // for the workers to take part.
    std::ifstream in(fs::path(DOVRA_SOURCE_DIR) / "examples" / "lowpass-group-delay.cfg");
    std::stringstream text;
    text << in.rdbuf();
    std::string task = text.str();
    task.replace(task.find("\ncoarse\n"), 8, "\nfine\n");
    const fs::path config =
        fs::temp_directory_path() / ("dovra-pool-" + std::to_string(::getpid()) + ".cfg");
    std::ofstream(config) << task;
    for (const int portfolio : {1, 3}) {
        const std::string one = run(config, 1, portfolio);
        EXPECT_NE(one.find("exit 0"), std::string::npos) << one;
        EXPECT_EQ(run(config, 2, portfolio), one) << portfolio << " searches";
    }
    fs::remove(config);
}

} // namespace
