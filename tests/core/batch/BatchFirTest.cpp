// The linear-phase FIR designs run by dovra-batch: the response read back from
// the results file meets every limit of the constraint-based design on its own
// grid, the flatness variant is concave over each passband, and the exit
// status tells success, no feasible length, and a refused task apart.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "design/Meteor.h"
#include "problem/DEProblem.h"
#include "run/T_DEOptimizer.h"
#include "session/ConfigFile.h"
#include "session/DesignSession.h"

namespace {

namespace fs = std::filesystem;
using namespace dovra;

std::vector<std::string> lines(const fs::path& p) {
    std::ifstream in(p);
    std::vector<std::string> v;
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') {
            l.pop_back(); // the results file ends its lines in CR LF
        }
        v.push_back(l);
    }
    return v;
}

/// Runs dovra-batch; its console goes to log when one is named.
int runBatch(const fs::path& task, const fs::path& results, const fs::path& log = {}) {
    const std::string cmd = std::string(DOVRA_BATCH_EXE) + (log.empty() ? " --quiet" : "") +
                            " -o " + results.string() + " " + task.string() + " > " +
                            (log.empty() ? std::string("/dev/null") : log.string()) + " 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// The numerator a(1..) of the results file.
std::vector<double> numerator(const fs::path& results) {
    std::vector<double> a;
    const std::regex assign(R"(^a\((\d+)\)=([^;]+);$)");
    for (const auto& line : lines(results)) {
        std::smatch m;
        if (std::regex_match(line, m, assign)) {
            const std::size_t k = std::stoul(m[1]);
            a.resize(std::max(a.size(), k));
            a[k - 1] = std::stod(m[2]);
        }
    }
    return a;
}

/// The zero-phase amplitude of a symmetric response at w (radians).
double amplitude(const std::vector<double>& a, double w) {
    const double centre = (static_cast<double>(a.size()) - 1.0) / 2.0;
    double sum = 0.0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        sum += a[k] * std::cos(w * (static_cast<double>(k) - centre));
    }
    return sum;
}

/// The design input record the run control reads off a task's scheme.
Data recordOf(const fs::path& task) {
    std::ostringstream out, err;
    DesignSession s(out, err);
    EXPECT_TRUE(openDatabase(s, task.string()));
    DEProblem& p = *s.optimizer().currentProblem();
    p.init_tolerance_scheme(s.runInput(), s.console());
    p.parseToleranceScheme();
    return p.data();
}

/// A copy of an example with other magnitude tables.
fs::path variant(const std::string& example, const std::vector<std::pair<double, double>>& upper,
                 const std::vector<std::pair<double, double>>& lower, const fs::path& dir) {
    const auto base = lines(fs::path(DOVRA_SOURCE_DIR) / "examples" / example);
    std::ostringstream text;
    std::size_t at = 0;
    for (const auto* table : {&upper, &lower}) {
        at += 1 + 5 * std::stoul(base.at(at));
        text << table->size() << '\n';
        for (auto [w, limit] : *table) {
            text << w << '\n' << limit << "\n\n\n\n";
        }
    }
    for (; at < base.size(); ++at) {
        text << base[at] << '\n';
    }
    const fs::path p = dir / ("variant-" + example);
    std::ofstream(p) << text.str();
    return p;
}

class BatchFir : public ::testing::Test {
  protected:
    fs::path dir = fs::temp_directory_path() / ("dovra-fir-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(BatchFir, ConstraintDesignsMeetTheirLimitsOnTheGridAndFlatPassbandsAreConcave) {
    for (const auto& [example, flat] :
         {std::pair{"lowpass-fir.cfg", false}, std::pair{"bandpass-fir-flat.cfg", true}}) {
        SCOPED_TRACE(example);
        const fs::path task = fs::path(DOVRA_SOURCE_DIR) / "examples" / example;
        const fs::path results = dir / (std::string(example) + ".out");
        ASSERT_EQ(runBatch(task, results), 0);
        const std::vector<double> a = numerator(results);
        ASSERT_EQ(a.size() % 2, 1u);
        const MeteorSpec spec = std::get<MeteorSpec>(meteorSpec(recordOf(task), flat));
        int concave = 0;
        for (const MeteorConstraint& c : spec.constraints) {
            std::vector<double> amp;
            for (int col = c.firstColumn - 1; col < c.lastColumn; ++col) {
                amp.push_back(amplitude(a, spec.grid[col]));
            }
            for (std::size_t i = 0; i < amp.size(); ++i) {
                if (c.kind == 2 && c.sense == '+') {
                    EXPECT_LE(amp[i], c.boundLeft + 1e-6);
                } else if (c.kind == 2) {
                    EXPECT_GE(amp[i], c.boundLeft - 1e-6);
                } else if (i >= 1 && i + 1 < amp.size()) {
                    EXPECT_LE(amp[i - 1] - 2.0 * amp[i] + amp[i + 1], 1e-9);
                    ++concave;
                }
            }
        }
        EXPECT_EQ(concave > 0, flat);
    }
}

TEST_F(BatchFir, ExitStatusTellsSuccessNoFeasibleLengthAndRefusal) {
    // Every bisection step shows as progress: 64 32 16 8 12 14 13 coefficients.
    const fs::path lowpass = fs::path(DOVRA_SOURCE_DIR) / "examples" / "lowpass-fir.cfg";
    EXPECT_EQ(runBatch(lowpass, dir / "lowpass.out", dir / "log"), 0);
    std::vector<std::string> tried;
    for (const auto& line : lines(dir / "log")) {
        if (line.starts_with("Trying filterorder ")) {
            tried.push_back(line.substr(19));
        }
    }
    EXPECT_EQ(tried, (std::vector<std::string>{"127 ...", "63 ...", "31 ...", "15 ...", "23 ...",
                                               "27 ...", "25 ..."}));

    const fs::path remez = fs::path(DOVRA_SOURCE_DIR) / "examples" / "lowpass-remez.cfg";
    // The estimate (order 27) misses the stopband between the grid points;
    // order 30 is the first that meets both bands.
    EXPECT_EQ(runBatch(remez, dir / "remez.out"), 0);
    EXPECT_EQ(numerator(dir / "remez.out").size(), 31u);

    // No length up to 255 reaches 100 dB after a transition of 0.001.
    const fs::path hopeless =
        variant("lowpass-fir.cfg", {{0, 0}, {0.2, 0}, {0.201, -100}, {0.5, -100}},
                {{0, -0.1}, {0.2, -0.1}}, dir);
    EXPECT_EQ(runBatch(hopeless, dir / "hopeless.out"), 1);
    EXPECT_TRUE(fs::exists(dir / "hopeless.out"));

    // The same scheme estimates a Remez order far above the limit.
    const fs::path tooLong =
        variant("lowpass-remez.cfg", {{0, 0}, {0.2, 0}, {0.201, -100}, {0.5, -100}},
                {{0, -0.1}, {0.2, -0.1}}, dir);
    EXPECT_EQ(runBatch(tooLong, dir / "too-long.out"), 2);
}

} // namespace
