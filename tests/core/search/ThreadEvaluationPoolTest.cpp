// The evaluation pool: every item of a batch is computed exactly once, only
// after it was published, by a worker of the pool, whatever the number of
// threads, the size of the batch or how long the workers slept before it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
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

// A helper that is slow (preempted, or on a busy core) does not hold the
// batch back: the calling thread takes every item that no helper has reached
// yet, also those that lie between items the other helpers took. With three
// helpers of which one takes 50 ms per item, a batch of 30 quick items ends
// with that helper having done only the items it began before the caller
// came round, not its share of ten.
TEST(EvaluationPool, ASlowHelperLeavesItsUnreachedItemsToTheCaller) {
    EvaluationPool pool(4);
    std::vector<std::atomic<int>> calls(30);
    std::atomic<int> slowItems{0};
    auto job = [&](int worker, int item) {
        if (worker == 1) {
            ++slowItems;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ++calls[static_cast<std::size_t>(item)];
    };
    for (int batch = 0; batch < 3; ++batch) {
        for (auto& c : calls) {
            c = 0;
        }
        slowItems = 0;
        // Items handed over one by one, as trials are built: the helpers
        // take theirs while the caller is still publishing.
        pool.begin(30, job);
        for (int i = 0; i < 30; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            pool.publish(i + 1);
        }
        pool.finish();
        for (int i = 0; i < 30; ++i) {
            EXPECT_EQ(calls[static_cast<std::size_t>(i)].load(), 1)
                << "batch " << batch << ", item " << i;
        }
        // Its share would be 10: it begins item 0 while the caller is still
        // publishing, and at most a couple more if the caller is preempted.
        EXPECT_LE(slowItems.load(), 3) << "batch " << batch;
    }
}

// Batches of quick items that differ in size by one, as a generation and the
// rescoring of the population with the best vector do: the calling thread
// often takes a whole batch before its helper comes round, and a helper that
// still looks at the last batch must never take an item of the next one,
// also when a larger batch has just replaced the claims it reads. Every item
// is done once, and done before finish returns. Several pools run at once,
// one of them with two helpers, so that threads are preempted at every
// point of a hand-over.
TEST(EvaluationPool, BackToBackBatchesOfQuickItemsEachItemOnceBeforeFinish) {
    constexpr int kPools = 3;
#if defined(__SANITIZE_THREAD__)
    constexpr int kBatches = 100000;
#else
    constexpr int kBatches = 400000;
#endif
    // Now and then a batch larger than any before.
    constexpr int kGrowEvery = kBatches / 4;
    constexpr int kMaxCount = 31 << 3;
    std::vector<std::string> failures(kPools);
    std::vector<std::thread> callers;
    for (int p = 0; p < kPools; ++p) {
        callers.emplace_back([&failure = failures[static_cast<std::size_t>(p)], p] {
            EvaluationPool pool(p == 0 ? 3 : 2);
            std::vector<std::atomic<int>> calls(kMaxCount);
            auto job = [&](int, int item) { calls[static_cast<std::size_t>(item)].fetch_add(1); };
            for (int batch = 0; batch < kBatches && failure.empty(); ++batch) {
                const int count = batch % kGrowEvery == kGrowEvery - 1 ? 31 << (batch / kGrowEvery)
                                                                       : 30 + batch % 2;
                for (auto& c : calls) {
                    c.store(0);
                }
                pool.begin(count, job);
                pool.finish();
                for (int i = 0; i < kMaxCount && failure.empty(); ++i) {
                    const int done = calls[static_cast<std::size_t>(i)].load();
                    if (done != (i < count ? 1 : 0)) {
                        failure = "batch " + std::to_string(batch) + " of " +
                                  std::to_string(count) + " items: item " + std::to_string(i) +
                                  " done " + std::to_string(done) + " times at finish";
                    }
                }
            }
        });
    }
    for (std::thread& t : callers) {
        t.join();
    }
    for (const std::string& f : failures) {
        EXPECT_EQ(f, "");
    }
}

} // namespace
