#include "data/LineReader.h"

namespace dovra {

std::optional<std::string> LineReader::readLine() {
    std::string line;
    bool any = false;
    std::istream::int_type c;
    while ((c = in_.get()) != std::istream::traits_type::eof()) {
        any = true;
        if (c == '\n') {
            ++lines_;
            return line;
        }
        if (c == '\r') {
            if (in_.peek() == '\n') {
                in_.get();
            }
            ++lines_;
            return line;
        }
        line.push_back(static_cast<char>(c));
    }
    if (!any || in_.bad()) {
        return std::nullopt;
    }
    ++lines_;
    return line;
}

} // namespace dovra
