#pragma once
// Number text: the one place where numbers become text and text becomes numbers.
//
// Doubles are written in the shortest decimal form that reads back to the same
// value, always with a fractional part ("0.5", "99.0"), and in scientific form
// with a capital E for magnitudes below 0.001 or from 10^7 on ("1.0E-4", "2.5E7").
// Non-finite values are written "NaN", "Infinity" and "-Infinity"; negative zero
// is "-0.0". The same rules, applied to single precision, give the monitor's form.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovra::text {

/// Shortest round-trip text of a double (see above).
std::string formatDouble(double value);

/// Shortest text that reads back as the same single-precision value.
std::string formatFloat(float value);

/// Plain decimal text of an integer: optional minus sign, no leading zeros.
std::string formatInt(std::int64_t value);

/// Boolean text: "true" or "false".
inline std::string formatBool(bool value) {
    return value ? "true" : "false";
}

/// An optional minus sign followed by decimal digits and nothing else, within
/// the 32-bit range. Anything else (blanks, a plus sign, an empty text) fails.
std::optional<int> parseInt(std::string_view text);

/// A decimal or scientific number with optional surrounding blanks: "0.5",
/// " -1.5e3 ", ".5", "5.", "1.0E-4". "NaN", "Infinity" and "-Infinity" (the
/// forms formatDouble writes) are accepted too. Hexadecimal forms, thousands
/// separators and trailing characters fail.
std::optional<double> parseDouble(std::string_view text);

/// True when the text equals "true" in any mix of upper and lower case.
bool parseBool(std::string_view text);

/// A text from a file or a field as a message may quote it: printable ASCII
/// as it is, every other byte as \xNN, and cut after limit characters
/// (with "..." added), so that a binary or huge input never reaches the
/// terminal as it is.
std::string printable(std::string_view text, std::size_t limit = 80);

} // namespace dovra::text
