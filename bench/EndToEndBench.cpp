// Wall time from Start to "Design successful" of the lowpass example, through
// the same runner as dovra-batch, for the seeds 1 to 10: median and range.

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

void endToEnd(benchmark::State& state, const std::string& example) {
    namespace fs = std::filesystem;
    fs::path results = fs::temp_directory_path() / ("dovra-bench-" + std::to_string(::getpid()));
    std::vector<double> seconds;
    int successes = 0;
    for (auto _ : state) {
        seconds.clear();
        successes = 0;
        for (int seed = 1; seed <= 10; ++seed) {
            dovra::batch::BatchOptions o;
            o.config = std::string(DOVRA_SOURCE_DIR) + "/examples/" + example;
            o.results = results.string();
            o.seed = seed;
            o.quiet = true;
            std::ostringstream out, err;
            auto t0 = std::chrono::steady_clock::now();
            int rc = dovra::batch::runBatch(o, out, err);
            seconds.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
            successes += rc == dovra::batch::kSuccess;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    state.counters["median_s"] = (seconds[4] + seconds[5]) / 2;
    state.counters["min_s"] = seconds.front();
    state.counters["max_s"] = seconds.back();
    state.counters["successes_of_10"] = successes;
    fs::remove(results);
}

} // namespace

int main(int argc, char** argv) {
    for (const char* ex : {"lowpass.cfg", "lowpass-group-delay.cfg", "lowpass-quantized-12bit.cfg",
                           "allpass-equaliser.cfg"}) {
        std::string name = std::string("to_success/") + ex;
        name = name.substr(0, name.find('.'));
        benchmark::RegisterBenchmark(name.c_str(), [ex](benchmark::State& st) { endToEnd(st, ex); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
