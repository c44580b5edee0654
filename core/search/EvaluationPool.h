#pragma once
// The worker threads that compute the costs of a batch of trial vectors for
// the design thread. Made once per run and kept between generations: a batch
// starts no thread and allocates nothing. The design thread takes part in
// every batch as worker 0, so a pool of n threads starts n - 1.
//
// A batch is begun before its items exist: the design thread publishes the
// items as it builds them (publish), and the workers compute the ones
// published while it builds the rest, so building and costing overlap.
// Items are handed out one at a time from a shared ticket; which thread takes
// an item does not matter, because every result goes into the item's own
// slot and the caller reads them in item order after finish.
//
// A generation lasts tens of microseconds, about as long as waking a sleeping
// thread, so an idle worker first spins for a while before it sleeps.

#include <atomic>
#include <cstdint>
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

    /// Begins a batch of count items: job(worker, item) will be called once
    /// for each item in [0, count), with worker in [0, threads()), once the
    /// item is published. job must stay alive until finish and must not throw.
    template <class Job> void begin(int count, Job& job) {
        beginErased(count, &job,
                    [](void* j, int worker, int item) { (*static_cast<Job*>(j))(worker, item); });
    }
    /// Items [0, n) are ready to be computed (n only grows within a batch).
    void publish(int n) { ready_.store(n, std::memory_order_release); }
    /// Publishes every item, computes on the calling thread as well, and
    /// returns when every item of the batch is done.
    void finish();

  private:
    using Call = void (*)(void*, int, int);
    void beginErased(int count, void* job, Call call);
    void work(int worker);
    /// Takes and computes items of batch `epoch` until none is left.
    void drain(int worker, std::uint32_t epoch);

    // The batch in progress: its epoch in the upper half of the ticket, the
    // next item to hand out in the lower half. The counters that different
    // threads write lie on cache lines of their own.
    alignas(64) std::atomic<std::uint64_t> ticket_{0};
    std::atomic<int> count_{0};
    alignas(64) std::atomic<int> ready_{0};
    alignas(64) std::atomic<int> done_{0};
    alignas(64) void* job_ = nullptr;
    Call call_ = nullptr;
    std::atomic<bool> ending_{false};
    std::vector<std::thread> workers_;
};

} // namespace dovra
