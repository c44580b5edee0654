#pragma once
// Line input over a stream that accepts LF, CR and CR LF as line ends.

#include <istream>
#include <optional>
#include <string>

namespace dovra {

class LineReader {
public:
    explicit LineReader(std::istream& in) : in_(in) {}

    /// The next line without its line end; nothing at the end of the input or
    /// after a read error (see failed()).
    std::optional<std::string> readLine();

    /// True when the stream reported a read error (not just its end).
    bool failed() const { return in_.bad(); }

    /// Number of lines handed out so far.
    int lineNumber() const { return lines_; }

private:
    std::istream& in_;
    int lines_ = 0;
};

} // namespace dovra
