// End-to-end: the classical designs run by dovra-batch from a task file. For
// every family and band type the direct-form coefficients of the results file,
// evaluated here, meet the scheme the design was read from on a dense grid;
// a scheme the designs refuse ends with its message and exit status 2.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <unistd.h>

#include "core/batch/BatchSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace dovra::test;

/// Tolerance rows of a lowpass (1), highpass (2), bandpass (4) or bandstop (8)
/// with passband level 0 dB, ripple Rp and attenuation Rs, in the shapes the
/// tolerance-scheme reader takes.
Task scheme(int type, double fl, double fu, double d, double Rp, double Rs) {
    // The bandstop's lower table needs a level change in its stopband.
    const double none = -1000.0;
    Task t;
    switch (type) {
    case 1:
        t.magUpper = {{0, 0}, {fu, 0}, {fu + d, -Rs}, {0.5, -Rs}};
        t.magLower = {{0, -Rp}, {fu, -Rp}};
        break;
    case 2:
        t.magUpper = {{0, -Rs}, {fl - d, -Rs}, {fl, 0}, {0.5, 0}};
        t.magLower = {{fl, -Rp}, {0.5, -Rp}};
        break;
    case 4:
        t.magUpper = {{0, -Rs}, {fl - d, -Rs}, {fl, 0}, {fu, 0}, {fu + d, -Rs}, {0.5, -Rs}};
        t.magLower = {{fl, -Rp}, {fu, -Rp}};
        break;
    default:
        t.magUpper = {{0, 0},        {fl + d / 2, 0}, {fl + d, -Rs},
                      {fu - d, -Rs}, {fu - d / 2, 0}, {0.5, 0}};
        t.magLower = {{0, -Rp}, {fl, -Rp}, {fl + d, none}, {fu - d, none}, {fu, -Rp}, {0.5, -Rp}};
        break;
    }
    return t;
}

void writeTask(const fs::path& p, const Task& t, int method) {
    std::ofstream out(p, std::ios::binary);
    auto table = [&](const std::vector<Row>& rows) {
        out << rows.size() << '\n';
        for (const Row& r : rows) {
            out << r.w << '\n' << r.limit << "\n\n\n\n";
        }
    };
    table(t.magUpper);
    table(t.magLower);
    // No group-delay tables; then the realization, the search settings, no
    // prefilter, direct form, and the design method.
    out << "0\n0\n2\n2\n0\n30\ncoarse\n0\n60\n0\n1.0\n0.0\n99.0\n0\n0\n0\nfalse\n"
        << method << '\n';
}

/// The scheme on a dense grid, in its flat segments (passbands and
/// stopbands; the designs only promise the band edges, not a sloped limit
/// across a transition). Lower limits of -300 dB and below limit nothing.
void expectMeets(const Task& t, const fs::path& results) {
    auto c = readCoefficients(results);
    ASSERT_FALSE(c["a"].empty());
    ASSERT_FALSE(c["b"].empty());
    auto dB = [&](double w) {
        return 20.0 * std::log10(std::abs(polyAt(c["a"], w) / polyAt(c["b"], w)));
    };
    const double tol = 0.01;
    auto flat = [&](const std::vector<Row>& rows, auto check) {
        for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
            if (rows[k].limit != rows[k + 1].limit || rows[k].limit <= -300.0) {
                continue;
            }
            for (int i = 0; i <= 500; ++i) {
                const double w = rows[k].w + (rows[k + 1].w - rows[k].w) * i / 500.0;
                check(w, rows[k].limit);
            }
        }
    };
    flat(t.magUpper,
         [&](double w, double limit) { ASSERT_LE(dB(w), limit + tol) << "upper limit at " << w; });
    flat(t.magLower,
         [&](double w, double limit) { ASSERT_GE(dB(w), limit - tol) << "lower limit at " << w; });
}

struct Scratch {
    fs::path dir = fs::temp_directory_path() / ("dovra-classical-" + std::to_string(::getpid()));
    Scratch() { fs::create_directories(dir); }
    ~Scratch() { fs::remove_all(dir); }
    std::string log() const { return (dir / "log").string(); }
    std::string console() const {
        std::ifstream in(dir / "log");
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

struct Case {
    int method, type;
};

class BatchClassical : public ::testing::TestWithParam<Case> {};

TEST_P(BatchClassical, CoefficientsMeetTheScheme) {
    const auto [method, type] = GetParam();
    const Task t = type == 1   ? scheme(1, 0, 0.2, 0.05, 1, 30)
                   : type == 2 ? scheme(2, 0.3, 0.5, 0.05, 1, 30)
                   : type == 4 ? scheme(4, 0.2, 0.3, 0.05, 1, 30)
                               : scheme(8, 0.15, 0.35, 0.05, 1, 30);
    Scratch s;
    const fs::path task = s.dir / "task.cfg";
    const fs::path results = s.dir / "task.out";
    writeTask(task, t, method);
    ASSERT_EQ(runBatch("--quiet -o " + results.string() + " " + task.string() + " > " + s.log() +
                       " 2>&1"),
              0)
        << s.console();
    expectMeets(t, results);
}

std::vector<Case> everyFamilyAndBand() {
    std::vector<Case> v;
    for (int m = 1; m <= 4; ++m) {
        for (int type : {1, 2, 4, 8}) {
            v.push_back({m, type});
        }
    }
    return v;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    const char* family[] = {"", "butterworth", "chebyshev1", "chebyshev2", "elliptic"};
    return std::string(family[info.param.method]) + "_type" + std::to_string(info.param.type);
}

INSTANTIATE_TEST_SUITE_P(FamiliesAndBands, BatchClassical,
                         ::testing::ValuesIn(everyFamilyAndBand()), caseName);

// A design of an order above the 100 poles the realization page admits for
// typing keeps its poles: the degrees of a designed filter are its own.
TEST(BatchClassical, HighOrderKeepsItsPoles) {
    Scratch s;
    const fs::path task = s.dir / "task.cfg";
    const fs::path results = s.dir / "task.out";
    writeTask(task, scheme(1, 0, 0.2, 0.005, 1, 30), 1);
    ASSERT_EQ(runBatch("--quiet -o " + results.string() + " " + task.string() + " > " + s.log() +
                       " 2>&1"),
              0)
        << s.console();
    int a = 0, b = 0;
    for (const auto& line : readLines(results)) {
        a += line.rfind("a(", 0) == 0;
        b += line.rfind("b(", 0) == 0;
    }
    EXPECT_GT(b, 101);
    EXPECT_EQ(a, b);
}

TEST(BatchClassical, ExamplesMeetTheirSchemes) {
    for (const char* name : {"butterworth-lowpass", "chebyshev1-highpass", "chebyshev2-bandpass",
                             "elliptic-bandstop"}) {
        Scratch s;
        const fs::path task =
            fs::path(DOVRA_SOURCE_DIR) / "examples" / (std::string(name) + ".cfg");
        const fs::path results = s.dir / "example.out";
        ASSERT_EQ(runBatch("--quiet -o " + results.string() + " " + task.string() + " > " +
                           s.log() + " 2>&1"),
                  0)
            << name << "\n"
            << s.console();
        SCOPED_TRACE(name);
        expectMeets(readTask(task), results);
    }
}

TEST(BatchClassical, RefusedDesignsExitWithTwoAndTheirMessage) {
    const struct {
        Task task;
        const char* message;
    } cases[] = {
        // A passband ripple beyond the stopband attenuation.
        {scheme(1, 0, 0.2, 0.05, 20, 10), "Passband ripple may not fall below stopband."},
        // A transition so narrow that the order does not fit the vector.
        {scheme(1, 0, 0.2, 1e-6, 1, 2000), "too high: at most 239 fits the parameter vector."},
    };
    for (const auto& c : cases) {
        for (int method = 1; method <= 4; ++method) {
            Scratch s;
            const fs::path task = s.dir / "task.cfg";
            const fs::path results = s.dir / "task.out";
            writeTask(task, c.task, method);
            EXPECT_EQ(runBatch("-o " + results.string() + " " + task.string() + " > " + s.log() +
                               " 2>&1"),
                      2)
                << c.message << " method " << method;
            EXPECT_NE(s.console().find(c.message), std::string::npos) << s.console();
        }
    }
}

} // namespace
