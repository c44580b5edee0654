#include "report/ExportFilter.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "text/NumberText.h"

namespace dovra {
namespace {

// Why there is nothing to export, or no sections.
const char* const kNoRun = "no run has prepared a filter";
const char* const kRefused = "the run was refused, so no filter was designed";
const char* const kNoCoefficients = "the realization has no coefficients: ";
const char* const kNothingDesigned = "the run ended before it designed a filter";
const char* const kNotFinite = "the filter has a coefficient that is not a finite number";
const char* const kWholePolynomial =
    "the filter is quantized as a whole polynomial (in direct form), so it has no sections of "
    "its own: sections of it would not be the quantized filter";
const char* const kNoFactoredTaps =
    "the impulse response has no factored form (its first tap is 0, so its zeros were not "
    "found)";
const char* const kTooWide = "a quantized coefficient needs more than 64 bits as an integer";
const char* const kNotOnGrid = "a coefficient is not a whole multiple of the quantization step";

// The relative difference allowed between an FIR design's taps and the
// product of the sections of its zeros: the zeros are found numerically, and
// sections that do not give back the taps would be another filter.
constexpr double kFirSectionTolerance = 1e-9;

bool finite(const std::vector<double>& v) {
    return std::all_of(v.begin(), v.end(), [](double c) { return std::isfinite(c); });
}

bool finite(const std::vector<Section>& v) {
    return std::all_of(v.begin(), v.end(), [](const Section& s) {
        return std::all_of(s.c.begin(), s.c.end(), [](double c) { return std::isfinite(c); });
    });
}

std::array<double, 3> padded(const Section& s) {
    std::array<double, 3> c{0.0, 0.0, 0.0};
    for (int i = 0; i < s.size && i < 3; ++i) {
        c[static_cast<std::size_t>(i)] = s.c[static_cast<std::size_t>(i)];
    }
    return c;
}

std::vector<double> product(const std::vector<Section>& sections, double gain) {
    std::vector<double> p{gain};
    for (const Section& s : sections) {
        std::vector<double> next(p.size() + static_cast<std::size_t>(s.size) - 1, 0.0);
        for (std::size_t i = 0; i < p.size(); ++i) {
            for (int j = 0; j < s.size; ++j) {
                next[i + static_cast<std::size_t>(j)] += p[i] * s.c[static_cast<std::size_t>(j)];
            }
        }
        p = std::move(next);
    }
    return p;
}

/// Largest difference between two coefficient lists, relative to the
/// largest magnitude of the first.
double relativeDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double peak = 0.0;
    double diff = 0.0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const double x = i < a.size() ? a[i] : 0.0;
        const double y = i < b.size() ? b[i] : 0.0;
        peak = std::max(peak, std::abs(x));
        diff = std::max(diff, std::abs(x - y));
    }
    return peak > 0.0 ? diff / peak : diff;
}

int fractionBits(std::int64_t quant) {
    int f = 0;
    while (f < 62 && (std::int64_t{1} << f) < quant) {
        ++f;
    }
    return f;
}

std::string degreesMismatch(const char* what, int degree, int roots) {
    return std::string("the filter's degree of ") + what + " (" + std::to_string(degree) +
           ") is not the number its blocks hold (" + std::to_string(roots) +
           "), so its polynomials are not the designed filter";
}

/// Bits of the smallest two's-complement integer that holds n.
int signedBits(std::int64_t n) {
    const auto magnitude = static_cast<std::uint64_t>(n < 0 ? ~n : n);
    return static_cast<int>(std::bit_width(magnitude)) + 1;
}

} // namespace

int FixedPointValues::storageBits() const {
    const int bits = totalBits();
    return bits <= 8 ? 8 : bits <= 16 ? 16 : bits <= 32 ? 32 : 64;
}

double FixedPointValues::scale() const {
    return std::ldexp(1.0, -fracBits);
}

int ExportFilter::wordLength() const {
    return quantized() ? fractionBits(quant) + 1 : 0;
}

std::vector<SosRow> ExportFilter::stageRows() const {
    if (!hasSections) {
        return {};
    }
    const std::size_t n = std::max({zeroSections.size(), poleSections.size(), std::size_t{1}});
    const Section one{};
    std::vector<SosRow> rows(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto b = padded(i < zeroSections.size() ? zeroSections[i] : one);
        const auto a = padded(i < poleSections.size() ? poleSections[i] : one);
        rows[i] = {b[0], b[1], b[2], a[0], a[1], a[2]};
    }
    return rows;
}

std::vector<SosRow> ExportFilter::sosRows() const {
    std::vector<SosRow> rows = stageRows();
    if (!rows.empty()) {
        for (std::size_t j = 0; j < 3; ++j) {
            rows[0][j] *= gain;
        }
    }
    return rows;
}

std::string sectionsProblem(DesignMethod method, std::int64_t quant, int structure) {
    if (quant > 0 && (isFirMethod(method) || structure == 0)) {
        return kWholePolynomial;
    }
    return {};
}

std::string exportableProblem(const ProgressSnapshot& snap) {
    if (!snap.filter) {
        return kNoRun;
    }
    if (snap.refused) {
        return kRefused;
    }
    if (snap.filter->capacityError) {
        return kNoCoefficients + *snap.filter->capacityError;
    }
    // As the check after the run sees it: a search has designed a filter
    // once its first population was scored, the other designs once they
    // set a degree.
    const bool designed = snap.filter->method == DesignMethod::ZPlane
                              ? snap.evaluation > 0
                              : snap.aDegree > 0 || snap.bDegree > 0;
    if (!designed) {
        return kNothingDesigned;
    }
    // The degrees the polynomials are built from must be the roots the
    // blocks hold; where a design's order was cut by the realization's
    // limits, the polynomials are not the designed filter. The poles of an
    // FIR design are none, whatever its blocks say.
    const Layout& p = snap.layout;
    const int zeros = p[Block::ZeroRadii].count + p[Block::ZeroAngles].count;
    const int poles = p[Block::PoleRadii].count + p[Block::PoleAngles].count;
    const bool fir = isFirMethod(snap.filter->method);
    if ((!fir || zeros > 0) && zeros != p.N) {
        return degreesMismatch("zeros", p.N, zeros);
    }
    if (!fir && poles != p.M) {
        return degreesMismatch("poles", p.M, poles);
    }
    return {};
}

std::optional<ExportFilter> exportFilterOf(const ProgressSnapshot& snap, std::string& error) {
    error = exportableProblem(snap);
    if (!error.empty()) {
        return std::nullopt;
    }
    const RunFilter& run = *snap.filter;
    const FilterResponse response = snap.bestFilter();
    ExportFilter f;
    f.method = run.method;
    f.quant = run.quant;
    f.structure = run.structure;
    f.layout = snap.layout;

    const int na = std::min(response.aDegree(), kCoeffCapacity - 1);
    const int nb = std::min(response.bDegree(), kCoeffCapacity - 1);
    const Coefficients& a = response.numerator();
    const Coefficients& b = response.denominator();
    f.numerator.assign(a.begin(), a.begin() + na + 1);
    if (nb == 0) {
        f.denominator = {1.0};
    } else {
        f.denominator.assign(b.begin(), b.begin() + nb + 1);
    }

    const Layout& p = snap.layout;
    f.noSections = sectionsProblem(f.method, f.quant, f.structure);
    // The blocks hold every root (exportableProblem saw to it), except those
    // of an FIR design whose zeros were not found.
    if (f.noSections.empty() && f.fir() &&
        p[Block::ZeroRadii].count + p[Block::ZeroAngles].count != p.N) {
        f.noSections = kNoFactoredTaps;
    }
    if (f.noSections.empty()) {
        const bool quantize = f.quantizedSections();
        auto collect = [quantize, q = f.quant](std::vector<Section>& to) {
            return [&to, quantize, q](Section s, bool) {
                if (s.size < 2) {
                    return;
                }
                if (quantize) {
                    for (int i = 0; i < s.size; ++i) {
                        s.c[static_cast<std::size_t>(i)] =
                            sections::quantize(s.c[static_cast<std::size_t>(i)], q);
                    }
                }
                to.push_back(s);
            };
        };
        sections::forEachZeroSection(snap.best, p, collect(f.zeroSections));
        // An FIR design has no poles: its denominator is 1 whatever degree
        // its layout gives it.
        if (!f.fir()) {
            sections::forEachPoleSection(snap.best, p, collect(f.poleSections));
        }
        // The gain as the filter response carries it: the vector's for a
        // filter with zeros, the (possibly quantized) constant numerator
        // otherwise.
        f.gain = p.N > 0 || p.L > 0 || p.A > 0 ? snap.best[0] : f.numerator[0];
        f.hasSections = true;
        if (f.fir()) {
            const double d = relativeDifference(f.numerator, product(f.zeroSections, f.gain));
            if (!(d <= kFirSectionTolerance)) {
                f.noSections = "the sections of the zeros give back the impulse response only "
                               "to a relative " +
                               text::formatDouble(d);
                f.hasSections = false;
                f.zeroSections.clear();
                f.poleSections.clear();
            }
        }
    }
    if (!finite(f.numerator) || !finite(f.denominator) || !finite(f.zeroSections) ||
        !finite(f.poleSections) || !std::isfinite(f.gain)) {
        error = kNotFinite;
        return std::nullopt;
    }
    return f;
}

std::optional<FixedPointValues> fixedPointOf(const std::vector<double>& c, std::int64_t quant,
                                             std::string& error) {
    FixedPointValues v;
    v.fracBits = fractionBits(quant);
    const double q = static_cast<double>(quant);
    int bits = 1;
    for (double x : c) {
        // q is a power of 2, so q x is exact, and a whole number for a
        // coefficient on the quantization grid.
        const double n = q * x;
        if (n != std::floor(n)) {
            error = kNotOnGrid;
            return std::nullopt;
        }
        if (!(std::abs(n) < 9223372036854775808.0)) {
            error = kTooWide;
            return std::nullopt;
        }
        v.values.push_back(static_cast<std::int64_t>(n));
        bits = std::max(bits, signedBits(v.values.back()));
    }
    v.intBits = std::max(0, bits - 1 - v.fracBits);
    return v;
}

} // namespace dovra
