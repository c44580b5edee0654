#include "data/LineReader.h"

#include <algorithm>
#include <cstring>
#include <streambuf>

namespace dovra {

void LineReader::load() {
    loaded_ = true;
    std::streambuf* buffer = in_.rdbuf();
    if (!in_.good() || buffer == nullptr) {
        bad_ = in_.bad();
        return;
    }
    // A buffer that throws (a device that fails) leaves the stream bad, as a
    // read through the stream would; what came before the failure is kept.
    try {
        char block[4096];
        for (;;) {
            // What the buffer holds is taken whole; one character more makes
            // it fetch the next part (or end, or fail).
            const std::streamsize held = buffer->in_avail();
            if (held > 0) {
                const std::streamsize n =
                    buffer->sgetn(block, std::min<std::streamsize>(held, sizeof block));
                text_.append(block, static_cast<std::size_t>(n));
                continue;
            }
            const auto c = buffer->sbumpc();
            if (c == std::streambuf::traits_type::eof()) {
                break;
            }
            text_.push_back(std::streambuf::traits_type::to_char_type(c));
        }
        in_.setstate(std::ios::eofbit);
    } catch (...) {
        in_.setstate(std::ios::badbit);
        bad_ = true;
        // A line the failure cut off is not handed out.
        const std::size_t end = text_.find_last_of("\r\n");
        text_.resize(end == std::string::npos ? 0 : end + 1);
    }
}

std::optional<std::string_view> LineReader::readLine() {
    if (!loaded_) {
        load();
    }
    if (next_ >= text_.size()) {
        return std::nullopt;
    }
    const char* begin = text_.data() + next_;
    const std::size_t left = text_.size() - next_;
    const void* lf = std::memchr(begin, '\n', left);
    const std::size_t upToLf =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : left;
    const void* cr = std::memchr(begin, '\r', upToLf);
    const std::size_t length =
        cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - begin) : upToLf;
    const std::string_view line(begin, length);
    next_ += length;
    if (next_ < text_.size()) {
        // The line end: LF, CR, or CR LF.
        const bool crlf = cr && next_ + 1 < text_.size() && text_[next_ + 1] == '\n';
        next_ += crlf ? 2 : 1;
    }
    ++lines_;
    return line;
}

} // namespace dovra
