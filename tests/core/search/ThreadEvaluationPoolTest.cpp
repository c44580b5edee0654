// The evaluation pool: every item of a batch is computed exactly once, only
// after it was published, by a worker of the pool, whatever the number of
// threads, the size of the batch or how long the workers slept before it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "search/EvaluationPool.h"

namespace {

using dovra::EvaluationPool;

TEST(EvaluationPool, EachPublishedItemOnceOnAnyNumberOfThreads) {
    for (const int threads : {1, 2, 4}) {
        EvaluationPool pool(threads);
        std::vector<std::atomic<int>> calls(64);
        std::atomic<int> published{0};
        std::atomic<bool> early{false}, badWorker{false};
        auto job = [&](int worker, int item) {
            if (item >= published.load()) {
                early = true;
            }
            if (worker < 0 || worker >= threads) {
                badWorker = true;
            }
            ++calls[static_cast<std::size_t>(item)];
        };
        int batch = 0;
        for (const int count : {0, 1, 2, 7, 30, 61, 30, 1}) {
            for (auto& c : calls) {
                c = 0;
            }
            published = 0;
            if (batch++ == 5) {
                // Long enough for the idle workers to go to sleep.
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            pool.begin(count, job);
            // Items are handed over one by one, as the trials are built.
            for (int i = 0; i < count; ++i) {
                published = i + 1;
                pool.publish(i + 1);
            }
            pool.finish();
            for (int i = 0; i < 64; ++i) {
                EXPECT_EQ(calls[static_cast<std::size_t>(i)].load(), i < count ? 1 : 0)
                    << threads << " threads, " << count << " items, item " << i;
            }
        }
        EXPECT_FALSE(early) << threads << " threads: an item was computed before it was published";
        EXPECT_FALSE(badWorker) << threads << " threads";
    }
}

} // namespace
