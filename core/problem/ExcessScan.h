#pragma once
// Where a response leaves a limit table between its rows. A table is a list
// of (frequency, limit) rows, the limit interpolated linearly from one row to
// the next; the excess of a response over it is value - limit for an upper
// table and limit - value for a lower one. The scan samples every segment
// densely (uniformly, and more finely around the frequencies where the
// filter's response changes fast: the angles of zeros and poles close to
// the unit circle), takes every local maximum of the sampled excess and
// locates it by a golden-section search inside the interval of its two
// neighbours. A value that is not a number counts as no excess.

#include <functional>
#include <span>
#include <utility>
#include <vector>

namespace dovra {

class FilterResponse;

/// One row of a limit table: normalized frequency and limit (dB or samples).
struct LimitRow {
    double w = 0.0;
    double limit = 0.0;
};

/// Where the dense scan samples.
struct ScanGuide {
    /// Largest step of the uniform scan (normalized frequency).
    double step = 1.0 / 4096;
    /// Frequencies near which the response changes fast, each with the width
    /// of its feature; sampled at a quarter of that width around them.
    std::vector<std::pair<double, double>> focus;
};

/// The guide for a filter: a step that resolves a response of its degree,
/// and the angles of its zeros and poles near the unit circle.
ScanGuide scanGuideOf(const FilterResponse& filter, int prefilterDegree = 0);

/// A local maximum of the excess over a table.
struct ExcessPeak {
    int segment = 0; // between row segment and row segment + 1
    double t = 0.0;  // fraction of the segment: w and the limit interpolate with it
    double w = 0.0;  // frequency
    double excess = 0.0;
};

/// Appends to peaks every local maximum of the excess of value over rows whose
/// excess is above tolerance (limits shifted by shift). A table of fewer than
/// two rows limits nothing.
void findExcessPeaks(std::span<const LimitRow> rows, double shift, bool upper,
                     const std::function<double(double)>& value, const ScanGuide& guide,
                     double tolerance, std::vector<ExcessPeak>& peaks);

} // namespace dovra
