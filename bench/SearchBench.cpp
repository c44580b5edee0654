// Speed of the whole search against the limit loop, in one run: evaluations
// per second of the Z-plane search (trial vectors, bounds check, coefficient
// build, cost and selection) on one and on two threads, beside the limit loop
// (LimitLoop.cpp, built for this processor) on the same samples and degrees.
// The task never succeeds (its lower passband limit lies above its upper
// one), so every run does the same generations.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "BatchRunner.h"
#include "BenchSupport.h"
#include "LimitLoop.h"
#include "problem/CostKernels.h"
#include "search/DERandom.h"

namespace {

using namespace dovra;
using Clock = std::chrono::steady_clock;

struct Case {
    int degree;
    const char* granularity;
};

/// The lowpass example with its lower passband limit rising to 1 dB at the
/// band edge, above the upper limit of 0.5 dB from 0.133 on: no filter meets
/// it, while most samples of a good filter lie within their limits, as in a
/// search that comes close.
std::string unmeetableTask() {
    std::ifstream in(bench::examplePath("lowpass.cfg"));
    std::stringstream text;
    text << in.rdbuf();
    std::string s = text.str();
    const auto at = s.rfind("\n-0.5\n");
    s.replace(at, 6, "\n1.0\n");
    const auto path = std::filesystem::temp_directory_path() /
                      ("dovra-bench-unmeetable-" + std::to_string(::getpid()) + ".cfg");
    std::ofstream(path) << s;
    return path.string();
}

void configure(DesignSession& s, const std::string& task, const Case& c) {
    openDatabase(s, task);
    s.setNumDeg(c.degree);
    s.setDenomDeg(c.degree);
    s.setSamplingGranularity(c.granularity);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/// Evaluations per second of one run of the search on the task, over 0.3 s
/// after its first 1000 generations.
double searchRate(const std::string& task, const Case& c, int threads) {
    std::ostringstream out, err;
    DesignSession session(out, err);
    configure(session, task, c);
    session.setSeed(1);
    session.optimizer().setThreads(threads);
    session.start_Design();
    // Past the random start: the population has come close.
    while (session.optimizer().snapshot().generation < 1000) {
        session.start_FilterDesign();
    }
    const int first = session.optimizer().snapshot().evaluation;
    const auto t0 = Clock::now();
    double elapsed = 0.0;
    while (elapsed < 0.3) {
        for (int k = 0; k < 20; ++k) {
            session.start_FilterDesign();
        }
        elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    }
    return (session.optimizer().snapshot().evaluation - first) / elapsed;
}

/// The limit loop on the task's magnitude samples with the coefficients of
/// 64 random vectors.
class LimitLoopRun {
  public:
    LimitLoopRun(const std::string& task, const Case& c) {
        configure(q_.session, task, c);
        IIR& p = bench::prepare(q_);
        p.prepareEvaluation();
        for (int t = 0; t < 2; ++t) {
            const auto& st = p.sampledTable(t);
            for (int k = 0; k < st.count; ++k) {
                const auto u = static_cast<std::size_t>(k);
                zr_.push_back(st.zRe[u]);
                zi_.push_back(st.zIm[u]);
                limit_.push_back(st.limit[u]);
                sign_.push_back(t == 0 ? 1.0 : -1.0);
            }
        }
        DERandom rnd(12345);
        for (int v = 0; v < 64; ++v) {
            ParamVector x{};
            for (int j = 0; j < p.getLength(); ++j) {
                x[static_cast<std::size_t>(j)] = rnd.nextValue(0.9);
            }
            as_.push_back(p.coeffi_a(x, -1, 0));
            bs_.push_back(p.coeffi_b(x, -1, 0));
        }
        na_ = p.get_a_degree();
        nb_ = p.get_b_degree();
    }

    int samples() const { return static_cast<int>(zr_.size()); }

    /// Evaluations per second over 0.3 s.
    double rate() {
        const bench::LimitGrid grid{zr_.data(), zi_.data(), limit_.data(), sign_.data(), samples()};
        double sink = 0.0;
        long count = 0;
        const auto t0 = Clock::now();
        double elapsed = 0.0;
        while (elapsed < 0.3) {
            for (std::size_t v = 0; v < as_.size(); ++v, ++count) {
                sink += bench::limitLoop(as_[v].data(), na_, bs_[v].data(), nb_, grid);
            }
            elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
        }
        benchmark::DoNotOptimize(sink);
        return static_cast<double>(count) / elapsed;
    }

  private:
    bench::QuietSession q_;
    std::vector<double> zr_, zi_, limit_, sign_;
    std::vector<Coefficients> as_, bs_;
    int na_ = 0, nb_ = 0;
};

/// Medians over five rounds; each round runs the search on one thread, on
/// two and the limit loop, in an order that rotates from round to round. A
/// ratio is taken within a round, between runs made side by side, so that a
/// slower or faster stretch of the machine does not fall on one side of it.
struct Rates {
    double one = 0.0, two = 0.0, limit = 0.0;
    double oneToLimit = 0.0, twoToOne = 0.0;
    int samples = 0;
};

Rates measure(const std::string& task, const Case& c) {
    LimitLoopRun loop(task, c);
    std::vector<double> one, two, limit, oneToLimit, twoToOne;
    for (int round = 0; round < 5; ++round) {
        double r[3] = {};
        for (int k = 0; k < 3; ++k) {
            const int which = (round + k) % 3;
            r[which] = which == 2 ? loop.rate() : searchRate(task, c, which + 1);
        }
        one.push_back(r[0]);
        two.push_back(r[1]);
        limit.push_back(r[2]);
        oneToLimit.push_back(r[0] / r[2]);
        twoToOne.push_back(r[1] / r[0]);
    }
    return {median(one),        median(two),      median(limit),
            median(oneToLimit), median(twoToOne), loop.samples()};
}

void searchAgainstLimitLoop(benchmark::State& state, const Case& c) {
    const std::string task = unmeetableTask();
    Rates r;
    for (auto _ : state) {
        r = measure(task, c);
    }
    std::filesystem::remove(task);
    state.counters["search_1_thread_per_s"] = r.one;
    state.counters["search_2_threads_per_s"] = r.two;
    state.counters["limit_loop_per_s"] = r.limit;
    std::printf("%2d zeros / %2d poles, %3d samples: search %7.0f k/s (1 thread), %7.0f k/s "
                "(2 threads), limit loop %7.0f k/s; 1 thread / limit loop %.2f, 2 threads / 1 "
                "thread %.2f  [kernels: %s]\n",
                c.degree, c.degree, r.samples, r.one / 1e3, r.two / 1e3, r.limit / 1e3,
                r.oneToLimit, r.twoToOne, kernels::targetName());
}

/// Time to success of one search and of a portfolio of four on the task that
/// stalls (bench/tasks), for the seeds 1 to 5, each run capped at 20000
/// generations.
void portfolioOnStallingTask(benchmark::State& state) {
    const std::string task = std::string(DOVRA_SOURCE_DIR) + "/bench/tasks/flat-delay-fir20.cfg";
    const auto results = std::filesystem::temp_directory_path() /
                         ("dovra-bench-portfolio-" + std::to_string(::getpid()) + ".out");
    for (auto _ : state) {
        for (const int searches : {1, 4}) {
            std::vector<double> seconds;
            int successes = 0;
            for (int seed = 1; seed <= 5; ++seed) {
                dovra::batch::BatchOptions o;
                o.config = task;
                o.results = results.string();
                o.seed = seed;
                o.quiet = true;
                o.maxGenerations = 20000;
                o.portfolio = searches;
                std::ostringstream out, err;
                const auto t0 = Clock::now();
                successes += dovra::batch::runBatch(o, out, err) == dovra::batch::kSuccess;
                seconds.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
            }
            state.counters["successes_of_5_with_" + std::to_string(searches)] = successes;
            std::printf("stalling task, %d search%s: %d of 5 seeds met, median %.2f s "
                        "(capped at 20000 generations)\n",
                        searches, searches == 1 ? "" : "es", successes, median(seconds));
        }
    }
    std::filesystem::remove(results);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("portfolio/stalling_task", portfolioOnStallingTask)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    for (Case c : {Case{6, "coarse"}, Case{6, "fine"}, Case{16, "fine"}}) {
        const std::string name =
            "search/" + std::to_string(c.degree) + "_" + std::string(c.granularity);
        benchmark::RegisterBenchmark(name.c_str(),
                                     [c](benchmark::State& st) { searchAgainstLimitLoop(st, c); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
