// The number of threads that compute costs and the portfolio's slicing never
// change a result: for every example task and seeds 1 to 5 the results file
// is byte for byte the same with --threads 1, 2 and 4, and a portfolio of four
// searches gives the same file on one and on two threads. The examples on
// their coarse grids hand too little work to the workers, so each search
// example runs on the fine grid too (seeds 1 and 2), where they take part.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "BatchRunner.h"

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> exampleTasks() {
    std::vector<std::string> tasks;
    for (const auto& e : fs::directory_iterator(fs::path(DOVRA_SOURCE_DIR) / "examples")) {
        if (e.path().extension() == ".cfg") {
            tasks.push_back(e.path().stem().string());
        }
    }
    std::sort(tasks.begin(), tasks.end());
    return tasks;
}

/// The example's text, on the fine grid when fine is set ("" when the
/// example has no coarse grid to refine).
std::string taskText(const std::string& task, bool fine) {
    std::string text = readAll(fs::path(DOVRA_SOURCE_DIR) / "examples" / (task + ".cfg"));
    if (fine) {
        const auto at = text.find("\ncoarse\n");
        if (at == std::string::npos) {
            return {};
        }
        text.replace(at, 8, "\nfine\n");
    }
    return text;
}

/// The results file and the exit status of one in-process run.
std::string run(const std::string& text, int seed, int threads, int portfolio) {
    const std::string stem =
        (fs::temp_directory_path() / ("dovra-threads-" + std::to_string(::getpid()))).string();
    const fs::path results = stem + ".out";
    const fs::path config = stem + ".cfg";
    fs::remove(results);
    std::ofstream(config, std::ios::binary) << text;
    dovra::batch::BatchOptions o;
    o.config = config.string();
    o.results = results.string();
    o.seed = seed;
    o.quiet = true;
    o.threads = threads;
    o.portfolio = portfolio;
    std::ostringstream out, err;
    const int rc = dovra::batch::runBatch(o, out, err);
    std::string outcome = readAll(results) + "exit " + std::to_string(rc);
    fs::remove(results);
    fs::remove(config);
    return outcome;
}

class ThreadCount : public ::testing::TestWithParam<std::string> {};

TEST_P(ThreadCount, ResultsFileIsTheSameOnAnyNumberOfThreads) {
    for (const bool fine : {false, true}) {
        const std::string text = taskText(GetParam(), fine);
        for (int seed = 1; seed <= (fine ? 2 : 5) && !text.empty(); ++seed) {
            const std::string where = (fine ? "fine grid, seed " : "seed ") + std::to_string(seed);
            const std::string one = run(text, seed, 1, 1);
            EXPECT_EQ(run(text, seed, 2, 1), one) << where;
            EXPECT_EQ(run(text, seed, 4, 1), one) << where;
            const std::string portfolio = run(text, seed, 1, 4);
            EXPECT_EQ(run(text, seed, 2, 4), portfolio) << where;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ThreadCount, ::testing::ValuesIn(exampleTasks()),
                         [](const auto& info) {
                             std::string n = info.param;
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n;
                         });

} // namespace
