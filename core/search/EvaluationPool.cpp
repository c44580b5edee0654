#include "search/EvaluationPool.h"

#include <algorithm>

namespace dovra {

namespace {

/// Pauses an idle helper spins through before it sleeps: a tenth of a
/// millisecond or more, longer than the gap between two generations.
constexpr int kSpins = 1 << 12;

/// The batch state: batch number above, item count in the low 24 bits
/// (populations stay far below 2^24 items; the 40 bits of batch numbers
/// last for years of generations).
constexpr int kCountBits = 24;
constexpr std::uint64_t kCountMask = (std::uint64_t{1} << kCountBits) - 1;

std::uint64_t batchOf(std::uint64_t state) {
    return state >> kCountBits;
}
int countOf(std::uint64_t state) {
    return static_cast<int>(state & kCountMask);
}

} // namespace

void EvaluationPool::relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

EvaluationPool::EvaluationPool(int threads) {
    const int helpers = std::max(threads, 1) - 1;
    workers_.reserve(static_cast<std::size_t>(helpers));
    for (int w = 1; w <= helpers; ++w) {
        workers_.emplace_back([this, w] { work(w); });
    }
}

EvaluationPool::~EvaluationPool() {
    ending_.store(true, std::memory_order_release);
    // A new batch number wakes the sleeping helpers; they see the flag and end.
    state_.fetch_add(std::uint64_t{1} << kCountBits, std::memory_order_acq_rel);
    state_.notify_all();
    for (std::thread& t : workers_) {
        t.join();
    }
}

void EvaluationPool::reserve(int count) {
    if (count <= capacity_) {
        return;
    }
    const auto size = static_cast<std::size_t>(std::max(count, 2 * capacity_));
    auto claims = std::make_unique<Claim[]>(size);
    // Claimed in the last batch: free in the next one only.
    const std::uint64_t taken = batchOf(state_.load(std::memory_order_relaxed));
    for (std::size_t i = 0; i < size; ++i) {
        claims[i].mark.store(taken, std::memory_order_relaxed);
    }
    claims_.store(claims.get(), std::memory_order_release);
    claimArrays_.push_back(std::move(claims));
    capacity_ = static_cast<int>(size);
}

void EvaluationPool::beginErased(int count, void* job, Call call) {
    reserve(count);
    job_ = job;
    call_ = call;
    ready_.store(0, std::memory_order_relaxed);
    done_.store(0, std::memory_order_relaxed);
    // The next batch number with its count; everything above is seen by a
    // helper that reads this state.
    const std::uint64_t batch = batchOf(state_.load(std::memory_order_relaxed)) + 1;
    state_.store(batch << kCountBits | static_cast<std::uint64_t>(count),
                 std::memory_order_release);
    if (!workers_.empty()) {
        state_.notify_all();
    }
}

void EvaluationPool::computeRest() {
    const std::uint64_t state = state_.load(std::memory_order_relaxed);
    publish(countOf(state));
    drain(0, state);
}

void EvaluationPool::awaitAll() {
    const int count = countOf(state_.load(std::memory_order_relaxed));
    while (done_.load(std::memory_order_acquire) < count) {
        relax();
    }
}

void EvaluationPool::drain(int worker, std::uint64_t state) {
    // A thread that still looks at a finished batch finds each of its items
    // claimed in that batch or later and takes nothing; the claims array it
    // reads is the batch's or a newer one, set up as claimed (the acquire
    // makes that set-up seen).
    const std::uint64_t batch = batchOf(state);
    const int count = countOf(state);
    Claim* claims = claims_.load(std::memory_order_acquire);
    // Takes item i unless someone did in this batch.
    auto take = [&](int item) {
        std::atomic<std::uint64_t>& m = claims[item].mark;
        std::uint64_t found = m.load(std::memory_order_relaxed);
        while (found < batch) {
            if (m.compare_exchange_weak(found, batch, std::memory_order_acq_rel,
                                        std::memory_order_relaxed)) {
                return true;
            }
        }
        return false;
    };
    const int helpers = threads() - 1;
    int done = 0;
    if (worker == 0) {
        // From the back, past the items that helpers took: with one helper
        // everything below its first claim is its own; with more, a slow
        // helper may leave items below that, and they are taken here.
        for (int item = count - 1; item >= 0; --item) {
            if (take(item)) {
                call_(job_, worker, item);
                ++done;
            } else if (helpers == 1) {
                break;
            }
        }
    } else {
        // Its own items from the front, until one that the design thread
        // took: all its items after that one are taken as well.
        int ready = 0;
        for (int item = worker - 1; item < count && take(item); item += helpers) {
            while (item >= ready) {
                ready = ready_.load(std::memory_order_acquire);
                if (item >= ready) {
                    relax();
                }
            }
            call_(job_, worker, item);
            ++done;
        }
    }
    if (done > 0) {
        done_.fetch_add(done, std::memory_order_release);
    }
}

void EvaluationPool::work(int worker) {
    std::uint64_t seen = 0;
    for (;;) {
        std::uint64_t state = state_.load(std::memory_order_acquire);
        for (int spin = 0; batchOf(state) == seen; ++spin) {
            if (spin < kSpins) {
                relax();
            } else {
                state_.wait(state, std::memory_order_acquire);
            }
            state = state_.load(std::memory_order_acquire);
        }
        if (ending_.load(std::memory_order_acquire)) {
            return;
        }
        seen = batchOf(state);
        drain(worker, state);
    }
}

} // namespace dovra
