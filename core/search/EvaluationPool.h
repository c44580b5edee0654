#pragma once
// The worker threads that compute the costs of a batch of trial vectors for
// the design thread. Made once per run and kept between generations: a batch
// starts no thread and allocates nothing. The design thread takes part in
// every batch as worker 0, so a pool of n threads starts n - 1.
//
// Items are handed out one at a time from a shared counter; which thread
// takes an item does not matter, because every result goes into the item's
// own slot and the caller reads them in item order afterwards.

#include <atomic>
#include <barrier>
#include <thread>
#include <vector>

namespace dovra {

class EvaluationPool {
  public:
    /// A pool of `threads` evaluating threads (at least 1: the caller only).
    explicit EvaluationPool(int threads);
    /// Tells the workers to end and joins them.
    ~EvaluationPool();
    EvaluationPool(const EvaluationPool&) = delete;
    EvaluationPool& operator=(const EvaluationPool&) = delete;

    int threads() const { return static_cast<int>(workers_.size()) + 1; }

    /// Calls job(worker, item) once for every item in [0, count), spread over
    /// the pool's threads (worker in [0, threads())), and returns when all are
    /// done. The job must not throw.
    template <class Job> void run(int count, Job& job) {
        runErased(count, &job,
                  [](void* j, int worker, int item) { (*static_cast<Job*>(j))(worker, item); });
    }

  private:
    using Call = void (*)(void*, int, int);
    void runErased(int count, void* job, Call call);
    void work(int worker);
    void drain(int worker);

    // The batch in progress, written by the caller before the start barrier.
    void* job_ = nullptr;
    Call call_ = nullptr;
    int count_ = 0;
    std::atomic<int> next_{0};
    bool ending_ = false;
    std::barrier<> start_;
    std::barrier<> finish_;
    std::vector<std::thread> workers_;
};

} // namespace dovra
