// Throughput of the cost function on the example tasks at the three sampling
// granularities, side by side with the term-by-term reference form (its own
// sine and cosine for every term of every sum), which is kept only as the
// baseline. The time of the reference is that of its double form. Its sums
// are also formed in long double, and that value is what the fast form is
// compared with: `rel_diff` is the largest relative difference of the fast
// cost to it, `literal_err` that of the double reference form, which at high
// degrees is itself several 1e-9 off.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/problem/LiteralCost.h"
#include "problem/IIR.h"
#include "search/DERandom.h"

namespace {

using namespace dovra;

struct Case {
    std::string example;
    std::string granularity;
    int degree; // 0: the example's own realization; else N = M = degree
};

// Parameter vectors drawn inside the radius restrictions of the task.
std::vector<ParamVector> drawVectors(DEProblem& p, DesignSession& s, int count) {
    DERandom rnd(12345);
    std::vector<ParamVector> v(static_cast<std::size_t>(count));
    const double pole = std::min(0.95, s.getPoleRadiusRestr());
    for (auto& x : v) {
        for (int j = 0; j < p.getLength(); ++j) {
            double value = rnd.nextValue(2.0);
            if (j >= p.get_zr_start() && j <= p.get_zr_stop() && p.get_zr_stop() > 0) {
                value = rnd.nextValue(1.5);
            }
            if ((j >= p.get_pr_start() && j <= p.get_pr_stop() && p.denomDeg() > 0) ||
                (j >= p.get_zar_start() && j <= p.get_zar_stop() && p.allpassPairs() > 0)) {
                value = rnd.nextValue(pole);
            }
            x[static_cast<std::size_t>(j)] = value;
        }
    }
    return v;
}

struct Prepared {
    bench::QuietSession q;
    IIR* problem = nullptr;
    literal::Scheme scheme;
    std::vector<ParamVector> vectors;
};

std::unique_ptr<Prepared> prepareCase(const Case& c) {
    auto pr = std::make_unique<Prepared>();
    DesignSession& s = pr->q.session;
    bench::loadExample(s, c.example);
    s.setSamplingGranularity(c.granularity);
    if (c.degree > 0) {
        s.setNumDeg(c.degree);
        s.setDenomDeg(c.degree);
    }
    pr->problem = &bench::prepare(pr->q);
    pr->scheme = literal::readScheme(s);
    pr->vectors = drawVectors(*pr->problem, s, 64);
    return pr;
}

void runFast(benchmark::State& state, const Case& c) {
    auto pr = prepareCase(c);
    std::size_t i = 0;
    // Differences of the fast form and of the double reference form to the
    // reference sums formed in long double.
    double maxRel = 0.0, literalErr = 0.0;
    auto rel = [](double a, double b) {
        double scale = std::max({std::fabs(a), std::fabs(b), 1e-300});
        return a == b ? 0.0 : std::fabs(a - b) / scale;
    };
    for (const auto& x : pr->vectors) {
        CostVector fast = pr->problem->evaluate(x, pr->problem->getLength());
        CostVector ref = literal::evaluate(*pr->problem, pr->scheme, x, 0).cost;
        CostVector precise = literal::evaluate<long double>(*pr->problem, pr->scheme, x, 0).cost;
        for (std::size_t k = 0; k < 3; ++k) {
            maxRel = std::max(maxRel, rel(fast[k], precise[k]));
            literalErr = std::max(literalErr, rel(ref[k], precise[k]));
        }
    }
    for (auto _ : state) {
        const auto& x = pr->vectors[i++ % pr->vectors.size()];
        benchmark::DoNotOptimize(pr->problem->evaluate(x, pr->problem->getLength()));
    }
    state.counters["rel_diff"] = maxRel;
    state.counters["literal_err"] = literalErr;
    state.counters["degree"] = pr->problem->get_a_degree();
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void runLiteral(benchmark::State& state, const Case& c) {
    auto pr = prepareCase(c);
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& x = pr->vectors[i++ % pr->vectors.size()];
        benchmark::DoNotOptimize(literal::evaluate(*pr->problem, pr->scheme, x, 0));
    }
    state.counters["degree"] = pr->problem->get_a_degree();
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void registerAll() {
    std::vector<Case> cases;
    for (const char* ex : {"lowpass.cfg", "lowpass-group-delay.cfg", "lowpass-quantized-12bit.cfg",
                           "allpass-equaliser.cfg"}) {
        for (const char* g : {"coarse", "medium", "fine"}) {
            cases.push_back({ex, g, 0});
        }
    }
    for (int d : {8, 16, 32}) {
        cases.push_back({"lowpass-group-delay.cfg", "fine", d});
    }
    for (const auto& c : cases) {
        std::string name = c.example.substr(0, c.example.find('.')) + "/" + c.granularity;
        if (c.degree > 0) {
            name += "/degree" + std::to_string(c.degree);
        }
        benchmark::RegisterBenchmark(("evaluate/" + name).c_str(),
                                     [c](benchmark::State& st) { runFast(st, c); });
        benchmark::RegisterBenchmark(("literal/" + name).c_str(),
                                     [c](benchmark::State& st) { runLiteral(st, c); });
    }
}

} // namespace

int main(int argc, char** argv) {
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
