#pragma once
// Line input over a stream that accepts LF, CR and CR LF as line ends.

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace dovra {

class LineReader {
  public:
    explicit LineReader(std::istream& in) : in_(in) {}

    /// The next line without its line end; nothing at the end of the input or
    /// after a read error (see failed()). The view stays valid as long as the
    /// reader: the input is held whole, so a line needs no copy of its own.
    std::optional<std::string_view> readLine();

    /// True when the stream reported a read error (not just its end) and every
    /// line read before it has been handed out.
    bool failed() const { return loaded_ && bad_ && next_ >= text_.size(); }

    /// Number of lines handed out so far.
    int lineNumber() const { return lines_; }

  private:
    /// Reads the whole stream at once, in blocks: a file is split into lines
    /// in memory instead of being read a character at a time.
    void load();

    std::istream& in_;
    std::string text_;
    std::size_t next_ = 0;
    bool loaded_ = false;
    bool bad_ = false;
    int lines_ = 0;
};

} // namespace dovra
