#include "problem/DEProblem.h"

#include "problem/CostKernels.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace dovra {
namespace {

constexpr int kGridPoints = 64;
constexpr int kGridStride = 7;

int pointsPerSegment(const std::string& granularity) {
    if (granularity == "coarse") {
        return 10;
    }
    if (granularity == "medium") {
        return 28;
    }
    return 64;
}

// Console lines of the prefilter loading.
const char* const kTooManyA = "Number of entries for a > ";
const char* const kTooManyB = "Number of entries for b > ";

// Texts of a realization that does not fit the fixed capacities.
const char* const kTooLarge = "Realization too large: ";
const char* const kInvalid = "Realization invalid: ";

// Largest polynomial degree a coefficient array holds.
constexpr long long kMaxDegree = kCoeffCapacity - 1;

} // namespace

DEProblem::DEProblem() {
    buildSamplingTables();
}

// --- realization and layout ----------------------------------------------------

std::optional<std::string> DEProblem::checkCapacity(int N, int M, int L, int A) {
    const struct {
        int value;
        const char* name;
    } counts[] = {{N, "numerator degree"},
                  {M, "denominator degree"},
                  {L, "number of linear phase zero pairs"},
                  {A, "number of allpass pole/zero pairs"}};
    for (const auto& c : counts) {
        if (c.value < 0) {
            return std::string(kInvalid) + c.name + " " + std::to_string(c.value) + " is negative";
        }
    }
    // 64-bit sums: the check itself must not overflow for any int input.
    const long long numerator = static_cast<long long>(N) + 2LL * L + A;
    const long long denominator = static_cast<long long>(M) + A;
    const long long dimension = 1LL + N + M + L + A;
    auto exceeds = [](const char* what, long long value, long long limit) {
        return std::string(kTooLarge) + what + " " + std::to_string(value) +
               " exceeds the limit of " + std::to_string(limit) + " by " +
               std::to_string(value - limit);
    };
    if (numerator > kMaxDegree) {
        return exceeds("numerator degree", numerator, kMaxDegree);
    }
    if (denominator > kMaxDegree) {
        return exceeds("denominator degree", denominator, kMaxDegree);
    }
    if (dimension > kVectorCapacity) {
        return std::string(kTooLarge) + "parameter vector of " + std::to_string(dimension) +
               " entries exceeds the limit of " + std::to_string(kVectorCapacity) + " entries by " +
               std::to_string(dimension - kVectorCapacity);
    }
    return std::nullopt;
}

void DEProblem::getPolesAndZeros(const RunInput& in) {
    const RealizationValues& r = in.realization;
    layout_.N = r.numDeg;
    layout_.M = r.denomDeg;
    layout_.L = r.linPairs;
    layout_.A = r.allpassPairs;
    dimension_ = static_cast<int>(static_cast<std::uint32_t>(r.dimension));
    // Settings cannot change while a run is in progress, so the design method
    // taken here holds for every response and coefficient built until the
    // next preparation.
    settings_.method = in.settings.method;
    // A realization that does not fit is refused, not trimmed: the settings
    // stay as they are, the layout is empty and the coefficient builders build
    // nothing, so no array is ever indexed beyond its capacity.
    capacityError_ = checkCapacity(layout_.N, layout_.M, layout_.L, layout_.A);
}

void DEProblem::computePoleZeroPointers() {
    if (capacityError_) {
        // The degrees stay as read; no block holds anything.
        layout_.blocks = {};
        return;
    }
    layout_ = Layout::of(layout_.N, layout_.M, layout_.L, layout_.A);
}

LayoutRecord DEProblem::getPZparameters() const {
    return layout_.record();
}

void DEProblem::setPZpointers(const PZPointers& p) {
    layout_.setPointers(p);
}

void DEProblem::initMisc(const RunInput& in) {
    D_ = std::clamp(dimension_, 0, kVectorCapacity);
    best_.fill(0.0);
    invLn10_ = 1.0 / std::log(10.0);
    // Taken once per run: settings cannot change while a run is in progress
    // (the pages are locked in "Running" and "Paused"), so the cost function,
    // the bounds check and the completion test read this copy.
    settings_ = in.settings;
    clearAddedSamples();
    initSampling();
    phase_ = 0;
}

void DEProblem::getBest(std::span<const double> x) {
    best_.fill(0.0);
    const std::size_t n = std::min(x.size(), best_.size());
    std::copy_n(x.begin(), n, best_.begin());
}

// --- prefilter ---------------------------------------------------------------------

void DEProblem::load_fixed_filter(const RunInput& in, Console& console, int noPrefilter) {
    // Nothing of a previous prefilter survives a load.
    prefilter_ = Prefilter();
    if (noPrefilter != 0) {
        return;
    }
    // A table over the capacity is reported and treated as empty.
    auto load = [&console](const CoefficientValues& table, const char* tooMany) {
        if (table.rows > kTableCapacity) {
            console.out(tooMany + std::to_string(kTableCapacity));
            return std::vector<double>();
        }
        return table.coefficients;
    };
    const std::vector<double> a = load(in.ffNumerator, kTooManyA);
    const std::vector<double> b = load(in.ffDenominator, kTooManyB);
    prefilter_ = Prefilter(a, b);
}

// --- tolerance scheme and its sampling ---------------------------------------------

void DEProblem::init_tolerance_scheme(const RunInput& in, Console& console) {
    scheme_ = ToleranceScheme(in, console);
    clearAddedSamples();
    gridReady_ = false;
}

void DEProblem::clearAddedSamples() {
    for (AddedSamples& a : added_) {
        a.count = 0;
        a.w.assign(added_capacity, 0.0);
        a.limit.assign(added_capacity, 0.0);
    }
}

int DEProblem::parseToleranceScheme() {
    return scheme_.parse(data_);
}

void DEProblem::buildSamplingTables() {
    // Storage order of the points j / 63: first every seventh point (0, 7, ..
    // 63, the coarse grid of ten), then the sub-grids 1, 8, .. 57 up to 6, 13,
    // .. 62. A prefix of 10, 28 or 64 entries is thus a coarse, medium or fine
    // grid of the unit interval.
    int position = 0;
    for (int start = 0; start < kGridStride; ++start) {
        for (int j = start; j < kGridPoints; j += kGridStride) {
            const double t = static_cast<double>(j) / 63.0;
            linearTable_[static_cast<std::size_t>(position)] = t;
            cosineTable_[static_cast<std::size_t>(position)] =
                (1.0 - std::cos(pi * static_cast<double>(j) / 63.0)) / 2.0;
            ++position;
        }
    }
    // The sample buffers of the cost function are sized when a run first
    // samples its scheme (sampleScheme): a problem that never runs holds none.
    gridReady_ = false;
}

void DEProblem::initSampling() {
    pointsPerSegment_ = pointsPerSegment(settings_.samplingGranularity);
    samplingTable_ = settings_.samplingMode == "linear" ? &linearTable_ : &cosineTable_;

    // The samples depend on the prefilter and the realization as well, which
    // a run may load in any order before its first evaluation.
    gridReady_ = false;
}

namespace {

/// The power ratio against which a sample's |A/B|^2 is screened: a limit of
/// `db` dB for the filter alone is the ratio 10^(db / 10). The screen is
/// widened by 1e-9 relative, far beyond the rounding of the level in dB, so
/// that it lets through every sample the exact comparison in dB would find
/// violating. A ratio outside the range of double (a limit of some thousand
/// dB, or a prefilter zero on the sample) screens nothing out.
double powerThreshold(double db, bool upper) {
    const double ratio = std::pow(10.0, db / 10.0);
    if (!(ratio >= 1e-290 && ratio <= 1e290)) {
        return upper ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return upper ? ratio * (1.0 - 1e-9) : ratio * (1.0 + 1e-9);
}

} // namespace

double DEProblem::evaluationWork() const {
    double samples = 0.0;
    for (const SampledTable& t : sampled_) {
        samples += t.count;
    }
    return samples * (get_a_degree() + get_b_degree() + 2) + 200.0;
}

void DEProblem::fitScratch(Scratch& s) const {
    std::size_t room = 0;
    for (const SampledTable& t : sampled_) {
        room = std::max(room, t.limit.size());
    }
    for (std::vector<double>* v : {&s.first, &s.second, &s.delayUpper, &s.delayLower}) {
        if (v->size() < room) {
            v->resize(room, 0.0);
        }
    }
}

CostVector DEProblem::evaluate(std::span<const double> x, int) {
    prepareEvaluation();
    fitScratch(own_);
    const Evaluation e = costOf(x, own_);
    offset_ = e.offset;
    return e.cost;
}

void DEProblem::sampleScheme() {
    // The magnitude tables come first, in the order of the scheme's tables.
    constexpr std::array<ToleranceScheme::Table, 4> order{
        ToleranceScheme::MagUpper, ToleranceScheme::MagLower, ToleranceScheme::GdUpper,
        ToleranceScheme::GdLower};
    const auto& t = *samplingTable_;
    const int S = pointsPerSegment_;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const ToleranceScheme::Rows& src = scheme_.table(order[k]);
        const bool magnitude =
            order[k] == ToleranceScheme::MagUpper || order[k] == ToleranceScheme::MagLower;
        SampledTable& out = sampled_[k];
        const int n = src.usable();
        // Room for the grid of this run and for every sample it may add, so
        // that adding samples never resizes the buffers again.
        // The cost's kernels read and write whole vectors past the last sample.
        const std::size_t room =
            static_cast<std::size_t>(std::max(n - 1, 0)) * static_cast<std::size_t>(S) +
            static_cast<std::size_t>(added_capacity) + kernels::kPadding;
        for (std::vector<double>* v :
             {&out.limit, &out.zRe, &out.zIm, &out.prefilter, &out.threshold}) {
            if (v->size() < room) {
                v->resize(room, 0.0);
            }
        }
        std::size_t i = 0;
        auto put = [&](double w, double limit) {
            out.limit[i] = limit;
            const double theta = two_pi * w;
            out.zRe[i] = std::cos(theta);
            out.zIm[i] = -std::sin(theta);
            out.prefilter[i] = magnitude ? 20.0 * std::log(amag_ff(w)) * invLn10_ : gdel_ff(w);
            out.threshold[i] = magnitude ? powerThreshold(limit - out.prefilter[i], k == 0) : 0.0;
            ++i;
        };
        for (int seg = 0; seg + 1 < n; ++seg) {
            const auto a = static_cast<std::size_t>(seg);
            for (int j = 0; j < S; ++j) {
                const double tj = t[static_cast<std::size_t>(j)];
                put(src.omega[a] + (src.omega[a + 1] - src.omega[a]) * tj,
                    src.limit[a] + (src.limit[a + 1] - src.limit[a]) * tj);
            }
        }
        // The samples added between the grid points follow the grid's.
        const AddedSamples& extra = added_[k];
        for (int e = 0; e < extra.count; ++e) {
            put(extra.w[static_cast<std::size_t>(e)], extra.limit[static_cast<std::size_t>(e)]);
        }
        out.count = static_cast<int>(i);
    }
    gridReady_ = true;
}

DEProblem::Refinement DEProblem::refineSamples(std::span<const double> x, double offset,
                                               double tolerance) {
    Refinement r;
    const FilterResponse filter(x, layout_, runFilter());
    const ScanGuide guide = scanGuideOf(filter, filter.prefilterDegree());
    const std::function<double(double)> level = [&filter, this](double w) {
        return filter.levelDb(w) + 20.0 * std::log(filter.amag_ff(w)) * invLn10_;
    };
    const std::function<double(double)> delay = [&filter](double w) {
        return filter.gdel(w) + filter.gdel_ff(w);
    };
    constexpr std::array<ToleranceScheme::Table, 4> order{
        ToleranceScheme::MagUpper, ToleranceScheme::MagLower, ToleranceScheme::GdUpper,
        ToleranceScheme::GdLower};
    std::vector<LimitRow> rows;
    std::vector<ExcessPeak> peaks;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const ToleranceScheme::Rows& src = scheme_.table(order[k]);
        const bool magnitude = k < 2;
        rows.clear();
        for (int i = 0; i < src.usable(); ++i) {
            rows.push_back(
                {src.omega[static_cast<std::size_t>(i)], src.limit[static_cast<std::size_t>(i)]});
        }
        peaks.clear();
        findExcessPeaks(rows, magnitude ? 0.0 : offset, k % 2 == 0, magnitude ? level : delay,
                        guide, tolerance, peaks);
        AddedSamples& extra = added_[k];
        for (const ExcessPeak& p : peaks) {
            r.met = false;
            double& worst = magnitude ? r.magExcess : r.gdExcess;
            if (p.excess > worst) {
                worst = p.excess;
                (magnitude ? r.magFrequency : r.gdFrequency) = p.w;
            }
            // The limit as the grid interpolates it, without the offset (the
            // cost adds the offset of each evaluation).
            const auto a = static_cast<std::size_t>(p.segment);
            const double limit = src.limit[a] + (src.limit[a + 1] - src.limit[a]) * p.t;
            bool known = false;
            for (int e = 0; e < extra.count && !known; ++e) {
                const auto u = static_cast<std::size_t>(e);
                known = extra.w[u] == p.w && extra.limit[u] == limit;
            }
            if (known || extra.count >= added_capacity) {
                continue;
            }
            extra.w[static_cast<std::size_t>(extra.count)] = p.w;
            extra.limit[static_cast<std::size_t>(extra.count)] = limit;
            ++extra.count;
            ++r.added;
        }
    }
    if (r.added > 0) {
        gridReady_ = false;
    }
    return r;
}

} // namespace dovra
