#pragma once
// The design thread's life: a std::thread that waits on a condition variable
// while the ready flag is off and otherwise runs one pass after another of
// the run control (given as a function). A wake-up that comes before the
// thread waits is not lost; stop ends the thread and joins it. The ready flag
// and the thread's state are kept under one lock, and callers can wait until
// the run rests (the flag off and the current pass finished).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace dovra {

class DesignThread {
  public:
    /// pass: one pass of the run control. failed: a pass threw (with what it
    /// said), for the run control to end the run. readyChanged: the flag's new value,
    /// called under the thread's lock (so that whoever publishes it sees the
    /// changes in their order). stop: set when the thread is told to end and
    /// cleared when one is started (a search ends its slice early on it).
    DesignThread(std::function<void()> pass, std::function<void(const std::string&)> failed,
                 std::function<void(bool)> readyChanged, std::atomic<bool>& stop);
    /// Ends and joins the thread.
    ~DesignThread();
    DesignThread(const DesignThread&) = delete;
    DesignThread& operator=(const DesignThread&) = delete;

    /// Creates and starts the thread when there is none (joining one that was
    /// told to end from within itself first).
    void start();
    /// Ends the thread and joins it. From the thread itself it only tells the
    /// thread to end; a later start or stop joins it.
    void stop();
    /// True while a thread exists and has not been told to end.
    bool hasThread() const;

    /// Ready flag on (the thread woken) / off.
    void makeReady();
    void makeNotReady();
    bool isReady() const;
    /// Ready flag off, then waits until the thread has finished its pass (at
    /// once when the caller is the pass itself).
    void park();
    /// Waits until the run rests: ready flag off and the current pass finished
    /// (at once when there is no thread). False when the timeout passed first.
    bool waitForIdle(std::chrono::milliseconds timeout);
    void waitForIdle();

    /// The pause of a pass: none by default, the window thread throttles its
    /// own redraws; tests slow a run with it.
    void setPassSleep(std::chrono::milliseconds sleep);
    std::chrono::milliseconds passSleep() const;
    /// Within a pass: waits the pass pause; false when the thread is told to
    /// end meanwhile.
    bool pauseWithinPass();

  private:
    void run();
    void setReady(bool on);

    std::function<void()> pass_;
    std::function<void(const std::string&)> failed_;
    std::function<void(bool)> readyChanged_;
    std::atomic<bool>& stop_;

    mutable std::mutex mutex_;
    std::condition_variable wakeCv_; // the thread waits here for ready or quit
    std::condition_variable idleCv_; // callers wait here for the run to rest
    std::thread thread_;
    std::thread::id threadId_;
    bool ready_ = false;
    bool busy_ = false;
    bool quit_ = false;
    std::chrono::milliseconds passSleep_{0};
};

} // namespace dovra
