// The whole constraint-based design of the lowpass example (every bisection
// step: grid, program and simplex), and the same sequence of linear programs
// solved by HiGHS through scipy.optimize.linprog, reported as a ratio in one
// run. The programs go to a binary file that bench/highs_lp_sequence.py reads;
// only the linprog calls are timed there. Both sides are timed in processor
// time of their process, so other load on the machine does not enter the ratio.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "design/Meteor.h"

namespace dovra::bench {
namespace {

struct Sink : StatusSink {
    std::vector<int> counts;
    void setStatus(const std::string& text) override {
        // "Trying filterorder L ..." with L = 2 m - 1.
        int length = 0;
        if (std::sscanf(text.c_str(), "Trying filterorder %d", &length) == 1) {
            counts.push_back((length + 1) / 2);
        }
    }
};

Data lowpassRecord() {
    QuietSession q;
    if (!loadExample(q.session, "lowpass.cfg")) {
        std::cerr << "cannot load examples/lowpass.cfg\n";
        std::exit(1);
    }
    DEProblem& p = prepare(q);
    p.load_fixed_filter(q.session.runInput(), q.session.console(), 1);
    p.parseToleranceScheme();
    return p.data();
}

/// One whole design; the coefficient counts it tried.
std::vector<int> design(const Data& d) {
    Meteor m(false);
    Sink sink;
    for (DesignOutcome o; !o.finished;) {
        o = m.step({d, sink});
    }
    return sink.counts;
}

void BM_MeteorLowpassDesign(benchmark::State& state) {
    const Data d = lowpassRecord();
    for (auto _ : state) {
        benchmark::DoNotOptimize(design(d));
    }
}
BENCHMARK(BM_MeteorLowpassDesign)->Unit(benchmark::kMillisecond);

double medianSeconds(const Data& d, int repeats) {
    std::vector<double> times;
    for (int r = 0; r < repeats; ++r) {
        const std::clock_t start = std::clock();
        benchmark::DoNotOptimize(design(d));
        times.push_back(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

/// Writes the programs: per program m, columns, then rhs and the (m + 1) x
/// columns matrix row by row, all as doubles.
void writePrograms(const Data& d, const std::vector<int>& counts, const std::string& path) {
    const MeteorSpec spec = std::get<MeteorSpec>(meteorSpec(d, false));
    std::ofstream out(path, std::ios::binary);
    for (int m : counts) {
        const LinearProgram lp = meteorProgram(spec, m);
        const std::array<double, 2> head{static_cast<double>(m), static_cast<double>(lp.columns)};
        out.write(reinterpret_cast<const char*>(head.data()), sizeof head);
        out.write(reinterpret_cast<const char*>(lp.rhs.data()),
                  static_cast<std::streamsize>(lp.rhs.size() * sizeof(double)));
        out.write(reinterpret_cast<const char*>(lp.a.data()),
                  static_cast<std::streamsize>(lp.a.size() * sizeof(double)));
    }
}

void compareWithHighs() {
    const Data d = lowpassRecord();
    const std::vector<int> counts = design(d);
    const int repeats = 5;
    const double ours = medianSeconds(d, repeats);
    const std::string path =
        (std::filesystem::temp_directory_path() / "dovra_meteor_lps.bin").string();
    writePrograms(d, counts, path);
    const std::string command = "/usr/bin/python3 " + std::string(DOVRA_SOURCE_DIR) +
                                "/bench/highs_lp_sequence.py " + path + " " +
                                std::to_string(repeats);
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    double highs = 0.0;
    if (!pipe || std::fscanf(pipe.get(), "%lf", &highs) != 1 || highs <= 0.0) {
        std::cout << "HiGHS comparison not run (needs /usr/bin/python3 with scipy)\n";
        return;
    }
    std::cout << "Constraint-based design of examples/lowpass.cfg: " << counts.size()
              << " linear programs, coefficient counts";
    for (int m : counts) {
        std::cout << ' ' << m;
    }
    std::cout << "\n  Dovra whole design, CPU time (median of " << repeats << "): " << ours * 1e3
              << " ms\n  HiGHS via scipy.optimize.linprog, same programs, CPU time (median of "
              << repeats << "): " << highs * 1e3 << " ms\n  ratio Dovra / HiGHS: " << ours / highs
              << "\n";
    std::filesystem::remove(path);
}

} // namespace
} // namespace dovra::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    dovra::bench::compareWithHighs();
    return 0;
}
