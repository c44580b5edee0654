// What dovra-batch refuses before it designs (a value the loader had to
// replace, an empty scheme, a frequency outside 0 to 0.5), and the check
// between the samples after a success: a design met on its coarse samples but
// over a limit between them.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
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

#include "session/ConfigFile.h"
#include "session/DesignSession.h"

namespace {

namespace fs = std::filesystem;

const fs::path kLowpass = fs::path(DOVRA_SOURCE_DIR) / "examples" / "lowpass.cfg";

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Scratch {
    fs::path dir = fs::temp_directory_path() /
                   ("dovra-check-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Scratch() {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Scratch() { fs::remove_all(dir); }
};

/// Runs dovra-batch; returns the exit status, the console in output.
int batch(const std::string& args, const fs::path& log, std::string& output) {
    std::string cmd = std::string(DOVRA_BATCH_EXE) + " " + args + " > " + log.string() + " 2>&1";
    int status = std::system(cmd.c_str());
    output = readAll(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> lowpassLines() {
    std::ifstream in(kLowpass);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
        lines.push_back(l);
    }
    return lines;
}

struct ReplacedCase {
    const char* name;
    std::size_t line; // index of the line in the lowpass task (its items: see the format)
    const char* text;
    const char* warning;
};

class BatchReplacedValue : public ::testing::TestWithParam<ReplacedCase> {};

// The window goes on with a replacement; dovra-batch refuses the task with
// the line that names the replaced value, and designs nothing.
TEST_P(BatchReplacedValue, IsRefusedWithItsWarning) {
    Scratch s;
    auto lines = lowpassLines();
    lines.at(GetParam().line) = GetParam().text;
    {
        std::ofstream out(s.dir / "task.cfg");
        for (const auto& l : lines) {
            out << l << '\n';
        }
    }
    std::string output;
    EXPECT_EQ(
        batch("--quiet -o " + (s.dir / "run.out").string() + " " + (s.dir / "task.cfg").string(),
              s.dir / "log", output),
        2);
    EXPECT_NE(output.find(std::string("dovra-batch: the task cannot be run: ") +
                          GetParam().warning + "\n"),
              std::string::npos)
        << output;
    EXPECT_FALSE(fs::exists(s.dir / "run.out"));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, BatchReplacedValue,
    ::testing::Values(
        ReplacedCase{"NumDeg", 34, "300", "Warning! numerator degree out of range!"},
        ReplacedCase{"DenomDeg", 35, "101",
                     "Warning! denominator degree (single poles) 101 out of range (0 to 100), "
                     "using 0"},
        ReplacedCase{"NZlinPair", 36, "-1",
                     "Warning! linear phase zero pairs -1 out of range (0 to 100), using 0"},
        ReplacedCase{"NP", 37, "5",
                     "Warning! population size 5 out of range (10 to 1000), using 10"},
        ReplacedCase{"Granularity", 38, "superfine", "Invalid sampling value superfine..."},
        ReplacedCase{"WordLength", 39, "40",
                     "Warning! word length 40 out of range (0 to 32), using inf"},
        ReplacedCase{"NP2", 40, "5000",
                     "Warning! population size (refinement phase) 5000 out of range (10 to "
                     "1000), using 10"},
        ReplacedCase{"PoleRadius", 42, "1.5",
                     "Warning! pole radius limit 1.5 out of range (0.0 to 1.0), using 1.0"},
        ReplacedCase{"ZeroRadiusHigh", 44, "120.0",
                     "Warning! zero radius upper limit 120.0 out of range (0.0 to 99.0), using "
                     "99.0"},
        ReplacedCase{"StructId", 47, "2", "Warning! structure 2 out of range (0 or 1), using 0"},
        ReplacedCase{"DesignMethod", 49, "9",
                     "Warning! design method index 9 out of range (0 to 7), using 0"}),
    [](const auto& info) { return std::string(info.param.name); });

// The scheme checks of Start, on tasks saved from the lowpass.
TEST(BatchStart, EmptySchemeAndFrequencyAboveNyquistAreRefused) {
    Scratch s;
    struct Case {
        const char* name;
        void (*edit)(dovra::DesignSession&);
        const char* refusal;
    };
    const Case cases[] = {
        {"empty",
         [](dovra::DesignSession& t) {
             t.magUpper().clear();
             t.magLower().clear();
         },
         "Nothing to design: the tolerance scheme is empty"},
        {"nyquist", [](dovra::DesignSession& t) { t.magUpper().getRecord(3)->setOmega("0.7"); },
         "upper magnitude table, row 3: Omega 0.7 is outside 0 to 0.5"},
    };
    for (const Case& c : cases) {
        std::ostringstream quiet;
        dovra::DesignSession t(quiet, quiet);
        ASSERT_TRUE(dovra::openDatabase(t, kLowpass.string()));
        c.edit(t);
        const fs::path task = s.dir / (std::string(c.name) + ".cfg");
        ASSERT_TRUE(dovra::saveDatabase(t, task.string()));
        std::string output;
        for (const char* mode : {"", "--dry-run "}) {
            EXPECT_EQ(batch(std::string(mode) + "--quiet -o " + (s.dir / "run.out").string() + " " +
                                task.string(),
                            s.dir / "log", output),
                      2)
                << c.name << mode;
            EXPECT_NE(output.find(std::string("dovra-batch: the task cannot be run: ") + c.refusal),
                      std::string::npos)
                << output;
        }
        EXPECT_FALSE(fs::exists(s.dir / "run.out"));
    }
}

std::complex<double> polyAt(const std::vector<double>& c, double w) {
    std::complex<double> sum = 0.0;
    for (std::size_t k = 0; k < c.size(); ++k) {
        sum += c[k] * std::polar(1.0, -2.0 * std::numbers::pi * w * static_cast<double>(k));
    }
    return sum;
}

// With --sampled-only the lowpass with seed 1 ends as soon as its coarse
// samples are met, and between them it is not: that is no success (exit 1),
// and the summary line says by how much and where, which agrees with this
// test's own response of the coefficients written.
TEST(BatchBetweenSamples, ExcessOfASampledOnlyDesignIsReportedAndNoSuccess) {
    Scratch s;
    const fs::path results = s.dir / "run.out";
    std::string output;
    ASSERT_EQ(
        batch("--quiet --sampled-only --seed 1 -o " + results.string() + " " + kLowpass.string(),
              s.dir / "log", output),
        1)
        << output;
    std::smatch m;
    const std::regex summary(
        R"(Scheme met on the samples, not between them: [^\n]*evaluations/s; checked between the samples: worst excess ([0-9.e+-]+) dB at frequency ([0-9.e+-]+)\n)");
    ASSERT_TRUE(std::regex_search(output, m, summary)) << output;
    const double excess = std::stod(m[1]);
    const double at = std::stod(m[2]);
    EXPECT_GT(excess, 0.1);

    std::map<std::string, std::vector<double>> c;
    const std::regex assign(R"(^(a|b)\((\d+)\)=([^;]+);\r?$)");
    std::istringstream report(readAll(results));
    for (std::string line; std::getline(report, line);) {
        std::smatch a;
        if (std::regex_match(line, a, assign)) {
            auto& v = c[a[1]];
            v.resize(std::max(v.size(), std::stoul(a[2])));
            v[std::stoul(a[2]) - 1] = std::stod(a[3]);
        }
    }
    auto dB = [&](double w) {
        return 20.0 * std::log10(std::abs(polyAt(c["a"], w) / polyAt(c["b"], w)));
    };
    // The task's limits: upper 0.5 dB to 0.2 falling to -30 dB at 0.25,
    // lower -0.5 dB to 0.2.
    auto over = [&](double w) {
        double upper = w <= 0.2 ? 0.5 : w <= 0.25 ? 0.5 - 30.5 * (w - 0.2) / 0.05 : -30.0;
        double e = dB(w) - upper;
        if (w <= 0.2) {
            e = std::max(e, -0.5 - dB(w));
        }
        return e;
    };
    EXPECT_GT(over(at), 0.0) << "at " << at;
    double worst = 0.0;
    for (int i = 0; i <= 200000; ++i) {
        worst = std::max(worst, over(0.5 * i / 200000));
    }
    // The line gives three significant digits.
    EXPECT_NEAR(worst, excess, 0.006 * excess);

    // By default the search goes on until the scheme is met between the
    // samples as well.
    ASSERT_EQ(batch("--quiet --strict --seed 1 -o " + results.string() + " " + kLowpass.string(),
                    s.dir / "log", output),
              0)
        << output;
    EXPECT_NE(output.find("Design successful: "), std::string::npos) << output;
    EXPECT_NE(output.find("; checked between the samples: met\n"), std::string::npos) << output;
}

// The same task and seed by default: the search adds the frequencies where the
// scheme is not met between the samples, saying so each time, and ends met
// everywhere; the same seed gives the same run.
TEST(BatchBetweenSamples, RefinementEndsMetEverywhereAndRepeatsForItsSeed) {
    Scratch s;
    std::string first, second;
    ASSERT_EQ(batch("--seed 1 -o " + (s.dir / "a.out").string() + " " + kLowpass.string(),
                    s.dir / "log", first),
              0)
        << first;
    ASSERT_EQ(batch("--seed 1 -o " + (s.dir / "b.out").string() + " " + kLowpass.string(),
                    s.dir / "log", second),
              0)
        << second;
    const std::regex refining(
        R"(Refining: (\d+) frequenc(y|ies) added, worst excess ([0-9.e+-]+) dB at ([0-9.e+-]+)\n)");
    int lines = 0;
    for (std::sregex_iterator it(first.begin(), first.end(), refining), end; it != end; ++it) {
        ++lines;
        EXPECT_GT(std::stoi((*it)[1]), 0);
        EXPECT_GT(std::stod((*it)[3]), 1e-6);
    }
    EXPECT_GE(lines, 1) << first;
    EXPECT_NE(first.find("Design successful: "), std::string::npos) << first;
    EXPECT_NE(first.find("; checked between the samples: met\n"), std::string::npos) << first;
    EXPECT_EQ(readAll(s.dir / "a.out"), readAll(s.dir / "b.out"));
    const std::regex times(R"([0-9.]+ s, [0-9]+ evaluations/s)");
    EXPECT_EQ(std::regex_replace(first, times, "T"), std::regex_replace(second, times, "T"));
}

} // namespace
