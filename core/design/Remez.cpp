#include "design/Remez.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "design/DesignStatus.h"
#include "design/FirLayout.h"
#include "text/Console.h"
#include "text/NumberText.h"

namespace dovra {

namespace {

constexpr double kPi = std::numbers::pi;
const char* const kNoConvergence = "Reached maximum iteration count.\nResults may be bad.\n";

/// The dense grid with the desired amplitude and the weight per point.
struct Grid {
    std::vector<double> f, d, w;
    std::vector<int> band; // band of each point, so extrema do not reach across a band edge
};

Grid denseGrid(std::span<const double> bands, std::span<const double> desired,
               std::span<const double> weights, int r, bool evenTaps) {
    Grid g;
    const double spacing = 0.5 / (kRemezDensity * r);
    for (std::size_t b = 0; b < desired.size(); ++b) {
        const double lower = bands[2 * b];
        const double upper = bands[2 * b + 1];
        const int count =
            std::max(1, static_cast<int>(std::lround(2.0 * r * kRemezDensity * (upper - lower))));
        for (int k = 0; k < count; ++k) {
            g.f.push_back(k == count - 1 ? upper : lower + k * spacing);
            g.d.push_back(desired[b]);
            g.w.push_back(weights[b]);
            g.band.push_back(static_cast<int>(b));
        }
    }
    if (evenTaps) {
        // The response of an even-length symmetric filter is cos(pi f) times a
        // cosine series, and vanishes at 0.5: that point cannot be fitted.
        while (!g.f.empty() && g.f.back() > 0.5 - spacing / 2) {
            g.f.pop_back();
            g.d.pop_back();
            g.w.pop_back();
            g.band.pop_back();
        }
        for (std::size_t j = 0; j < g.f.size(); ++j) {
            const double c = std::cos(kPi * g.f[j]);
            g.d[j] /= c;
            g.w[j] *= c;
        }
    }
    return g;
}

/// The interpolated amplitude of one iteration in barycentric form: r nodes
/// x = cos(2 pi f) of the extremal set with their values.
struct Interpolant {
    std::vector<double> x, y, weight;
    double delta = 0.0;

    double at(double xv) const {
        double num = 0.0, den = 0.0;
        for (std::size_t k = 0; k < x.size(); ++k) {
            const double diff = xv - x[k];
            if (diff == 0.0) {
                return y[k];
            }
            const double t = weight[k] / diff;
            num += t * y[k];
            den += t;
        }
        return num / den;
    }
};

/// Barycentric weights 1 / prod 2 (x_k - x_i) of the first n nodes; the
/// factor 2 keeps the products near 1 for nodes spread over [-1, 1].
std::vector<double> baryWeights(const std::vector<double>& x, std::size_t n) {
    std::vector<double> w(n);
    for (std::size_t k = 0; k < n; ++k) {
        double p = 1.0;
        for (std::size_t i = 0; i < n; ++i) {
            if (i != k) {
                p *= 2.0 * (x[k] - x[i]);
            }
        }
        w[k] = 1.0 / p;
    }
    return w;
}

/// The deviation and the interpolant through the r + 1 extremal points.
Interpolant calcParms(const Grid& g, const std::vector<int>& ext) {
    const std::size_t n = ext.size();
    std::vector<double> x(n);
    for (std::size_t k = 0; k < n; ++k) {
        x[k] = std::cos(2.0 * kPi * g.f[ext[k]]);
    }
    const std::vector<double> ad = baryWeights(x, n);
    double num = 0.0, den = 0.0, sign = 1.0;
    for (std::size_t k = 0; k < n; ++k) {
        num += ad[k] * g.d[ext[k]];
        den += sign * ad[k] / g.w[ext[k]];
        sign = -sign;
    }
    Interpolant a;
    a.delta = num / den;
    a.x.assign(x.begin(), x.end() - 1);
    a.y.resize(n - 1);
    sign = 1.0;
    for (std::size_t k = 0; k + 1 < n; ++k) {
        a.y[k] = g.d[ext[k]] - sign * a.delta / g.w[ext[k]];
        sign = -sign;
    }
    a.weight = baryWeights(a.x, n - 1);
    return a;
}

/// The new extremal set: local extrema of the weighted error within each
/// band, alternating in sign, thinned to r + 1. Empty when too few remain.
std::vector<int> search(const Grid& g, const std::vector<double>& e, std::size_t wanted) {
    const int size = static_cast<int>(e.size());
    std::vector<int> found;
    for (int j = 0; j < size; ++j) {
        const bool hasLeft = j > 0 && g.band[j - 1] == g.band[j];
        const bool hasRight = j + 1 < size && g.band[j + 1] == g.band[j];
        const double left = hasLeft ? e[j - 1] : -INFINITY;
        const double right = hasRight ? e[j + 1] : -INFINITY;
        const double leftN = hasLeft ? e[j - 1] : INFINITY;
        const double rightN = hasRight ? e[j + 1] : INFINITY;
        const bool peak = e[j] > 0.0 && e[j] >= left && e[j] > right;
        const bool trough = e[j] < 0.0 && e[j] <= leftN && e[j] < rightN;
        if (peak || trough) {
            found.push_back(j);
        }
    }
    // Neighbours of equal sign: keep the larger.
    auto alternate = [&]() {
        std::vector<int> kept;
        for (int j : found) {
            if (!kept.empty() && (e[kept.back()] > 0.0) == (e[j] > 0.0)) {
                if (std::abs(e[j]) > std::abs(e[kept.back()])) {
                    kept.back() = j;
                }
            } else {
                kept.push_back(j);
            }
        }
        found.swap(kept);
    };
    alternate();
    while (found.size() > wanted) {
        if (found.size() == wanted + 1) {
            // One too many: drop the smaller end, which keeps the alternation.
            if (std::abs(e[found.front()]) < std::abs(e[found.back()])) {
                found.erase(found.begin());
            } else {
                found.pop_back();
            }
        } else {
            auto smallest = std::min_element(found.begin(), found.end(), [&](int a, int b) {
                return std::abs(e[a]) < std::abs(e[b]);
            });
            found.erase(smallest);
            alternate();
        }
    }
    if (found.size() < wanted) {
        found.clear();
    }
    return found;
}

bool isDone(const std::vector<double>& e, const std::vector<int>& ext) {
    double lo = INFINITY, hi = 0.0;
    for (int j : ext) {
        lo = std::min(lo, std::abs(e[j]));
        hi = std::max(hi, std::abs(e[j]));
    }
    return hi == 0.0 || (hi - lo) / hi < kRemezThreshold;
}

} // namespace

RemezResult remez(int /*type*/, std::span<const double> bands, std::span<const double> desired,
                  std::span<const double> weights, int numtaps) {
    RemezResult result;
    if (numtaps < 1 || desired.empty() || bands.size() < 2 * desired.size() ||
        weights.size() < desired.size()) {
        return result;
    }
    const bool evenTaps = numtaps % 2 == 0;
    const int r = numtaps / 2 + (evenTaps ? 0 : 1);
    const Grid g = denseGrid(bands, desired, weights, r, evenTaps);
    const int size = static_cast<int>(g.f.size());
    if (size < r + 1) {
        return result;
    }
    std::vector<int> ext(r + 1);
    for (int k = 0; k <= r; ++k) {
        ext[k] = static_cast<int>(static_cast<long long>(k) * (size - 1) / r);
    }
    std::vector<double> x(size);
    for (int j = 0; j < size; ++j) {
        x[j] = std::cos(2.0 * kPi * g.f[j]);
    }
    std::vector<double> e(size);
    for (result.iterations = 1; result.iterations <= kRemezIterations; ++result.iterations) {
        const Interpolant a = calcParms(g, ext);
        for (int j = 0; j < size; ++j) {
            e[j] = g.w[j] * (g.d[j] - a.at(x[j]));
        }
        std::vector<int> next = search(g, e, ext.size());
        if (next.empty()) {
            break;
        }
        ext.swap(next);
        if (isDone(e, ext)) {
            result.converged = true;
            break;
        }
    }
    result.iterations = std::min(result.iterations, kRemezIterations);

    // Sample the final amplitude at numtaps frequencies and invert the
    // symmetric transform.
    const Interpolant a = calcParms(g, ext);
    const int half = (numtaps - 1) / 2;
    std::vector<double> amp(half + 1);
    for (int k = 0; k <= half; ++k) {
        const double f = static_cast<double>(k) / numtaps;
        amp[k] = a.at(std::cos(2.0 * kPi * f));
        if (evenTaps) {
            amp[k] *= std::cos(kPi * f);
        }
    }
    const double centre = (numtaps - 1) / 2.0;
    result.taps.resize(numtaps);
    for (int n = 0; n < numtaps; ++n) {
        double sum = amp[0];
        for (int k = 1; k <= half; ++k) {
            sum += 2.0 * amp[k] * std::cos(2.0 * kPi * k * (n - centre) / numtaps);
        }
        result.taps[n] = sum / numtaps;
    }
    return result;
}

double remezOrderEstimate(const RemezBands& b) {
    return std::round((-10.0 * std::log10(b.deltaPass * b.deltaStop) - 13.0) /
                      (14.6 * b.transition));
}

std::variant<RemezBands, std::string> Remez::bandsFor(const Data& data) {
    const double fl = data.f_lower;
    const double fu = data.f_upper;
    const double d = data.delta;
    RemezBands b;
    b.deltaPass = 0.5 * (1.0 - std::pow(10.0, -0.05 * data.pass_ripple));
    b.deltaStop = std::pow(10.0, -0.05 * data.stop_attn);
    const double c = b.deltaPass / b.deltaStop;
    switch (data.filtertype) {
    case 1:
        b.edges = {0.0, fu, fu + d, 0.5};
        b.desired = {1.0, 0.0};
        b.weights = {1.0, c};
        b.transition = (fu + d) - fu;
        break;
    case 2:
        b.edges = {0.0, fl - d, fl, 0.5};
        b.desired = {0.0, 1.0};
        b.weights = {c, 1.0};
        b.transition = fl - (fl - d);
        break;
    case 4:
        b.edges = {0.0, fl - d, fl, fu, fu + d, 0.5};
        b.desired = {0.0, 1.0, 0.0};
        b.weights = {c, 1.0, c};
        b.transition = std::min((fu + d) - fu, fl - (fl - d));
        break;
    case 8:
        b.edges = {0.0, fl, fl + d, fu - d, fu, 0.5};
        b.desired = {1.0, 0.0, 1.0};
        b.weights = {1.0, c, 1.0};
        b.transition = std::min(fu - (fu - d), (fl + d) - fl);
        break;
    default:
        return "Invalid filter type for the FIR design: " + std::to_string(data.filtertype);
    }
    if (auto refusal = checkBandEdges(b.edges)) {
        return *refusal;
    }
    const double estimate = remezOrderEstimate(b);
    if (!std::isfinite(estimate) || !std::isfinite(c) || c <= 0.0) {
        return std::string("The ripple, attenuation and transition width give no filter order "
                           "for the Remez design (they must be positive)");
    }
    return b;
}

std::vector<double> remezTaps(const RemezBands& b, const Data& data, int order, bool* converged) {
    RemezResult designed = remez(1, b.edges, b.desired, b.weights, order + 1);
    if (converged != nullptr) {
        *converged = designed.converged;
    }
    const double scale = std::pow(10.0, 0.05 * (data.gain - 0.5 * data.pass_ripple));
    for (double& tap : designed.taps) {
        tap *= scale;
    }
    return designed.taps;
}

DesignOutcome Remez::step(const DesignContext& context) {
    const Data& data = context.data;
    DesignOutcome outcome;
    outcome.finished = true;
    auto built = bandsFor(data);
    if (auto* refusal = std::get_if<std::string>(&built)) {
        outcome.refused = true;
        outcome.status = *refusal;
        return outcome;
    }
    const RemezBands& b = std::get<RemezBands>(built);
    if (order_ == 0) {
        if (data.filtertype == 8 && console_ != nullptr) {
            console_->out("Dbg: transition band BS: " + text::formatDouble(b.transition));
        }
        const double estimate = remezOrderEstimate(b);
        if (estimate > kRemezMaxOrder || estimate < 1.0) {
            outcome.refused = true;
            outcome.status =
                "Estimated filter order " + text::formatInt(static_cast<long long>(estimate)) +
                (estimate < 1.0 ? " is below the least order 1"
                                : " exceeds the limit of " + std::to_string(kRemezMaxOrder)) +
                " for the Remez design";
            return outcome;
        }
        order_ = static_cast<int>(estimate);
        if (console_ != nullptr) {
            console_->out("filterorder: " + std::to_string(order_));
        }
    }
    // One order per step, so that the views follow the search and a Stop
    // ends it between two designs.
    const int order = order_;
    context.status.setStatus(firtext::trying(order));
    bool converged = false;
    std::vector<double> taps = remezTaps(b, data, order, &converged);
    if (!converged && console_ != nullptr) {
        console_->out(kNoConvergence);
    }
    const bool met = !taps.empty() && checkFirBands(taps, data).met;
    if (!met && order < kRemezMaxOrder) {
        ++order_;
        outcome.finished = false;
        return outcome;
    }
    if (taps.empty()) {
        outcome.status = firtext::kNoSolution;
        return outcome;
    }
    ZeroCounts counts;
    outcome.layout = firLayout(std::move(taps), order, &counts);
    if (console_ != nullptr) {
        console_->out("No. of radii : " + std::to_string(counts.realZeros + counts.pairs));
        console_->out("No. of angles: " + std::to_string(counts.pairs));
        console_->out("No. of real zeros : " + std::to_string(counts.realZeros));
    }
    // At the limit the last design is kept, with the verdict it earned.
    outcome.status = met ? status::kSuccess : firtext::kNoSolution;
    return outcome;
}

} // namespace dovra
