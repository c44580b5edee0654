#include "run/DesignThread.h"

#include <exception>

namespace dovra {

DesignThread::DesignThread(std::function<void()> pass,
                           std::function<void(const std::string&)> failed,
                           std::function<void(bool)> readyChanged, std::atomic<bool>& stop)
    : pass_(std::move(pass)), failed_(std::move(failed)), readyChanged_(std::move(readyChanged)),
      stop_(stop) {}

DesignThread::~DesignThread() {
    stop();
}

void DesignThread::start() {
    std::thread ended;
    {
        std::lock_guard lock(mutex_);
        if (thread_.joinable() && !quit_) {
            return;
        }
        // A thread that was told to end from within itself is joined first.
        ended = std::move(thread_);
    }
    if (ended.joinable()) {
        ended.join();
    }
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        return;
    }
    quit_ = false;
    stop_ = false;
    busy_ = false;
    thread_ = std::thread([this] { run(); });
}

void DesignThread::stop() {
    std::thread t;
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable()) {
            return;
        }
        quit_ = true;
        stop_ = true;
        wakeCv_.notify_all();
        idleCv_.notify_all();
        if (std::this_thread::get_id() == threadId_) {
            return; // the thread cannot join itself; it ends after this pass
        }
        t = std::move(thread_);
    }
    t.join();
    std::lock_guard lock(mutex_);
    threadId_ = std::thread::id();
    busy_ = false;
    idleCv_.notify_all();
}

bool DesignThread::hasThread() const {
    std::lock_guard lock(mutex_);
    return thread_.joinable() && !quit_;
}

void DesignThread::setReady(bool on) {
    ready_ = on;
    if (readyChanged_) {
        readyChanged_(on);
    }
}

void DesignThread::makeReady() {
    std::lock_guard lock(mutex_);
    setReady(true);
    wakeCv_.notify_all();
}

void DesignThread::makeNotReady() {
    std::lock_guard lock(mutex_);
    setReady(false);
    idleCv_.notify_all();
}

bool DesignThread::isReady() const {
    std::lock_guard lock(mutex_);
    return ready_;
}

void DesignThread::park() {
    std::unique_lock lock(mutex_);
    setReady(false);
    if (std::this_thread::get_id() == threadId_) {
        return; // the caller is the pass itself
    }
    idleCv_.wait(lock, [this] { return !busy_; });
}

bool DesignThread::waitForIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return idleCv_.wait_for(lock, timeout,
                            [this] { return !thread_.joinable() || quit_ || (!ready_ && !busy_); });
}

void DesignThread::waitForIdle() {
    std::unique_lock lock(mutex_);
    idleCv_.wait(lock, [this] { return !thread_.joinable() || quit_ || (!ready_ && !busy_); });
}

void DesignThread::setPassSleep(std::chrono::milliseconds sleep) {
    std::lock_guard lock(mutex_);
    passSleep_ = std::max(sleep, std::chrono::milliseconds(0));
}

std::chrono::milliseconds DesignThread::passSleep() const {
    std::lock_guard lock(mutex_);
    return passSleep_;
}

bool DesignThread::pauseWithinPass() {
    std::unique_lock lock(mutex_);
    if (passSleep_.count() > 0) {
        wakeCv_.wait_for(lock, passSleep_, [this] { return quit_; });
    }
    return !quit_;
}

void DesignThread::run() {
    std::unique_lock lock(mutex_);
    threadId_ = std::this_thread::get_id();
    while (!quit_) {
        if (!ready_) {
            busy_ = false;
            idleCv_.notify_all();
            wakeCv_.wait(lock, [this] { return ready_ || quit_; });
            continue;
        }
        busy_ = true;
        lock.unlock();
        try {
            pass_();
        } catch (const std::exception& e) {
            // Nothing in a pass is meant to throw; should it, the run ends with
            // the reason shown rather than the program.
            failed_(e.what());
        }
        lock.lock();
    }
    busy_ = false;
    idleCv_.notify_all();
}

} // namespace dovra
