#pragma once
// What the two linear-phase FIR designs share: the check of their band edges
// before any grid is built, and the turning of a symmetric impulse response
// into the zero blocks of the parameter vector.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "design/FilterDesign.h"
#include "design/Roots.h"

namespace dovra {

/// The coefficient store of the run control: impulse responses longer than
/// this are flagged.
inline constexpr int kCoefficientStore = 400;

/// The status texts of the FIR designs, in one place.
namespace firtext {
inline constexpr const char* kNoSolution = "No feasible solution found";
inline constexpr const char* kTooManyCoefficients =
    "Warning! Too much coefficients for assigned storage";
std::string trying(int length);
std::string badEdges(std::span<const double> edges);
} // namespace firtext

/// A refusal text when the edges (in the order the bands meet) are not finite
/// or do not rise from 0 to 0.5 without crossing; nothing when they do.
std::optional<std::string> checkBandEdges(std::span<const double> edges);

/// The layout of the FIR filter with impulse response h (N + 1 taps, N the
/// order): entry 0 holds h[0], coefficients the response divided by it (so
/// that its first value is 1), the zero blocks the roots of that polynomial.
/// counts receives what the zero blocks hold.
DesignLayout firLayout(std::vector<double> h, int denomDeg, ZeroCounts* counts = nullptr);

} // namespace dovra
