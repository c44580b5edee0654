// End-to-end: every example design task run by dovra-batch with a fixed seed
// must succeed, and the coefficients in its results file, evaluated here with
// a frequency response of this test's own, must meet every sampled point of
// the task's tolerance scheme.

#include <gtest/gtest.h>

#include "core/batch/BatchSupport.h"

#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace dovra::test;

// Group delay of a polynomial: Re(sum k c_k e^{-jkθ} / sum c_k e^{-jkθ}).
double polyDelay(const std::vector<double>& c, double w) {
    std::complex<double> num = 0.0;
    for (std::size_t k = 0; k < c.size(); ++k) {
        num += static_cast<double>(k) * c[k] *
               std::polar(1.0, -2.0 * std::numbers::pi * w * static_cast<double>(k));
    }
    return (num / polyAt(c, w)).real();
}

// Sampling fractions of the grid, computed here from their definition: the
// cosine-spaced points j/63 in the interleaved order whose first 10, 28 and
// 64 entries are the coarse, medium and fine grids.
std::vector<double> samplingFractions(const std::string& granularity) {
    std::vector<double> t;
    for (int start = 0; start < 7; ++start) {
        for (int j = start; j <= 63; j += 7) {
            t.push_back((1.0 - std::cos(std::numbers::pi * j / 63.0)) / 2.0);
        }
    }
    std::size_t s = granularity == "coarse" ? 10 : granularity == "medium" ? 28 : 64;
    t.resize(s);
    return t;
}

template <class F>
void forEachSample(const std::vector<Row>& rows, const std::vector<double>& t, F f) {
    for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
        for (double tj : t) {
            double w = rows[k].w + (rows[k + 1].w - rows[k].w) * tj;
            double limit = rows[k].limit + (rows[k + 1].limit - rows[k].limit) * tj;
            f(w, limit);
        }
    }
}

class BatchExample : public ::testing::TestWithParam<const char*> {};

TEST_P(BatchExample, SucceedsAndItsCoefficientsMeetTheScheme) {
    fs::path task = fs::path(DOVRA_SOURCE_DIR) / "examples" / GetParam();
    fs::path dir = fs::temp_directory_path() / ("dovra-example-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path results = dir / (std::string(GetParam()) + ".out");

    ASSERT_EQ(runBatch("--quiet --seed 1 -o " + results.string() + " " + task.string() + " > " +
                       (dir / "stdout.txt").string() + " 2>&1"),
              0)
        << "dovra-batch did not report success for " << GetParam();

    Task t = readTask(task);
    auto c = readCoefficients(results);
    ASSERT_FALSE(c["a"].empty());
    std::vector<double> b = c.count("b") ? c["b"] : std::vector<double>{1.0};
    std::vector<double> af = c.count("af") ? c["af"] : std::vector<double>{1.0};
    std::vector<double> bf = c.count("bf") ? c["bf"] : std::vector<double>{1.0};
    if (t.wordLength > 0) {
        // The sections of a quantized design hold multiples of 2^-(word length - 1).
        double q = std::ldexp(1.0, t.wordLength - 1);
        std::regex section(R"(^[ab]\d+=\[([^\]]*)\];$)");
        int sections = 0;
        for (const auto& line : readLines(results)) {
            std::smatch m;
            if (std::regex_match(line, m, section)) {
                ++sections;
                std::istringstream values(m[1].str());
                for (double v; values >> v;) {
                    EXPECT_EQ(std::floor(v * q), v * q) << line;
                }
            }
        }
        EXPECT_GT(sections, 0);
    }

    auto dB = [&](double w) {
        return 20.0 * std::log10(std::abs(polyAt(c["a"], w) / polyAt(b, w) * polyAt(af, w) /
                                          polyAt(bf, w)));
    };
    auto delay = [&](double w) {
        return polyDelay(c["a"], w) - polyDelay(b, w) + polyDelay(af, w) - polyDelay(bf, w);
    };

    // A run succeeds at a total cost of at most 1e-12, so no sample may miss
    // its limit by more than 1e-6 (dB or samples); allow for rounding.
    const double tol = 2e-6;
    auto grid = samplingFractions(t.granularity);
    int samples = 0;
    forEachSample(t.magUpper, grid, [&](double w, double limit) {
        ++samples;
        EXPECT_LE(dB(w), limit + tol) << "upper magnitude at " << w;
    });
    forEachSample(t.magLower, grid, [&](double w, double limit) {
        ++samples;
        EXPECT_GE(dB(w), limit - tol) << "lower magnitude at " << w;
    });
    // Unfrozen group-delay limits may be shifted by one common offset: one
    // exists when the largest excess over the upper limits is no larger than
    // the smallest margin over the lower limits.
    double needUp = -1e300, room = 1e300;
    forEachSample(t.gdUpper, grid, [&](double w, double limit) {
        ++samples;
        needUp = std::max(needUp, delay(w) - limit);
    });
    forEachSample(t.gdLower, grid, [&](double w, double limit) {
        ++samples;
        room = std::min(room, delay(w) - limit);
    });
    if (!t.gdUpper.empty() && !t.gdLower.empty()) {
        EXPECT_LE(needUp, room + tol) << "no common group-delay offset meets both limits";
    }
    EXPECT_GT(samples, 0);
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Examples, BatchExample,
                         ::testing::Values("lowpass.cfg", "lowpass-group-delay.cfg",
                                           "lowpass-quantized-12bit.cfg", "allpass-equaliser.cfg"),
                         [](const auto& info) {
                             std::string n = info.param;
                             n = n.substr(0, n.find('.'));
                             for (char& ch : n) {
                                 if (ch == '-') {
                                     ch = '_';
                                 }
                             }
                             return n;
                         });

TEST(BatchExitStatus, UsageAndUnreadableTaskGiveTwo) {
    EXPECT_EQ(runBatch("> /dev/null 2>&1"), 2);
    EXPECT_EQ(runBatch("--bogus x.cfg > /dev/null 2>&1"), 2);
    EXPECT_EQ(runBatch("/nonexistent/task.cfg > /dev/null 2>&1"), 2);
    EXPECT_EQ(runBatch("--help > /dev/null 2>&1"), 0);
}

TEST(BatchExitStatus, GenerationLimitGivesOneAndStillWritesResults) {
    fs::path task = fs::path(DOVRA_SOURCE_DIR) / "examples" / "lowpass.cfg";
    fs::path results = fs::temp_directory_path() / ("dovra-limit-" + std::to_string(::getpid()));
    const fs::path log = results.string() + ".log";
    // Alone and as a portfolio: the summary line says how close the run came
    // (its best cost, and with a portfolio the search it is from).
    for (const char* portfolio : {"1", "3"}) {
        EXPECT_EQ(runBatch("--quiet --seed 1 --max-generations 10 --portfolio " +
                           std::string(portfolio) + " -o " + results.string() + " " +
                           task.string() + " > " + log.string() + " 2>&1"),
                  1);
        EXPECT_TRUE(fs::exists(results));
        auto lines = readLines(results);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[0], "%======Optimization characteristics===================");
        const std::vector<std::string> console = readLines(log);
        ASSERT_FALSE(console.empty());
        const std::regex summary(
            portfolio == std::string("1")
                ? R"(^Stopped: generation limit reached: 10 generations, .*; best cost [0-9.E-]+; checked between the samples: .*)"
                : R"(^Stopped: generation limit reached: 10 generations, .* in 3 searches; search [1-3] came closest; best cost [0-9.E-]+; .*)");
        EXPECT_TRUE(std::regex_match(console.back(), summary)) << console.back();
        fs::remove(results);
    }
    fs::remove(log);
}

TEST(BatchRun, SameSeedGivesTheSameResultsFile) {
    fs::path task = fs::path(DOVRA_SOURCE_DIR) / "examples" / "lowpass.cfg";
    fs::path base = fs::temp_directory_path() / ("dovra-seed-" + std::to_string(::getpid()));
    std::string r1 = base.string() + "-1", r2 = base.string() + "-2";
    ASSERT_EQ(runBatch("--quiet --seed 7 -o " + r1 + " " + task.string() + " > /dev/null 2>&1"), 0);
    ASSERT_EQ(runBatch("--quiet --seed 7 -o " + r2 + " " + task.string() + " > /dev/null 2>&1"), 0);
    EXPECT_EQ(readLines(r1), readLines(r2));
    fs::remove(r1);
    fs::remove(r2);
}

TEST(BatchRun, DryRunDesignsNothing) {
    fs::path task = fs::path(DOVRA_SOURCE_DIR) / "examples" / "lowpass.cfg";
    fs::path results = fs::temp_directory_path() / ("dovra-dry-" + std::to_string(::getpid()));
    fs::path saved = results.string() + ".cfg";
    EXPECT_EQ(runBatch("--dry-run --save-config " + saved.string() + " -o " + results.string() +
                       " " + task.string() + " > /dev/null 2>&1"),
              0);
    EXPECT_FALSE(fs::exists(results));
    EXPECT_EQ(readLines(saved), readLines(task));
    fs::remove(saved);
}

} // namespace

namespace {

TEST(BatchExitStatus, RealizationBeyondCapacityIsRefusedWithTwo) {
    auto lines = readLines(fs::path(DOVRA_SOURCE_DIR) / "examples" / "lowpass.cfg");
    // Items after the four tables of this task: NumDeg at line 35, NZlinPair
    // at 37, NZPAllpPair at 42 (counting from 1).
    lines.at(34) = "257";
    lines.at(36) = "100";
    lines.at(41) = "100";
    fs::path task =
        fs::temp_directory_path() / ("dovra-big-" + std::to_string(::getpid()) + ".cfg");
    {
        std::ofstream out(task);
        for (const auto& l : lines) {
            out << l << '\n';
        }
    }
    fs::path results = task.string() + ".out";
    fs::path log = task.string() + ".log";
    EXPECT_EQ(runBatch("--quiet -o " + results.string() + " " + task.string() + " > " +
                       log.string() + " 2>&1"),
              2);
    EXPECT_FALSE(fs::exists(results));
    std::ifstream in(log);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("numerator degree 557 exceeds the limit of 479 by 78"), std::string::npos)
        << all;
    fs::remove(task);
    fs::remove(log);
}

} // namespace
