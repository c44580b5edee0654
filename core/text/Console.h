#pragma once
// The console streams that every part prints its lines to. One object per
// session, passed to the parts that print; a line is written whole under a
// mutex, so lines from the design thread and the window thread never mix.

#include <mutex>
#include <ostream>
#include <string>

namespace dovra {

class Console {
public:
    Console(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    /// One line on the output stream.
    void out(const std::string& line) {
        std::lock_guard lock(mutex_);
        out_ << line << '\n';
        out_.flush();
    }
    /// One line on the error stream.
    void err(const std::string& line) {
        std::lock_guard lock(mutex_);
        err_ << line << '\n';
        err_.flush();
    }

private:
    std::mutex mutex_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace dovra
