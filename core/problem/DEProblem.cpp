#include "problem/DEProblem.h"

#include <algorithm>
#include <cmath>

namespace dovra {
namespace {

// Console lines of the prefilter loading.
const char* const kTooManyA = "Number of entries for a > ";
const char* const kTooManyB = "Number of entries for b > ";

// Texts of a realization that does not fit the fixed capacities.
const char* const kTooLarge = "Realization too large: ";
const char* const kInvalid = "Realization invalid: ";

// Largest polynomial degree a coefficient array holds.
constexpr long long kMaxDegree = kCoeffCapacity - 1;

int radiiCount(int n) {
    return n / 2 + n % 2;
}
int anglesCount(int n) {
    return n / 2;
}

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
    N_ = r.numDeg;
    M_ = r.denomDeg;
    L_ = r.linPairs;
    A_ = r.allpassPairs;
    dimension_ = static_cast<int>(static_cast<std::uint32_t>(r.dimension));
    // Settings cannot change while a run is in progress, so the design method
    // taken here holds for every response and coefficient built until the
    // next preparation.
    method_ = in.settings.method;
    // A realization that does not fit is refused, not trimmed: the settings
    // stay as they are, the layout is empty and the coefficient builders build
    // nothing, so no array is ever indexed beyond its capacity.
    capacityError_ = checkCapacity(N_, M_, L_, A_);
}

void DEProblem::computePoleZeroPointers() {
    if (capacityError_) {
        nZR_ = nZA_ = nPR_ = nPA_ = nLR_ = nLA_ = nZAR_ = nZAA_ = 0;
        zrFirst_ = zrLast_ = zaFirst_ = zaLast_ = 0;
        prFirst_ = prLast_ = paFirst_ = paLast_ = 0;
        lrFirst_ = lrLast_ = laFirst_ = laLast_ = 0;
        zarFirst_ = zarLast_ = zaaFirst_ = zaaLast_ = 0;
        return;
    }
    nZR_ = radiiCount(N_);
    nZA_ = anglesCount(N_);
    nPR_ = radiiCount(M_);
    nPA_ = anglesCount(M_);
    nLR_ = radiiCount(L_);
    nLA_ = anglesCount(L_);
    nZAR_ = radiiCount(A_);
    nZAA_ = anglesCount(A_);

    // Blocks follow each other without gaps after the gain at index 0; an
    // empty block collapses onto the last index of the block before it (onto
    // the gain when every block before it is empty).
    int previous = 0;
    auto place = [&previous](int count, int& first, int& last) {
        if (count >= 1) {
            first = previous + 1;
            last = previous + count;
        } else {
            first = last = previous;
        }
        previous = last;
    };
    place(nZR_, zrFirst_, zrLast_);
    place(nZA_, zaFirst_, zaLast_);
    place(nPR_, prFirst_, prLast_);
    place(nPA_, paFirst_, paLast_);
    place(nLR_, lrFirst_, lrLast_);
    place(nLA_, laFirst_, laLast_);
    place(nZAR_, zarFirst_, zarLast_);
    place(nZAA_, zaaFirst_, zaaLast_);
}

LayoutRecord DEProblem::getPZparameters() const {
    return {N_,       M_,       L_,       A_,        nZR_,     nZA_,      nPR_,
            nPA_,     nLR_,     nLA_,     nZAR_,     nZAA_,    zrFirst_,  zrLast_,
            zaFirst_, zaLast_,  prFirst_, prLast_,   paFirst_, paLast_,   lrFirst_,
            lrLast_,  laFirst_, laLast_,  zarFirst_, zarLast_, zaaFirst_, zaaLast_};
}

void DEProblem::setPZpointers(const PZPointers& p) {
    // A design writes into a vector of the vector capacity; bounds outside it
    // are kept inside so that no reader of the layout leaves the vector.
    auto bound = [](int v) { return std::clamp(v, 0, kVectorCapacity - 1); };
    zrFirst_ = bound(p[0]);
    zrLast_ = bound(p[1]);
    zaFirst_ = bound(p[2]);
    zaLast_ = bound(p[3]);
    prFirst_ = bound(p[4]);
    prLast_ = bound(p[5]);
    paFirst_ = bound(p[6]);
    paLast_ = bound(p[7]);
    auto count = [](int first, int last) { return std::max(0, last - first + 1); };
    nZR_ = count(zrFirst_, zrLast_);
    nZA_ = count(zaFirst_, zaLast_);
    nPR_ = count(prFirst_, prLast_);
    nPA_ = count(paFirst_, paLast_);
}

void DEProblem::initMisc(const RunInput& in) {
    D_ = std::clamp(dimension_, 0, kVectorCapacity);
    best_.fill(0.0);
    invLn10_ = 1.0 / std::log(10.0);
    initSampling(in);
    // Taken once per run: settings cannot change while a run is in progress.
    quant_ = in.settings.quant;
    structId_ = in.settings.structure;
    method_ = in.settings.method;
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

} // namespace dovra
