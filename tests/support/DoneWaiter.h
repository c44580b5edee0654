#pragma once
// A session observer that lets a test wait for the end of a run on the design
// thread.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "session/DesignSession.h"

namespace dovra::testing {

class DoneWaiter : public SessionObserver {
  public:
    void done() override {
        std::lock_guard lock(mutex_);
        done_ = true;
        cv_.notify_all();
    }
    bool wait(std::chrono::seconds timeout = std::chrono::seconds(60)) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, timeout, [this] { return done_; });
    }
    bool isDone() {
        std::lock_guard lock(mutex_);
        return done_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
};

} // namespace dovra::testing
