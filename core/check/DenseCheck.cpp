#include "check/DenseCheck.h"

#include <cmath>
#include <cstdio>

#include "DesignSession.h"
#include "problem/FilterResponse.h"
#include "problem/Types.h"
#include "text/NumberText.h"

namespace dovra {
namespace {

// upperSide: the response must stay below the limit; otherwise above it.
void scan(const std::vector<LimitRow>& rows, double shift, bool upperSide,
          const std::function<double(double)>& response, WorstExcess& worst) {
    if (rows.size() < 2 || rows.size() > static_cast<std::size_t>(kTableCapacity)) {
        return;
    }
    for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
        const LimitRow& a = rows[k];
        const LimitRow& b = rows[k + 1];
        for (int j = 0; j <= kDensePointsPerSegment; ++j) {
            const double t = static_cast<double>(j) / kDensePointsPerSegment;
            const double w = a.w + (b.w - a.w) * t;
            const double limit = a.limit + (b.limit - a.limit) * t + shift;
            const double value = response(w);
            const double e = upperSide ? value - limit : limit - value;
            // A non-number is no violation, as in the cost function.
            if (e > kDenseTolerance && (!worst.found || e > worst.excess)) {
                worst = {true, e, w};
            }
        }
    }
}

template <class Table> std::vector<LimitRow> rowsOf(const Table& t) {
    std::vector<LimitRow> rows;
    for (int i = 0; i < t.getSize(); ++i) {
        const auto* r = t.getRecord(i);
        auto w = text::parseDouble(r->getOmega());
        auto limit = text::parseDouble(r->getLimit());
        if (w && limit) {
            rows.push_back({*w, *limit});
        }
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

} // namespace

DenseCheckResult checkBetweenSamples(const LimitTables& tables, double gdOffset,
                                     const std::function<double(double)>& levelDb,
                                     const std::function<double(double)>& delay) {
    DenseCheckResult r;
    scan(tables.magUpper, 0.0, true, levelDb, r.magnitude);
    scan(tables.magLower, 0.0, false, levelDb, r.magnitude);
    scan(tables.gdUpper, gdOffset, true, delay, r.groupDelay);
    scan(tables.gdLower, gdOffset, false, delay, r.groupDelay);
    return r;
}

LimitTables limitTablesOf(DesignSession& s) {
    return {rowsOf(s.magUpper()), rowsOf(s.magLower()), rowsOf(s.gdUpper()), rowsOf(s.gdLower())};
}

DenseCheckResult checkBetweenSamples(const LimitTables& tables, double gdOffset,
                                     const FilterResponse& filter) {
    const double scale = 20.0 / std::log(10.0);
    auto level = [&](double w) { return scale * std::log(filter.amag(w) * filter.amag_ff(w)); };
    auto delay = [&](double w) { return filter.gdel(w) + filter.gdel_ff(w); };
    return checkBetweenSamples(tables, gdOffset, level, delay);
}

std::string denseCheckLine(const DenseCheckResult& r) {
    std::string line = "checked between the samples: ";
    if (!r.magnitude.found && !r.groupDelay.found) {
        return line + "met";
    }
    auto part = [](const WorstExcess& e, const char* unit) {
        return "worst excess " + number("%.3g", e.excess) + " " + unit + " at frequency " +
               number("%.4g", e.frequency);
    };
    if (r.magnitude.found) {
        line += part(r.magnitude, "dB");
    }
    if (r.groupDelay.found) {
        line += (r.magnitude.found ? ", " : "") + part(r.groupDelay, "samples");
    }
    return line;
}

} // namespace dovra
