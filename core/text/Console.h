#pragma once
// The console streams that every part prints its lines to. One object per
// session, passed to the parts that print; a line is written whole under a
// mutex, so lines from the design thread and the window thread never mix.
//
// Every line is also handed to the session's line listeners with its kind, so
// that a view can show the user what the console says (the window's message
// line) and the batch runner can refuse a task whose values were replaced.

#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace dovra {

/// What a console line tells the user.
enum class LineKind {
    Info,    // progress and results
    Warning, // a value was replaced: the run goes on with another value
    Error,   // something failed: a file not read or not written, a refusal
};

class Console {
  public:
    /// Called after a line was written, on the thread that wrote it, with no
    /// lock of the console held.
    using LineListener = std::function<void(const std::string& line, LineKind kind)>;

    Console(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    /// One line on the output stream.
    void out(const std::string& line, LineKind kind = LineKind::Info) {
        {
            std::lock_guard lock(mutex_);
            out_ << line << '\n';
            out_.flush();
        }
        tell(line, kind);
    }
    /// One line on the error stream.
    void err(const std::string& line, LineKind kind = LineKind::Error) {
        {
            std::lock_guard lock(mutex_);
            err_ << line << '\n';
            err_.flush();
        }
        tell(line, kind);
    }

    /// A line for the listeners only: something the user's views should show
    /// (a value replaced without a console line) while the streams stay as
    /// they are.
    void notice(const std::string& line, LineKind kind) { tell(line, kind); }

    /// Adds a listener; the number returned removes it again.
    int addLineListener(LineListener listener) {
        std::lock_guard lock(listenersMutex_);
        listeners_.push_back({++lastId_, std::move(listener)});
        return lastId_;
    }
    void removeLineListener(int id) {
        std::lock_guard lock(listenersMutex_);
        std::erase_if(listeners_, [id](const Entry& e) { return e.id == id; });
    }

  private:
    struct Entry {
        int id;
        LineListener listener;
    };

    void tell(const std::string& line, LineKind kind) {
        std::vector<LineListener> now;
        {
            std::lock_guard lock(listenersMutex_);
            if (listeners_.empty()) {
                return;
            }
            for (const auto& e : listeners_) {
                now.push_back(e.listener);
            }
        }
        for (const auto& l : now) {
            l(line, kind);
        }
    }

    std::mutex mutex_;
    std::ostream& out_;
    std::ostream& err_;
    std::mutex listenersMutex_;
    std::vector<Entry> listeners_;
    int lastId_ = 0;
};

} // namespace dovra
