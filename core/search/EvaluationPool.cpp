#include "search/EvaluationPool.h"

#include <algorithm>

namespace dovra {

namespace {

/// A short pause of a spinning thread, easing the core for its sibling.
inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

/// Pauses an idle worker spins through before it sleeps: a tenth of a
/// millisecond or more, longer than the gap between two generations.
constexpr int kSpins = 1 << 12;

/// The next item of a closed batch: more than any count.
constexpr std::uint64_t kClosed = 0x7fffffff;

std::uint32_t epochOf(std::uint64_t ticket) {
    return static_cast<std::uint32_t>(ticket >> 32);
}

} // namespace

EvaluationPool::EvaluationPool(int threads) {
    const int helpers = std::max(threads, 1) - 1;
    workers_.reserve(static_cast<std::size_t>(helpers));
    for (int w = 1; w <= helpers; ++w) {
        workers_.emplace_back([this, w] { work(w); });
    }
}

EvaluationPool::~EvaluationPool() {
    ending_.store(true, std::memory_order_release);
    // A new epoch wakes the sleeping workers; they see the flag and end.
    ticket_.fetch_add(std::uint64_t{1} << 32, std::memory_order_acq_rel);
    ticket_.notify_all();
    for (std::thread& t : workers_) {
        t.join();
    }
}

void EvaluationPool::beginErased(int count, void* job, Call call) {
    // First the last batch is closed: its next item is set past any count.
    // A worker that took no item of the last batch may still be looking at
    // its ticket; without this it could read the new count with the old
    // ticket and claim one of the new items as an item of the last batch,
    // which it would compute twice or past the end and count as done. The
    // read-modify-write orders every claim of the last batch before the
    // counters below change, and a worker that reads the closed ticket takes
    // nothing.
    ticket_.fetch_or(kClosed, std::memory_order_acq_rel);
    job_ = job;
    call_ = call;
    count_.store(count, std::memory_order_relaxed);
    ready_.store(0, std::memory_order_relaxed);
    done_.store(0, std::memory_order_relaxed);
    // The new epoch with item 0 next; everything above is seen by a worker
    // that reads this ticket.
    const std::uint32_t epoch = epochOf(ticket_.load(std::memory_order_relaxed)) + 1;
    ticket_.store(std::uint64_t{epoch} << 32, std::memory_order_release);
    if (!workers_.empty()) {
        ticket_.notify_all();
    }
}

void EvaluationPool::finish() {
    const int count = count_.load(std::memory_order_relaxed);
    publish(count);
    drain(0, epochOf(ticket_.load(std::memory_order_relaxed)));
    while (done_.load(std::memory_order_acquire) < count) {
        relax();
    }
}

void EvaluationPool::drain(int worker, std::uint32_t epoch) {
    // The shared counters are read and written as seldom as they can be:
    // each access from another core moves a cache line between the cores,
    // which costs about as much as a tenth of an evaluation.
    int ready = 0;
    int done = 0;
    std::uint64_t t = ticket_.load(std::memory_order_acquire);
    for (;;) {
        if (epochOf(t) != epoch) {
            break;
        }
        const auto first = static_cast<int>(t & 0xffffffffu);
        const int count = count_.load(std::memory_order_relaxed);
        if (first >= count) {
            break;
        }
        // Guided claims: a share of what is left, down to pairs of items at
        // the end (each claim moves the ticket's cache line between cores,
        // so single items cost more than the closer finish gains).
        const int take = std::min(count - first, std::max(2, (count - first) / (2 * threads())));
        if (!ticket_.compare_exchange_weak(t, t + static_cast<std::uint64_t>(take),
                                           std::memory_order_acq_rel, std::memory_order_acquire)) {
            continue;
        }
        // The items are this thread's; the batch cannot end before they are done.
        for (int item = first; item < first + take; ++item) {
            while (item >= ready) {
                ready = ready_.load(std::memory_order_acquire);
                if (item >= ready) {
                    relax();
                }
            }
            call_(job_, worker, item);
            ++done;
        }
        t = ticket_.load(std::memory_order_acquire);
    }
    if (done > 0) {
        done_.fetch_add(done, std::memory_order_release);
    }
}

void EvaluationPool::work(int worker) {
    std::uint32_t seen = 0;
    for (;;) {
        std::uint64_t t = ticket_.load(std::memory_order_acquire);
        for (int spin = 0; epochOf(t) == seen; ++spin) {
            if (spin < kSpins) {
                relax();
            } else {
                ticket_.wait(t, std::memory_order_acquire);
            }
            t = ticket_.load(std::memory_order_acquire);
        }
        if (ending_.load(std::memory_order_acquire)) {
            return;
        }
        seen = epochOf(t);
        drain(worker, seen);
    }
}

} // namespace dovra
