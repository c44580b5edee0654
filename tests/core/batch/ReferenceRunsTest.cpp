// dovra-batch against stored runs: for every example task and seeds 1 to 5 the
// results file and the console lines must be byte for byte the ones in
// tests/data/runs (written by generate.sh there); the same for "Save As", the
// dry-run summary and the run of every design method on the lowpass task.
// Only the wall-time figures of the closing console line are masked.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRuns = fs::path(DOVRA_TEST_DATA_DIR) / "runs";
const fs::path kExamples = fs::path(DOVRA_SOURCE_DIR) / "examples";

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string masked(const std::string& console) {
    static const std::regex times(R"(, [0-9.]+ s, [0-9]+ evaluations/s(;[^\n]*)?\n)");
    return std::regex_replace(console, times, ", T s, R evaluations/s$1\n");
}

struct Scratch {
    fs::path dir = fs::temp_directory_path() / ("dovra-ref-" + std::to_string(::getpid()));
    Scratch() { fs::create_directories(dir); }
    ~Scratch() { fs::remove_all(dir); }
};

/// Runs dovra-batch with the console going to `log`; returns the console text
/// followed by the "exit N" line the generator appends.
std::string runBatch(const std::string& args, const fs::path& log) {
    std::string cmd = std::string(DOVRA_BATCH_EXE) + " " + args + " > " + log.string() + " 2>&1";
    int status = std::system(cmd.c_str());
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return masked(readAll(log)) + "exit " + std::to_string(code) + "\n";
}

struct StoredRun {
    std::string task;
    int seed;
};

/// The example tasks, by name, in a stable order.
std::vector<std::string> exampleTasks() {
    std::vector<std::string> tasks;
    for (const auto& entry : fs::directory_iterator(kExamples)) {
        if (entry.path().extension() == ".cfg") {
            tasks.push_back(entry.path().stem().string());
        }
    }
    std::sort(tasks.begin(), tasks.end());
    return tasks;
}

std::vector<StoredRun> exampleRuns() {
    std::vector<StoredRun> runs;
    for (const std::string& task : exampleTasks()) {
        for (int seed = 1; seed <= 5; ++seed) {
            runs.push_back({task, seed});
        }
    }
    return runs;
}

class ReferenceRun : public ::testing::TestWithParam<StoredRun> {};

TEST_P(ReferenceRun, ResultsFileAndConsoleAreUnchanged) {
    const StoredRun& r = GetParam();
    Scratch s;
    std::string stem = r.task + "-seed" + std::to_string(r.seed);
    fs::path results = s.dir / "run.out";
    std::string console = runBatch("--seed " + std::to_string(r.seed) + " -o " + results.string() +
                                       " " + (kExamples / (r.task + ".cfg")).string(),
                                   s.dir / "log");
    EXPECT_EQ(readAll(results), readAll(kRuns / (stem + ".out")));
    EXPECT_EQ(console, readAll(kRuns / (stem + ".console")));
}

INSTANTIATE_TEST_SUITE_P(Examples, ReferenceRun, ::testing::ValuesIn(exampleRuns()),
                         [](const auto& info) {
                             std::string n =
                                 info.param.task + "_seed" + std::to_string(info.param.seed);
                             for (char& ch : n) {
                                 if (ch == '-') {
                                     ch = '_';
                                 }
                             }
                             return n;
                         });

TEST(ReferenceRun, SaveAsAndDryRunAreUnchanged) {
    Scratch s;
    for (const std::string& task : exampleTasks()) {
        fs::path saved = s.dir / "saved.cfg";
        std::string console = runBatch("--dry-run --save-config " + saved.string() + " " +
                                           (kExamples / (task + ".cfg")).string(),
                                       s.dir / "log");
        EXPECT_EQ(readAll(saved), readAll(kRuns / (task + ".saved.cfg"))) << task;
        EXPECT_EQ(console, readAll(kRuns / (task + ".dry-run")) + "exit 0\n") << task;
    }
}

// Every design method on the lowpass task (its scheme read as the design input
// record by the classical and FIR designs). A method whose behaviour is meant
// to change has its stored files written again by generate.sh.
TEST(ReferenceRun, EveryDesignMethodEndsAsBefore) {
    Scratch s;
    std::string task = readAll(kExamples / "lowpass.cfg");
    std::string body = task.substr(0, task.rfind('\n', task.size() - 2) + 1);
    for (int method = 1; method <= 7; ++method) {
        std::string stem = "lowpass-method" + std::to_string(method);
        fs::path cfg = s.dir / "method.cfg";
        fs::path results = s.dir / "method.out";
        fs::remove(results);
        std::ofstream(cfg, std::ios::binary) << body << method << '\n';
        std::string console =
            runBatch("--seed 1 -o " + results.string() + " " + cfg.string(), s.dir / "log");
        EXPECT_EQ(console, readAll(kRuns / (stem + ".console"))) << stem;
        EXPECT_EQ(fs::exists(results), fs::exists(kRuns / (stem + ".out"))) << stem;
        if (fs::exists(results)) {
            EXPECT_EQ(readAll(results), readAll(kRuns / (stem + ".out"))) << stem;
        }
    }
}

} // namespace
