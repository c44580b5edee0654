#pragma once
// The pass and stop bands that the classical and FIR designs read from a
// tolerance scheme (the design input record): what these methods promise to
// meet. A passband keeps the level between gain - ripple and gain, a stopband
// at most gain - attenuation; the transitions between them are not followed.

#include <functional>
#include <limits>
#include <span>
#include <vector>

#include "problem/Data.h"
#include "problem/ExcessScan.h"

namespace dovra {

struct DesignBand {
    double lo = 0.0, hi = 0.0; // normalized frequencies
    double upperDb = 0.0;
    double lowerDb = -std::numeric_limits<double>::infinity(); // none for a stopband
    bool pass() const { return lowerDb > -std::numeric_limits<double>::infinity(); }
};

/// The tolerance of the FIR designs' band checks in dB, as the check after a
/// run takes it: a sample of a successful search may miss its limit by this.
inline constexpr double kBandTolerance = 1e-6;

/// The bands of a record in frequency order; none for an unknown filter type.
std::vector<DesignBand> designBands(const Data& record);

/// The worst excess of a level (dB) over the bands, where it lies, and every
/// local maximum above the tolerance (for the FIR design's added grid points).
struct BandCheck {
    bool met = true;
    double excess = 0.0;
    double frequency = 0.0;
    struct Peak {
        std::size_t band = 0;
        bool upper = true; // over the upper limit (else under the lower one)
        double w = 0.0;
        double excess = 0.0;
    };
    std::vector<Peak> peaks;
};

/// The level against the bands between the grid points, with the dense scan.
BandCheck checkBands(const std::vector<DesignBand>& bands,
                     const std::function<double(double)>& levelDb, const ScanGuide& guide,
                     double tolerance);

/// The bands of a record checked on an FIR filter given by its taps (a
/// polynomial in z^-1, which is the filter itself).
BandCheck checkFirBands(std::span<const double> taps, const Data& record);

} // namespace dovra
