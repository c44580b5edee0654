#include "text/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace dovra::text {
namespace {

// Turns the shortest scientific digits of to_chars ("d.ddde-05", "de+07") into
// the decimal or scientific form described in the header.
template <typename Real> std::string formatShortest(Real value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "Infinity" : "-Infinity";
    }
    if (value == 0) {
        return std::signbit(value) ? "-0.0" : "0.0";
    }
    // The shortest digits that read back, from the scientific form
    // "-d.ddde-XX"; the text is then built in a fixed buffer (no temporary
    // strings: numbers are formatted by the thousand when a task is saved).
    std::array<char, 64> buf{};
    const auto res =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::scientific);
    const char* p = buf.data();
    const bool negative = *p == '-';
    if (negative) {
        ++p;
    }
    std::array<char, 40> digits{};
    std::size_t count = 0;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (*p != '.') {
            digits[count++] = *p;
        }
    }
    const int exponent = std::atoi(p + 1);
    while (count > 1 && digits[count - 1] == '0') {
        --count;
    }

    std::array<char, 80> out{};
    std::size_t n = 0;
    auto put = [&](char c) { out[n++] = c; };
    auto putDigits = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            put(digits[i]);
        }
    };
    if (negative) {
        put('-');
    }
    const Real magnitude = std::fabs(value);
    if (magnitude >= Real(1e-3) && magnitude < Real(1e7)) {
        if (exponent >= 0) {
            const auto intLen = static_cast<std::size_t>(exponent) + 1;
            if (count <= intLen) {
                putDigits(0, count);
                for (std::size_t i = count; i < intLen; ++i) {
                    put('0');
                }
                put('.');
                put('0');
            } else {
                putDigits(0, intLen);
                put('.');
                putDigits(intLen, count);
            }
        } else {
            put('0');
            put('.');
            for (int i = 0; i < -exponent - 1; ++i) {
                put('0');
            }
            putDigits(0, count);
        }
    } else {
        put(digits[0]);
        put('.');
        if (count > 1) {
            putDigits(1, count);
        } else {
            put('0');
        }
        put('E');
        const auto e = std::to_chars(out.data() + n, out.data() + out.size(), exponent);
        n = static_cast<std::size_t>(e.ptr - out.data());
    }
    return std::string(out.data(), n);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

} // namespace

std::string formatDouble(double value) {
    return formatShortest(value);
}

std::string formatFloat(float value) {
    return formatShortest(value);
}

std::string formatInt(std::int64_t value) {
    return std::to_string(value);
}

std::optional<int> parseInt(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    for (std::size_t k = i; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9') {
            return std::nullopt;
        }
    }
    int value = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc{} || res.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseDouble(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    if (text == "NaN" || text == "+NaN" || text == "-NaN") {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (text == "Infinity" || text == "+Infinity") {
        return std::numeric_limits<double>::infinity();
    }
    if (text == "-Infinity") {
        return -std::numeric_limits<double>::infinity();
    }
    // Check the shape first: sign, digits with at most one point (at least one
    // digit), then an optional exponent with at least one digit.
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    int digitCount = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            ++digitCount;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digitCount == 0) {
        return std::nullopt;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        int expDigits = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            ++expDigits;
        }
        if (expDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    // from_chars accepts neither a leading '+' nor (in general format) is it
    // affected by the locale, which is what a file format needs.
    std::string_view number = text;
    bool negative = false;
    if (number[0] == '+' || number[0] == '-') {
        negative = number[0] == '-';
        number.remove_prefix(1);
    }
    double value = 0.0;
    auto res = std::from_chars(number.data(), number.data() + number.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Overflow reads as infinity, underflow as zero, as a decimal reader does.
        double probe = std::strtod(std::string(number).c_str(), nullptr);
        value = probe;
    } else if (res.ec != std::errc{} || res.ptr != number.data() + number.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

bool parseBool(std::string_view text) {
    if (text.size() != 4) {
        return false;
    }
    const char* word = "true";
    for (std::size_t i = 0; i < 4; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != word[i]) {
            return false;
        }
    }
    return true;
}

std::string printable(std::string_view text, std::size_t limit) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (out.size() >= limit) {
            out += "...";
            break;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xf];
        }
    }
    return out;
}

} // namespace dovra::text
