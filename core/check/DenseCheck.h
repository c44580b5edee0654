#pragma once
// The check between the samples. A run succeeds when its design meets the
// tolerance scheme on the sampled grid; between two samples the response may
// still leave its limits. After a run the design is scanned densely along
// every segment of every limit table, each local maximum of the excess
// located between its neighbouring points (problem/ExcessScan), with the
// response functions the plots draw, and the worst excess is reported.
//
// The search designs (Z-plane) promise the whole scheme. The classical and
// FIR designs promise the pass and stop bands they read from it (the design
// input record); their check judges those bands and reports what lies
// outside them (a sloped transition, group-delay limits) apart.

#include <functional>
#include <string>
#include <vector>

#include "design/Bands.h"
#include "problem/ExcessScan.h"

namespace dovra {

class FilterResponse;
struct RunInput;

/// The four limit tables as numbers. A table of fewer than two rows, or of
/// more rows than a run loads, limits nothing (as in the cost function).
struct LimitTables {
    std::vector<LimitRow> magUpper, magLower, gdUpper, gdLower;
};

/// The largest amount by which a response leaves its limits, and where.
struct WorstExcess {
    bool found = false; // an excess above kDenseTolerance
    double excess = 0.0;
    double frequency = 0.0;
};

struct DenseCheckResult {
    WorstExcess magnitude;  // dB
    WorstExcess groupDelay; // samples
};

/// A run succeeds at a total cost of at most 1e-12, so a sample may miss its
/// limit by up to 1e-6 (dB or samples); smaller excesses are no finding.
inline constexpr double kDenseTolerance = 1e-6;

/// levelDb(w): the level in dB of the design with its prefilter; delay(w): its
/// group delay in samples. The group-delay limits are shifted by gdOffset, as
/// the group-delay plot draws them.
DenseCheckResult checkBetweenSamples(const LimitTables& tables, double gdOffset,
                                     const std::function<double(double)>& levelDb,
                                     const std::function<double(double)>& delay,
                                     const ScanGuide& guide = {});

/// A filter of a run (with its prefilter) against limit tables, through the
/// response value the plots draw.
DenseCheckResult checkBetweenSamples(const LimitTables& tables, double gdOffset,
                                     const FilterResponse& filter);

/// The four constraint tables of a run's input as numbers.
LimitTables limitTablesOf(const RunInput& in);

/// "checked between the samples: met", or the worst excess of the magnitude
/// and of the group delay: "checked between the samples: worst excess X dB at
/// frequency F" (", worst excess Y samples at frequency G" for the group delay).
std::string denseCheckLine(const DenseCheckResult& r);

/// A classical or FIR design judged on what it designs.
struct BandVerdict {
    /// The pass and stop bands of the design input record.
    BandCheck bands;
    /// A transition between two bands whose scheme rows the filter leaves.
    struct Transition {
        double lo = 0.0, hi = 0.0;
        double excess = 0.0; // dB
    };
    std::vector<Transition> transitions;
    /// Magnitude rows of the scheme within the bands that the record does
    /// not carry (a lower row inside a stopband, say).
    WorstExcess otherRows;
    /// The group-delay limits, which these methods do not follow.
    WorstExcess groupDelay;
};

BandVerdict judgeBands(const LimitTables& tables, const Data& record, const FilterResponse& filter);

/// "checked between the samples: bands met; transition 0.2 to 0.25 exceeded
/// by up to 12.4 dB (this method follows band edges, not sloped transition
/// limits)" and the like; "checked between the samples: met" when nothing is
/// exceeded.
std::string bandVerdictLine(const BandVerdict& v);

} // namespace dovra
