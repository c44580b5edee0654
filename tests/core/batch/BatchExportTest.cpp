// The exports of dovra-batch (--export FORMAT:FILE) for every example task and
// two realizations the examples lack (a quantized direct form, a quantized FIR
// design), checked against the results file written by the same run and by
// tools that know nothing of the product:
//
// - the JSON reads back, and its direct form is the results file's to the
//   last digit (its prefilter and parameters too);
// - the C header compiles with the system C compiler at -std=c99 -Wall
//   -Wextra -Werror, and a small program filters an impulse through its
//   double, float and integer cascades (or taps, or direct form), which match
//   the impulse response of the results file's direct form; the integers
//   times the scale are the results file's quantized coefficients exactly;
// - the sections file of every example gives, in scipy.signal.sosfreqz, the
//   response of the results file's zeros, poles and gain (check_sos.py
//   beside this file; skipped without python3 and scipy);
// - the Octave/MATLAB script runs in GNU Octave and leaves b, a and sos as
//   the results file and the sections file have them (skipped without it);
// - an export that cannot be written is refused before anything is designed.

#include <gtest/gtest.h>

#include "core/batch/BatchSupport.h"
#include "support/ExampleName.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace dovra::test;
using Poly = std::vector<double>;

const fs::path kExamples = fs::path(DOVRA_SOURCE_DIR) / "examples";

/// A task whose exports are checked: an example, or an example with some
/// lines of its file changed (line numbers from 1).
struct ExportTask {
    std::string name;
    std::string example;
    std::vector<std::pair<int, std::string>> edits;
    bool sections = true; // the filter has sections of its own
};

std::vector<ExportTask> exportTasks() {
    std::vector<ExportTask> tasks;
    for (const auto& entry : fs::directory_iterator(kExamples)) {
        if (entry.path().extension() == ".cfg") {
            const std::string file = entry.path().filename().string();
            tasks.push_back({dovra::testing::exampleTestName(file), file, {}, true});
        }
    }
    std::sort(tasks.begin(), tasks.end(),
              [](const ExportTask& a, const ExportTask& b) { return a.name < b.name; });
    // Line 48 is the structure, line 40 the word length of these two tasks.
    tasks.push_back({"quantized_direct_form", "lowpass-quantized-12bit.cfg", {{48, "0"}}, false});
    tasks.push_back({"fir_16_bit", "lowpass-fir.cfg", {{40, "16"}}, false});
    return tasks;
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

/// One run of a task with every export that its filter has, in a folder of
/// its own that goes with it.
struct Exported {
    fs::path dir, results, sos, header, script, json, log;
    int code = -1;

    explicit Exported(const ExportTask& task) {
        dir = fs::temp_directory_path() /
              ("dovra-export-" + std::to_string(::getpid()) + "-" + task.name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        results = dir / "results.out";
        sos = dir / "filter.csv";
        header = dir / "filter.h";
        script = dir / "filter.m";
        json = dir / "filter.json";
        log = dir / "console.txt";
        fs::path config = kExamples / task.example;
        if (!task.edits.empty()) {
            auto lines = readLines(config);
            for (const auto& [line, text] : task.edits) {
                lines.at(static_cast<std::size_t>(line - 1)) = text;
            }
            config = dir / task.example;
            std::ofstream out(config);
            for (const auto& l : lines) {
                out << l << '\n';
            }
        }
        std::string args = "--quiet --seed 1 --max-generations 300 -o " + results.string() +
                           " --export c:" + header.string() + " --export m:" + script.string() +
                           " --export json:" + json.string();
        if (task.sections) {
            args += " --export sos:" + sos.string();
        }
        code = runBatch(args + " " + config.string() + " > " + log.string() + " 2>&1");
    }
    ~Exported() { fs::remove_all(dir); }
};

void PrintTo(const ExportTask& task, std::ostream* os) {
    *os << task.name;
}

class ExportOf : public ::testing::TestWithParam<ExportTask> {};

/// The impulse response of the direct form b / a, first n samples.
Poly impulseResponse(const Poly& b, const Poly& a, int n) {
    std::vector<long double> y(static_cast<std::size_t>(n), 0.0L);
    for (int k = 0; k < n; ++k) {
        long double acc = k < static_cast<int>(b.size()) ? b[static_cast<std::size_t>(k)] : 0.0;
        for (std::size_t j = 1; j < a.size() && static_cast<int>(j) <= k; ++j) {
            acc -= static_cast<long double>(a[j]) * y[static_cast<std::size_t>(k) - j];
        }
        y[static_cast<std::size_t>(k)] = acc / a[0];
    }
    return Poly(y.begin(), y.end());
}

TEST_P(ExportOf, JsonReadsBackToTheResultsFile) {
    const Exported e(GetParam());
    ASSERT_LE(e.code, 1) << readAll(e.log);
    const auto j = nlohmann::json::parse(readAll(e.json));
    auto c = readCoefficients(e.results);
    // The results file prints no numerator for a filter without zeros and
    // no denominator for one without poles.
    if (!c["a"].empty()) {
        EXPECT_EQ(j["direct_form"]["numerator"].get<Poly>(), c["a"]);
    }
    EXPECT_EQ(j["direct_form"]["denominator"].get<Poly>(), c["b"].empty() ? Poly{1.0} : c["b"]);
    EXPECT_EQ(j["prefilter"]["numerator"].get<Poly>(), c["af"]);
    EXPECT_EQ(j["prefilter"]["denominator"].get<Poly>(), c["bf"]);
    for (const auto& line : readLines(e.results)) {
        if (line.rfind("a0 = ", 0) == 0) {
            EXPECT_EQ(j["parameters"]["gain"].get<double>(), std::stod(line.substr(5)));
        }
    }
    // The verdict is the run's: success only where dovra-batch said so.
    EXPECT_EQ(j["status"] == "Design successful", e.code == 0) << j["status"];
    EXPECT_EQ(j["sections"].is_null(), !GetParam().sections);
}

// A C program that filters an impulse through the header's cascades and
// prints the outputs ("d", "f", "i" lines) and the integers times the scale
// ("q" lines, in the order of the arrays).
const char* const kFilterProgram = R"(#include <stdint.h>
#include <stdio.h>
#include "filter.h"

#define SAMPLES 256

#ifdef FILTER_Q_FRAC_BITS
/* acc / 2^bits, rounded to the nearest integer. */
static int64_t rounded(int64_t acc, int bits) {
    return bits == 0 ? acc : (acc + ((int64_t)1 << (bits - 1))) >> bits;
}
static const int64_t one = (int64_t)1 << 24;
#endif

int main(void) {
    int n, s, k = 0;
    (void)s;
    (void)k;
#if defined(FILTER_STAGES)
    double sd[FILTER_STAGES][4] = {{0.0}};
    float sf[FILTER_STAGES][4] = {{0.0f}};
    for (n = 0; n < SAMPLES; ++n) {
        double xd = n == 0 ? 1.0 : 0.0;
        float xf = n == 0 ? 1.0f : 0.0f;
        for (s = 0; s < FILTER_STAGES; ++s) {
            const double *c = filter_sos[s];
            const float *cf = filter_sos_f[s];
            double yd = c[0] * xd + c[1] * sd[s][0] + c[2] * sd[s][1] - c[3] * sd[s][2] - c[4] * sd[s][3];
            float yf = cf[0] * xf + cf[1] * sf[s][0] + cf[2] * sf[s][1] - cf[3] * sf[s][2] - cf[4] * sf[s][3];
            sd[s][1] = sd[s][0]; sd[s][0] = xd; sd[s][3] = sd[s][2]; sd[s][2] = yd; xd = yd;
            sf[s][1] = sf[s][0]; sf[s][0] = xf; sf[s][3] = sf[s][2]; sf[s][2] = yf; xf = yf;
        }
        printf("d %.17g\nf %.9g\n", xd, (double)xf);
    }
#ifdef FILTER_Q_FRAC_BITS
    {
        int64_t si[FILTER_STAGES][4] = {{0}};
        for (n = 0; n < SAMPLES; ++n) {
            int64_t x = n == 0 ? one : 0;
            for (s = 0; s < FILTER_STAGES; ++s) {
                int64_t c[5], y;
                for (k = 0; k < 5; ++k) c[k] = filter_sos_q[s][k];
                y = rounded(c[0] * x + c[1] * si[s][0] + c[2] * si[s][1] - c[3] * si[s][2] - c[4] * si[s][3],
                            FILTER_Q_FRAC_BITS);
                si[s][1] = si[s][0]; si[s][0] = x; si[s][3] = si[s][2]; si[s][2] = y; x = y;
            }
            printf("i %.17g\n", filter_q_gain * (double)x / (double)one);
        }
        for (s = 0; s < FILTER_STAGES; ++s)
            for (k = 0; k < 5; ++k) printf("q %.17g\n", filter_sos_q[s][k] * FILTER_Q_SCALE);
    }
#endif
#elif defined(FILTER_TAPS)
    double xd[FILTER_TAPS] = {0.0};
    float xf[FILTER_TAPS] = {0.0f};
    for (n = 0; n < SAMPLES; ++n) {
        double yd = 0.0;
        float yf = 0.0f;
        for (k = FILTER_TAPS - 1; k > 0; --k) { xd[k] = xd[k - 1]; xf[k] = xf[k - 1]; }
        xd[0] = n == 0 ? 1.0 : 0.0;
        xf[0] = n == 0 ? 1.0f : 0.0f;
        for (k = 0; k < FILTER_TAPS; ++k) { yd += filter_taps[k] * xd[k]; yf += filter_taps_f[k] * xf[k]; }
        printf("d %.17g\nf %.9g\n", yd, (double)yf);
    }
#ifdef FILTER_Q_FRAC_BITS
    {
        int64_t xi[FILTER_TAPS] = {0};
        for (n = 0; n < SAMPLES; ++n) {
            int64_t acc = 0;
            for (k = FILTER_TAPS - 1; k > 0; --k) xi[k] = xi[k - 1];
            xi[0] = n == 0 ? one : 0;
            for (k = 0; k < FILTER_TAPS; ++k) acc += filter_taps_q[k] * xi[k];
            printf("i %.17g\n", (double)rounded(acc, FILTER_Q_FRAC_BITS) / (double)one);
        }
        for (k = 0; k < FILTER_TAPS; ++k) printf("q %.17g\n", filter_taps_q[k] * FILTER_Q_SCALE);
    }
#endif
#else
    double xd[FILTER_NUM_LEN] = {0.0}, yd[FILTER_DEN_LEN] = {0.0};
    float xf[FILTER_NUM_LEN] = {0.0f}, yf[FILTER_DEN_LEN] = {0.0f};
    for (n = 0; n < SAMPLES; ++n) {
        double accd = 0.0;
        float accf = 0.0f;
        for (k = FILTER_NUM_LEN - 1; k > 0; --k) { xd[k] = xd[k - 1]; xf[k] = xf[k - 1]; }
        for (k = FILTER_DEN_LEN - 1; k > 0; --k) { yd[k] = yd[k - 1]; yf[k] = yf[k - 1]; }
        xd[0] = n == 0 ? 1.0 : 0.0;
        xf[0] = n == 0 ? 1.0f : 0.0f;
        for (k = 0; k < FILTER_NUM_LEN; ++k) { accd += filter_num[k] * xd[k]; accf += filter_num_f[k] * xf[k]; }
        for (k = 1; k < FILTER_DEN_LEN; ++k) { accd -= filter_den[k] * yd[k]; accf -= filter_den_f[k] * yf[k]; }
        yd[0] = accd;
        yf[0] = accf;
        printf("d %.17g\nf %.9g\n", accd, (double)accf);
    }
#ifdef FILTER_Q_FRAC_BITS
    {
        int64_t xi[FILTER_NUM_LEN] = {0}, yi[FILTER_DEN_LEN] = {0};
        for (n = 0; n < SAMPLES; ++n) {
            int64_t acc = 0;
            for (k = FILTER_NUM_LEN - 1; k > 0; --k) xi[k] = xi[k - 1];
            for (k = FILTER_DEN_LEN - 1; k > 0; --k) yi[k] = yi[k - 1];
            xi[0] = n == 0 ? one : 0;
            for (k = 0; k < FILTER_NUM_LEN; ++k) acc += filter_num_q[k] * xi[k];
            for (k = 1; k < FILTER_DEN_LEN; ++k) acc -= filter_den_q[k] * yi[k];
            yi[0] = rounded(acc, FILTER_Q_FRAC_BITS);
            printf("i %.17g\n", (double)yi[0] / (double)one);
        }
        for (k = 0; k < FILTER_NUM_LEN; ++k) printf("q %.17g\n", filter_num_q[k] * FILTER_Q_SCALE);
        for (k = 0; k < FILTER_DEN_LEN; ++k) printf("q %.17g\n", filter_den_q[k] * FILTER_Q_SCALE);
    }
#endif
#endif
    return 0;
}
)";

/// The quantized coefficients of the results file in the order of the
/// header's integer arrays: the stages b0, b1, b2, a1, a2 from its section
/// lines, or the direct form (numerator, then denominator).
Poly quantizedInReport(const fs::path& results, bool fir) {
    std::vector<Poly> a, b;
    for (const auto& line : readLines(results)) {
        const auto open = line.find("=[");
        if (open == std::string::npos || (line[0] != 'a' && line[0] != 'b')) {
            continue;
        }
        Poly s;
        std::istringstream values(line.substr(open + 2, line.find(']') - open - 2));
        for (double v; values >> v;) {
            s.push_back(v);
        }
        if (s.size() > 1) {
            s.resize(3, 0.0);
            (line[0] == 'a' ? a : b).push_back(s);
        }
    }
    Poly q;
    if (a.empty() && b.empty()) {
        auto c = readCoefficients(results);
        q = c["a"];
        if (!fir) {
            q.insert(q.end(), c["b"].begin(), c["b"].end());
        }
        return q;
    }
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const Poly num = i < a.size() ? a[i] : Poly{1.0, 0.0, 0.0};
        const Poly den = i < b.size() ? b[i] : Poly{1.0, 0.0, 0.0};
        q.insert(q.end(), {num[0], num[1], num[2], den[1], den[2]});
    }
    return q;
}

TEST_P(ExportOf, CHeaderCompilesAndFiltersAsTheDirectForm) {
    const Exported e(GetParam());
    ASSERT_LE(e.code, 1) << readAll(e.log);
    std::ofstream(e.dir / "main.c") << kFilterProgram;
    const fs::path program = e.dir / "filter";
    const fs::path compiler = e.dir / "compiler.txt";
    ASSERT_EQ(std::system(("cc -std=c99 -Wall -Wextra -Werror -pedantic -I" + e.dir.string() +
                           " -o " + program.string() + " " + (e.dir / "main.c").string() + " > " +
                           compiler.string() + " 2>&1")
                              .c_str()),
              0)
        << readAll(compiler);
    const fs::path output = e.dir / "output.txt";
    ASSERT_EQ(std::system((program.string() + " > " + output.string()).c_str()), 0);
    std::map<char, Poly> got;
    for (const auto& line : readLines(output)) {
        got[line[0]].push_back(std::stod(line.substr(2)));
    }

    auto c = readCoefficients(e.results);
    const Poly h = impulseResponse(c["a"], c["b"].empty() ? Poly{1.0} : c["b"], 256);
    double peak = 0.0;
    for (double v : h) {
        peak = std::max(peak, std::abs(v));
    }
    auto within = [&](char kind, double tolerance) {
        ASSERT_EQ(got[kind].size(), h.size()) << kind;
        double worst = 0.0;
        for (std::size_t n = 0; n < h.size(); ++n) {
            worst = std::max(worst, std::abs(got[kind][n] - h[n]));
        }
        EXPECT_LE(worst, tolerance * peak) << kind << " cascade, peak " << peak;
        std::cout << GetParam().name << ": " << kind << " cascade within " << worst / peak
                  << " of the peak\n";
    };
    within('d', 1e-9);
    within('f', 1e-5);

    const std::string header = readAll(e.header);
    const bool quantized = header.find("FILTER_Q_FRAC_BITS") != std::string::npos;
    EXPECT_EQ(quantized, !got['q'].empty());
    if (quantized) {
        // The integers are the report's quantized coefficients exactly; the
        // integer cascade, fed 2^24, rounds each stage to a whole number, far
        // below the step of the word length.
        EXPECT_EQ(got['q'],
                  quantizedInReport(e.results, header.find("FILTER_TAPS") != std::string::npos));
        const auto bits = header.find("#define FILTER_Q_FRAC_BITS ");
        const int frac = std::stoi(header.substr(bits + 27));
        within('i', std::ldexp(1.0, -frac) / 16);
    }
}

TEST_P(ExportOf, ScriptRunsInOctave) {
    if (std::system("octave-cli --version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "GNU Octave (octave-cli) is not installed; scripts/install-deps check "
                        "installs it";
    }
    const Exported e(GetParam());
    ASSERT_LE(e.code, 1) << readAll(e.log);
    std::ofstream(e.dir / "driver.m")
        << "source('" << e.script.string() << "');\n"
        << "printf('r %d %d %d %d\\n', rows(b), rows(a), columns(sos), rows(sos));\n"
        << "printf('b %.17g\\n', b);\nprintf('a %.17g\\n', a);\nprintf('s %.17g\\n', sos.');\n";
    const fs::path output = e.dir / "octave.txt";
    ASSERT_EQ(std::system(("octave-cli --quiet --norc --no-history " +
                           (e.dir / "driver.m").string() + " > " + output.string() + " 2>&1")
                              .c_str()),
              0)
        << readAll(output);
    std::map<char, Poly> got;
    for (const auto& line : readLines(output)) {
        if (line.size() > 2 && line[1] == ' ') {
            std::istringstream values(line.substr(2));
            for (double v; values >> v;) {
                got[line[0]].push_back(v);
            }
        }
    }
    auto c = readCoefficients(e.results);
    // Row vectors b (numerator) and a (denominator), as the results file has
    // them under the other letters; sos as the sections file has it.
    ASSERT_EQ(got['r'].size(), 4u) << readAll(output);
    EXPECT_EQ(got['r'][0], 1.0);
    EXPECT_EQ(got['r'][1], 1.0);
    EXPECT_EQ(got['r'][2], 6.0);
    if (!c["a"].empty()) {
        EXPECT_EQ(got['b'], c["a"]);
    }
    EXPECT_EQ(got['a'], c["b"].empty() ? Poly{1.0} : c["b"]);
    Poly sos;
    if (GetParam().sections) {
        for (const auto& line : readLines(e.sos)) {
            std::istringstream values(line);
            for (std::string v; std::getline(values, v, ',');) {
                sos.push_back(std::stod(v));
            }
        }
    }
    EXPECT_EQ(got['s'], sos);
    EXPECT_EQ(got['r'][3] * 6, static_cast<double>(sos.size()));
}

INSTANTIATE_TEST_SUITE_P(Tasks, ExportOf, ::testing::ValuesIn(exportTasks()),
                         [](const auto& info) { return info.param.name; });

/// A python3 that has scipy, or nothing.
std::string pythonWithScipy() {
    for (const char* python : {"python3", "/usr/bin/python3"}) {
        if (std::system(
                (std::string(python) + " -c 'import scipy.signal' > /dev/null 2>&1").c_str()) ==
            0) {
            return python;
        }
    }
    return {};
}

TEST(ExportScipyCheck, EveryExamplesSectionsMatchScipy) {
    const std::string python = pythonWithScipy();
    if (python.empty()) {
        GTEST_SKIP() << "no python3 with scipy; scripts/install-deps check installs "
                        "python3-scipy";
    }
    std::vector<std::unique_ptr<Exported>> runs;
    std::string args;
    for (const ExportTask& task : exportTasks()) {
        if (!task.edits.empty()) {
            continue;
        }
        runs.push_back(std::make_unique<Exported>(task));
        ASSERT_LE(runs.back()->code, 1) << readAll(runs.back()->log);
        args += " " + runs.back()->sos.string() + " " + runs.back()->results.string();
    }
    const fs::path log = runs.front()->dir / "check.txt";
    const std::string script = std::string(DOVRA_SOURCE_DIR) + "/tests/core/batch/check_sos.py";
    const int code =
        std::system((python + " " + script + args + " > " + log.string() + " 2>&1").c_str());
    const std::string report = readAll(log);
    std::cout << report;
    EXPECT_EQ(code, 0) << report;
    EXPECT_EQ(static_cast<std::size_t>(std::count(report.begin(), report.end(), '\n')),
              runs.size());
}

// Exports that cannot be written stop the run before it starts: no results
// file, exit status 2, the reason on the console; one that fails after the
// run (a folder gone) ends with 2 while the results file is written.
TEST(ExportRefused, BeforeAnythingIsDesigned) {
    const fs::path dir =
        fs::temp_directory_path() / ("dovra-export-refused-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string lowpass = (kExamples / "lowpass.cfg").string();
    const std::string quantized = (dir / "qdf.cfg").string();
    {
        auto lines = readLines(kExamples / "lowpass-quantized-12bit.cfg");
        lines.at(47) = "0";
        std::ofstream out(quantized);
        for (const auto& l : lines) {
            out << l << '\n';
        }
    }
    const std::string results = (dir / "r.out").string();
    struct Case {
        std::string args;
        std::string message;
    };
    const std::vector<Case> cases{
        {"--export json:" + (dir / "gone" / "x.json").string() + " " + lowpass,
         "the export json:" + (dir / "gone" / "x.json").string() + " cannot be written: "},
        {"--export c:" + dir.string() + " " + lowpass, "Is a directory"},
        {"--export json:" + results + " " + lowpass, "would overwrite the results file"},
        {"--export m:" + lowpass + " " + lowpass, "would overwrite the task file"},
        {"--export c:" + (dir / "a.h").string() + " --export json:" + (dir / "." / "a.h").string() +
             " " + lowpass,
         "would overwrite the export c:"},
        {"--export sos:" + (dir / "q.csv").string() + " " + quantized,
         "quantized as a whole polynomial"},
    };
    for (const Case& c : cases) {
        const fs::path log = dir / "log.txt";
        EXPECT_EQ(
            runBatch("--seed 1 -o " + results + " " + c.args + " > " + log.string() + " 2>&1"), 2)
            << c.args;
        const std::string text = readAll(log);
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
        EXPECT_NE(text.find("; nothing designed"), std::string::npos) << text;
        EXPECT_EQ(text.find("generation "), std::string::npos) << text;
        EXPECT_FALSE(fs::exists(results)) << c.args;
    }
    EXPECT_FALSE(fs::exists(dir / "a.h"));
    EXPECT_FALSE(fs::exists(dir / "q.csv"));
    fs::remove_all(dir);
}

} // namespace
