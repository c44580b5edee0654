// Wall time from Start to the end of a Z-plane run of each search example,
// through the same runner as dovra-batch, for the seeds 1 to 5: by default
// (the samples refined until the scheme is met between them) and with
// --sampled-only (the run ends as soon as its samples are met), side by side
// in one run, with the ratio of the two medians.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "BatchRunner.h"

namespace {

struct Timing {
    double median = 0.0, min = 0.0, max = 0.0;
    int successes = 0;
};

/// Median and range over the seeds 1 to 5; a success is exit status 0 by
/// default and the end on met samples (exit 0 or 1) with --sampled-only.
Timing timeRuns(const std::string& example, bool sampledOnly) {
    namespace fs = std::filesystem;
    const fs::path results =
        fs::temp_directory_path() / ("dovra-bench-" + std::to_string(::getpid()));
    std::vector<double> seconds;
    Timing t;
    for (int seed = 1; seed <= 5; ++seed) {
        dovra::batch::BatchOptions o;
        o.config = std::string(DOVRA_SOURCE_DIR) + "/examples/" + example;
        o.results = results.string();
        o.seed = seed;
        o.quiet = true;
        o.sampledOnly = sampledOnly;
        std::ostringstream out, err;
        const auto t0 = std::chrono::steady_clock::now();
        const int rc = dovra::batch::runBatch(o, out, err);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        const bool metSamples = err.str().find("Stopped:") == std::string::npos;
        t.successes += sampledOnly ? (metSamples && rc != 2) : rc == dovra::batch::kSuccess;
    }
    fs::remove(results);
    std::sort(seconds.begin(), seconds.end());
    t.median = seconds[2];
    t.min = seconds.front();
    t.max = seconds.back();
    return t;
}

void refinedAgainstSampled(benchmark::State& state, const std::string& example) {
    Timing refined, sampled;
    for (auto _ : state) {
        refined = timeRuns(example, false);
        sampled = timeRuns(example, true);
    }
    state.counters["refined_median_s"] = refined.median;
    state.counters["sampled_only_median_s"] = sampled.median;
    state.counters["ratio"] = refined.median / sampled.median;
    state.counters["refined_successes_of_5"] = refined.successes;
    state.counters["sampled_only_ends_of_5"] = sampled.successes;
    std::printf("%-28s refined %8.4f s (%.4f..%.4f)  sampled-only %8.4f s (%.4f..%.4f)  "
                "ratio %.2f\n",
                example.c_str(), refined.median, refined.min, refined.max, sampled.median,
                sampled.min, sampled.max, refined.median / sampled.median);
}

} // namespace

int main(int argc, char** argv) {
    for (const char* ex : {"lowpass.cfg", "lowpass-group-delay.cfg", "lowpass-quantized-12bit.cfg",
                           "allpass-equaliser.cfg"}) {
        std::string name = std::string("to_success/") + ex;
        name = name.substr(0, name.find('.'));
        benchmark::RegisterBenchmark(name.c_str(),
                                     [ex](benchmark::State& st) { refinedAgainstSampled(st, ex); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
