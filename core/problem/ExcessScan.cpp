#include "problem/ExcessScan.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "problem/FilterResponse.h"

namespace dovra {
namespace {

constexpr double kMinusInf = -std::numeric_limits<double>::infinity();
// Uniform points of a segment: a multiple of this count (so that the points
// j / 128 of every segment are among them), and no more than the cap.
constexpr int kUniformUnit = 128;
constexpr int kUniformCap = 1 << 16;
// Roots whose distance from the unit circle is below this get focus points.
constexpr double kNearCircle = 0.05;
// Focus points on each side of such a root's angle, a quarter of its width apart.
constexpr int kFocusPoints = 16;
// Golden-section steps: the bracket shrinks to 0.618^60 (about 3e-13) of its width.
constexpr int kGoldenSteps = 60;

/// The excess at fraction t of a segment.
struct Segment {
    LimitRow a, b;
    double shift;
    bool upper;
    const std::function<double(double)>* value;

    double frequency(double t) const { return a.w + (b.w - a.w) * t; }
    double excess(double t) const {
        const double limit = a.limit + (b.limit - a.limit) * t + shift;
        const double v = (*value)(frequency(t));
        const double e = upper ? v - limit : limit - v;
        return std::isnan(e) ? kMinusInf : e;
    }
};

/// The fraction in [lo, hi] with the largest excess, by golden-section search.
std::pair<double, double> goldenMaximum(const Segment& s, double lo, double hi) {
    const double r = (std::sqrt(5.0) - 1.0) / 2.0;
    double x1 = hi - r * (hi - lo);
    double x2 = lo + r * (hi - lo);
    double f1 = s.excess(x1);
    double f2 = s.excess(x2);
    for (int i = 0; i < kGoldenSteps && hi - lo > 1e-15; ++i) {
        if (f1 >= f2) {
            hi = x2;
            x2 = x1;
            f2 = f1;
            x1 = hi - r * (hi - lo);
            f1 = s.excess(x1);
        } else {
            lo = x1;
            x1 = x2;
            f1 = f2;
            x2 = lo + r * (hi - lo);
            f2 = s.excess(x2);
        }
    }
    return f1 >= f2 ? std::pair{x1, f1} : std::pair{x2, f2};
}

} // namespace

ScanGuide scanGuideOf(const FilterResponse& filter, int prefilterDegree) {
    ScanGuide g;
    // A response of degree n has no feature narrower than about 1 / (2 n)
    // apart from those of roots near the unit circle; sixteen points per such
    // width find every bump it has.
    const int degree = std::max(1, filter.aDegree() + filter.bDegree() + prefilterDegree);
    g.step = std::min(1.0 / 4096, 1.0 / (32.0 * degree));
    auto addRoots = [&g](const auto& roots) {
        for (const auto& q : roots) {
            const double distance = std::abs(1.0 - std::abs(q));
            if (distance < kNearCircle) {
                const double w = std::abs(std::arg(q)) / (2.0 * std::numbers::pi);
                g.focus.emplace_back(w, std::max(distance / (2.0 * std::numbers::pi), 1e-9));
            }
        }
    };
    addRoots(filter.zeros());
    addRoots(filter.poles());
    return g;
}

void findExcessPeaks(std::span<const LimitRow> rows, double shift, bool upper,
                     const std::function<double(double)>& value, const ScanGuide& guide,
                     double tolerance, std::vector<ExcessPeak>& peaks) {
    if (rows.size() < 2) {
        return;
    }
    std::vector<double> t;
    std::vector<double> e;
    for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
        const Segment s{rows[k], rows[k + 1], shift, upper, &value};
        const double width = s.b.w - s.a.w;
        // Uniform points, then the focus points that fall inside the segment.
        const double wanted = std::abs(width) / std::max(guide.step, 1e-12);
        const int units = std::clamp(static_cast<int>(std::ceil(wanted / kUniformUnit)), 1,
                                     kUniformCap / kUniformUnit);
        const int n = units * kUniformUnit;
        t.clear();
        for (int j = 0; j <= n; ++j) {
            t.push_back(static_cast<double>(j) / n);
        }
        if (width != 0.0) {
            for (const auto& [center, featureWidth] : guide.focus) {
                for (int j = -kFocusPoints; j <= kFocusPoints; ++j) {
                    const double tj = (center + 0.25 * featureWidth * j - s.a.w) / width;
                    if (tj > 0.0 && tj < 1.0) {
                        t.push_back(tj);
                    }
                }
            }
            std::sort(t.begin(), t.end());
            t.erase(std::unique(t.begin(), t.end()), t.end());
        }
        e.resize(t.size());
        for (std::size_t j = 0; j < t.size(); ++j) {
            e[j] = s.excess(t[j]);
        }
        // Local maxima (the first point of a plateau), each located between
        // its neighbours.
        const std::size_t last = t.size() - 1;
        for (std::size_t j = 0; j <= last; ++j) {
            const bool rises = j == 0 || e[j] > e[j - 1];
            const bool holds = j == last || e[j] >= e[j + 1];
            if (!rises || !holds) {
                continue;
            }
            double bestT = t[j];
            double bestE = e[j];
            if (width != 0.0 && std::isfinite(e[j])) {
                const auto [rt, re] =
                    goldenMaximum(s, t[j == 0 ? 0 : j - 1], t[std::min(j + 1, last)]);
                if (re > bestE) {
                    bestT = rt;
                    bestE = re;
                }
            }
            if (bestE > tolerance) {
                peaks.push_back({static_cast<int>(k), bestT, s.frequency(bestT), bestE});
            }
        }
    }
}

} // namespace dovra
