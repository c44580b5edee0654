#pragma once
// The check between the samples. A run succeeds when its design meets the
// tolerance scheme on the sampled grid; between two samples the response may
// still leave its limits. After a success the design is evaluated again on a
// dense grid (kDensePointsPerSegment points in every segment of every limit
// table, both row frequencies included) with the response functions the plots
// draw, and the worst excess over the limits is reported.

#include <functional>
#include <string>
#include <vector>

namespace dovra {

class DesignSession;
class FilterResponse;

/// One row of a limit table: normalized frequency and limit (dB or samples).
struct LimitRow {
    double w = 0.0;
    double limit = 0.0;
};

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

inline constexpr int kDensePointsPerSegment = 128;
/// A run succeeds at a total cost of at most 1e-12, so a sample may miss its
/// limit by up to 1e-6 (dB or samples); smaller excesses are no finding.
inline constexpr double kDenseTolerance = 1e-6;

/// levelDb(w): the level in dB of the design with its prefilter; delay(w): its
/// group delay in samples. The group-delay limits are shifted by gdOffset, as
/// the group-delay plot draws them.
DenseCheckResult checkBetweenSamples(const LimitTables& tables, double gdOffset,
                                     const std::function<double(double)>& levelDb,
                                     const std::function<double(double)>& delay);

/// A filter of a run (with its prefilter) against limit tables, through the
/// response value the plots draw.
DenseCheckResult checkBetweenSamples(const LimitTables& tables, double gdOffset,
                                     const FilterResponse& filter);

/// The four constraint tables of the session as numbers.
LimitTables limitTablesOf(DesignSession& s);

/// "checked between the samples: met", or the worst excess of the magnitude
/// and of the group delay: "checked between the samples: worst excess X dB at
/// frequency F" (", worst excess Y samples at frequency G" for the group delay).
std::string denseCheckLine(const DenseCheckResult& r);

} // namespace dovra
