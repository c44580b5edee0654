#pragma once
// The worker threads that compute the costs of a batch of trial vectors for
// the design thread. Made once per run and kept between generations: a batch
// starts no thread, and allocates nothing within the room made by reserve.
// The design thread takes part in every batch as worker 0, so a pool of n
// threads starts n - 1 helpers.
//
// A batch is begun before its items exist: the design thread publishes the
// items as it builds them (publish), and the helpers compute the ones
// published while it builds the rest, so building and costing overlap.
// Helper w takes items w - 1, w - 1 + h, w - 1 + 2h, ... (h helpers) from the
// front while the design thread, done building, takes the rest from the back
// down to where they meet. Each item is claimed on a cache line of its own,
// and the same thread claims the same items batch after batch, so a claim
// seldom moves a cache line between cores, and the last item of a batch is
// a single one. Which thread takes an item does not matter: every result
// goes into the item's own slot and the caller reads them in item order.
//
// A generation lasts tens of microseconds, about as long as waking a sleeping
// thread, so an idle helper first spins for a while before it sleeps.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace dovra {

class EvaluationPool {
  public:
    /// A pool of `threads` evaluating threads (at least 1: the caller only).
    explicit EvaluationPool(int threads);
    /// Tells the helpers to end and joins them.
    ~EvaluationPool();
    EvaluationPool(const EvaluationPool&) = delete;
    EvaluationPool& operator=(const EvaluationPool&) = delete;

    int threads() const { return static_cast<int>(workers_.size()) + 1; }

    /// Begins a batch of count items: job(worker, item) will be called once
    /// for each item in [0, count), with worker in [0, threads()), once the
    /// item is published. job must stay alive until finish and must not
    /// throw. The batch before must be finished (awaitAll); count is below
    /// 2^24 (populations are far smaller).
    template <class Job> void begin(int count, Job& job) {
        beginErased(count, &job,
                    [](void* j, int worker, int item) { (*static_cast<Job*>(j))(worker, item); });
    }
    /// Items [0, n) are ready to be computed (n only grows within a batch).
    void publish(int n) { ready_.store(n, std::memory_order_release); }
    /// Publishes every item, computes on the calling thread as well, and
    /// returns when every item of the batch is done.
    void finish() {
        computeRest();
        awaitAll();
    }
    /// Publishes every item and computes on the calling thread until no item
    /// is left to take; helpers may still be computing theirs.
    void computeRest();
    /// Returns when every item of the batch is done.
    void awaitAll();
    /// Makes room for batches of up to count items, so that beginning one
    /// allocates nothing. Between batches only.
    void reserve(int count);
    /// A short pause of a thread that spins, easing the core for its sibling.
    static void relax();

  private:
    using Call = void (*)(void*, int, int);
    /// The claim of one item: the number of the last batch in which a thread
    /// took it. Batch numbers only grow, so a claim of an earlier batch
    /// frees the item and no thread still looking at an earlier batch can
    /// take it.
    struct alignas(64) Claim {
        std::atomic<std::uint64_t> mark{0};
    };
    void beginErased(int count, void* job, Call call);
    void work(int worker);
    /// Takes and computes items of the batch of `state` until none is left.
    void drain(int worker, std::uint64_t state);

    // The batch in progress: its number in the upper 40 bits and its count
    // in the lower 24, read together so that a helper never pairs a count
    // with another batch. The counters that different threads write lie on
    // cache lines of their own.
    alignas(64) std::atomic<std::uint64_t> state_{0};
    alignas(64) std::atomic<int> ready_{0};
    alignas(64) std::atomic<int> done_{0};
    alignas(64) void* job_ = nullptr;
    Call call_ = nullptr;
    // The claims of the items. A larger array replaces a smaller one set up
    // as claimed in the last batch; the smaller ones stay until the pool
    // ends, since a helper that still looks at an earlier batch may read one.
    std::atomic<Claim*> claims_{nullptr};
    int capacity_ = 0;
    std::vector<std::unique_ptr<Claim[]>> claimArrays_;
    std::atomic<bool> ending_{false};
    std::vector<std::thread> workers_;
};

} // namespace dovra
