#include "search/EvaluationPool.h"

#include <algorithm>

namespace dovra {

EvaluationPool::EvaluationPool(int threads)
    : start_(std::max(threads, 1)), finish_(std::max(threads, 1)) {
    const int helpers = std::max(threads, 1) - 1;
    workers_.reserve(static_cast<std::size_t>(helpers));
    for (int w = 1; w <= helpers; ++w) {
        workers_.emplace_back([this, w] { work(w); });
    }
}

EvaluationPool::~EvaluationPool() {
    if (workers_.empty()) {
        return;
    }
    // The flag is written before the start barrier, which every worker
    // passes before it reads the flag.
    ending_ = true;
    start_.arrive_and_wait();
    for (std::thread& t : workers_) {
        t.join();
    }
}

void EvaluationPool::runErased(int count, void* job, Call call) {
    if (workers_.empty() || count <= 1) {
        for (int i = 0; i < count; ++i) {
            call(job, 0, i);
        }
        return;
    }
    job_ = job;
    call_ = call;
    count_ = count;
    next_.store(0, std::memory_order_relaxed);
    start_.arrive_and_wait();
    drain(0);
    finish_.arrive_and_wait();
}

void EvaluationPool::drain(int worker) {
    for (int i = next_.fetch_add(1, std::memory_order_relaxed); i < count_;
         i = next_.fetch_add(1, std::memory_order_relaxed)) {
        call_(job_, worker, i);
    }
}

void EvaluationPool::work(int worker) {
    for (;;) {
        start_.arrive_and_wait();
        if (ending_) {
            return;
        }
        drain(worker);
        finish_.arrive_and_wait();
    }
}

} // namespace dovra
