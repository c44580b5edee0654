#include "check/DenseCheck.h"

#include <cmath>
#include <cstdio>

#include "problem/FilterResponse.h"
#include "problem/RunInput.h"
#include "problem/Types.h"

namespace dovra {
namespace {

/// The worst of the peaks of one table, merged into worst.
void scan(const std::vector<LimitRow>& rows, double shift, bool upper,
          const std::function<double(double)>& response, const ScanGuide& guide,
          WorstExcess& worst) {
    if (rows.size() < 2 || rows.size() > static_cast<std::size_t>(kTableCapacity)) {
        return;
    }
    std::vector<ExcessPeak> peaks;
    findExcessPeaks(rows, shift, upper, response, guide, kDenseTolerance, peaks);
    for (const ExcessPeak& p : peaks) {
        if (!worst.found || p.excess > worst.excess) {
            worst = {true, p.excess, p.w};
        }
    }
}

std::vector<LimitRow> rowsOf(const ConstraintValues& t) {
    std::vector<LimitRow> rows;
    const std::size_t n = std::min(t.omega.size(), t.limit.size());
    for (std::size_t i = 0; i < n; ++i) {
        rows.push_back({t.omega[i], t.limit[i]});
    }
    return rows;
}

std::string number(const char* format, double v) {
    if (std::isinf(v)) {
        return "inf";
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string excessText(double excess, const char* unit, double frequency) {
    return number("%.3g", excess) + " " + unit + " at frequency " + number("%.4g", frequency);
}

const char* const kLinePrefix = "checked between the samples: ";

std::function<double(double)> levelOf(const FilterResponse& filter) {
    const double scale = 20.0 / std::log(10.0);
    return [&filter, scale](double w) {
        return filter.levelDb(w) + scale * std::log(filter.amag_ff(w));
    };
}

std::function<double(double)> delayOf(const FilterResponse& filter) {
    return [&filter](double w) { return filter.gdel(w) + filter.gdel_ff(w); };
}

ScanGuide guideOf(const FilterResponse& filter) {
    return scanGuideOf(filter, filter.prefilterDegree());
}

} // namespace

DenseCheckResult checkBetweenSamples(const LimitTables& tables, double gdOffset,
                                     const std::function<double(double)>& levelDb,
                                     const std::function<double(double)>& delay,
                                     const ScanGuide& guide) {
    DenseCheckResult r;
    scan(tables.magUpper, 0.0, true, levelDb, guide, r.magnitude);
    scan(tables.magLower, 0.0, false, levelDb, guide, r.magnitude);
    scan(tables.gdUpper, gdOffset, true, delay, guide, r.groupDelay);
    scan(tables.gdLower, gdOffset, false, delay, guide, r.groupDelay);
    return r;
}

LimitTables limitTablesOf(const RunInput& in) {
    return {rowsOf(in.magUpper), rowsOf(in.magLower), rowsOf(in.gdUpper), rowsOf(in.gdLower)};
}

DenseCheckResult checkBetweenSamples(const LimitTables& tables, double gdOffset,
                                     const FilterResponse& filter) {
    return checkBetweenSamples(tables, gdOffset, levelOf(filter), delayOf(filter), guideOf(filter));
}

std::string denseCheckLine(const DenseCheckResult& r) {
    std::string line = kLinePrefix;
    if (!r.magnitude.found && !r.groupDelay.found) {
        return line + "met";
    }
    if (r.magnitude.found) {
        line += "worst excess " + excessText(r.magnitude.excess, "dB", r.magnitude.frequency);
    }
    if (r.groupDelay.found) {
        line += std::string(r.magnitude.found ? ", " : "") + "worst excess " +
                excessText(r.groupDelay.excess, "samples", r.groupDelay.frequency);
    }
    return line;
}

BandVerdict judgeBands(const LimitTables& tables, const Data& record,
                       const FilterResponse& filter) {
    BandVerdict v;
    const auto level = levelOf(filter);
    const ScanGuide guide = guideOf(filter);
    const std::vector<DesignBand> bands = designBands(record);
    v.bands = checkBands(bands, level, guide, kDenseTolerance);

    // The scheme's own magnitude rows: an excess between two bands belongs to
    // that transition, one within a band to rows the record does not carry.
    for (std::size_t i = 0; i + 1 < bands.size(); ++i) {
        v.transitions.push_back({bands[i].hi, bands[i + 1].lo, 0.0});
    }
    std::vector<ExcessPeak> peaks;
    for (const bool upper : {true, false}) {
        const std::vector<LimitRow>& rows = upper ? tables.magUpper : tables.magLower;
        if (rows.size() < 2 || rows.size() > static_cast<std::size_t>(kTableCapacity)) {
            continue;
        }
        peaks.clear();
        findExcessPeaks(rows, 0.0, upper, level, guide, kDenseTolerance, peaks);
        for (const ExcessPeak& p : peaks) {
            bool inTransition = false;
            for (BandVerdict::Transition& t : v.transitions) {
                if (p.w > t.lo && p.w < t.hi) {
                    t.excess = std::max(t.excess, p.excess);
                    inTransition = true;
                }
            }
            if (!inTransition && (!v.otherRows.found || p.excess > v.otherRows.excess)) {
                v.otherRows = {true, p.excess, p.w};
            }
        }
    }
    std::erase_if(v.transitions, [](const auto& t) { return !(t.excess > 0.0); });
    DenseCheckResult gd;
    scan(tables.gdUpper, 0.0, true, delayOf(filter), guide, gd.groupDelay);
    scan(tables.gdLower, 0.0, false, delayOf(filter), guide, gd.groupDelay);
    v.groupDelay = gd.groupDelay;
    return v;
}

std::string bandVerdictLine(const BandVerdict& v) {
    std::string line = kLinePrefix;
    if (v.bands.met && v.transitions.empty() && !v.otherRows.found && !v.groupDelay.found) {
        return line + "met";
    }
    line += v.bands.met ? "bands met"
                        : "bands not met, worst excess " +
                              excessText(v.bands.excess, "dB", v.bands.frequency);
    for (std::size_t i = 0; i < v.transitions.size(); ++i) {
        const auto& t = v.transitions[i];
        line += (i == 0 ? "; " : ", ") + std::string("transition ") + number("%.4g", t.lo) +
                " to " + number("%.4g", t.hi) + " exceeded by up to " + number("%.3g", t.excess) +
                " dB";
    }
    if (!v.transitions.empty()) {
        line += " (this method follows band edges, not sloped transition limits)";
    }
    if (v.otherRows.found) {
        line += "; other magnitude limits exceeded by up to " +
                excessText(v.otherRows.excess, "dB", v.otherRows.frequency);
    }
    if (v.groupDelay.found) {
        line += "; group delay limits exceeded by up to " +
                excessText(v.groupDelay.excess, "samples", v.groupDelay.frequency) +
                " (this method does not follow group-delay limits)";
    }
    return line;
}

} // namespace dovra
