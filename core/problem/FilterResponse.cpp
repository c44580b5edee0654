#include "problem/FilterResponse.h"

#include <algorithm>
#include <cmath>

#include "problem/Sections.h"

namespace dovra {
namespace {

using Root = std::complex<double>;

constexpr double kTwoPi = 6.283185307179586;
// 10 / ln 10: a natural logarithm of a power in dB.
const double kDbPerNeper = 10.0 / std::log(10.0);

/// The roots q of a section 1 + c1 z^-1 + c2 z^-2 = (1 - q1 z^-1)(1 - q2 z^-1)
/// (or 1 + c1 z^-1, or the constant 1), appended to out.
void addRoots(const Section& s, std::vector<Root>& out) {
    if (s.size == 2) {
        out.emplace_back(-s.c[1], 0.0);
        return;
    }
    if (s.size != 3) {
        return;
    }
    const double c1 = s.c[1];
    const double c2 = s.c[2];
    const double disc = c1 * c1 - 4.0 * c2;
    if (disc < 0.0) {
        const double im = 0.5 * std::sqrt(-disc);
        out.emplace_back(-0.5 * c1, im);
        out.emplace_back(-0.5 * c1, -im);
        return;
    }
    // The larger root without cancellation, the smaller from the product.
    const double q1 = -0.5 * (c1 + std::copysign(std::sqrt(disc), c1));
    out.emplace_back(q1, 0.0);
    out.emplace_back(q1 != 0.0 ? c2 / q1 : 0.0, 0.0);
}

// A factor's magnitude is taken as at least 1e-16, the resolution of a
// double near 1: a zero on the unit circle, met exactly, gives a very low
// level rather than minus infinity (a filter of rounded coefficients has no
// exact zero there either), and a pole there a very high but finite one. The
// floor is a factor's own: a filter of high order with many roots near one
// point may well have a product far below it.
constexpr double kFactorPowerFloor = 1e-32;

/// |1 - u|^2, the power of one factor at u = q z.
double factorPower(Root u) {
    const double re = 1.0 - u.real();
    return re * re + u.imag() * u.imag();
}

/// ln |1 - q z|^2 summed over the roots (z = e^(-j theta)), a logarithm per
/// factor (a product would round differently from the sums every stored
/// level was made of).
double logPowerOf(const std::vector<Root>& roots, Root z) {
    double logPower = 0.0;
    for (const Root& q : roots) {
        logPower += std::log(std::max(factorPower(q * z), kFactorPowerFloor));
    }
    return logPower;
}

/// The group delay of the roots' factors: with u = q z, (|u|^2 - Re u) /
/// |1 - u|^2 each. A root on the unit circle adds 1/2 at every frequency,
/// also at its own, where the quotient is 0 / 0.
double delayOf(const std::vector<Root>& roots, Root z) {
    double delay = 0.0;
    for (const Root& q : roots) {
        const Root u = q * z;
        const double power = factorPower(u);
        delay += power > 0.0 ? (std::norm(u) - u.real()) / power : 0.5;
    }
    return delay;
}

} // namespace

double designGroupDelay(std::span<const double> a, std::span<const double> b, int na, int nb,
                        double w, DesignMethod method, std::int64_t quant, const Layout& p) {
    if (isFirMethod(method)) {
        return na * 0.5;
    }
    int usedNa = 0;
    int usedNb = 0;
    double tau = response::groupDelay(a, b, na, nb, w, usedNa, usedNb);
    // A pure, unquantized linear-phase FIR realization has the constant delay
    // of its symmetric numerator (half its degree 2L).
    const int L = p.L;
    if (quant <= 0 && L >= 1 && p.N == 0 && p.M == 0 && p.A == 0) {
        tau = 2 * (L / 2) + L % 2;
    }
    if (usedNa == 0 && usedNb == 0) {
        return 0.0;
    }
    return tau;
}

FilterResponse::FilterResponse() : run_(std::make_shared<RunFilter>()) {}

FilterResponse::FilterResponse(std::span<const double> x, const Layout& layout,
                               std::shared_ptr<const RunFilter> run)
    : run_(run ? std::move(run) : std::make_shared<RunFilter>()), layout_(layout) {
    if (run_->capacityError) {
        return;
    }
    const int N = layout.N, M = layout.M, L = layout.L, A = layout.A;
    na_ = N + 2 * L + A;
    nb_ = M + A;
    const std::int64_t q = run_->quant;
    const int structure = run_->structure;
    if (isFirMethod(run_->method)) {
        a_ = sections::firNumerator(sections::at(x, 0), run_->fir, N, q);
    } else {
        a_ = sections::numerator(x, layout, q, structure);
    }
    b_ = sections::denominator(x, layout, q, structure);

    // The impulse response of an FIR design and a quantized direct form are
    // their polynomials; every other filter is its sections.
    polynomial_ = isFirMethod(run_->method) || (q > 0 && structure == 0);
    if (isFirMethod(run_->method)) {
        return;
    }
    // A quantized direct form keeps the roots of its exact sections: not its
    // own, but near them, where the dense check looks closer.
    const bool quantizedSections = q > 0 && structure == 1;
    auto roots = [&](std::vector<Root>& out) {
        return [&out, q, quantizedSections](Section s, bool) {
            if (quantizedSections) {
                for (int i = 0; i < s.size; ++i) {
                    s.c[static_cast<std::size_t>(i)] =
                        sections::quantize(s.c[static_cast<std::size_t>(i)], q);
                }
            }
            addRoots(s, out);
        };
    };
    zeros_.reserve(static_cast<std::size_t>(na_));
    poles_.reserve(static_cast<std::size_t>(nb_));
    if (N > 0 || L > 0 || A > 0) {
        sections::forEachZeroSection(x, layout, roots(zeros_));
        gain_ = sections::at(x, 0);
    } else {
        // A filter without zeros is its gain, quantized as the polynomial is.
        gain_ = a_[0];
    }
    if (M > 0 || A > 0) {
        sections::forEachPoleSection(x, layout, roots(poles_));
    }
}

double FilterResponse::amag(double w) const {
    if (polynomial()) {
        return response::magnitude(a_, b_, na_, nb_, w);
    }
    return std::pow(10.0, levelDb(w) / 20.0);
}

double FilterResponse::levelDb(double w) const {
    if (polynomial()) {
        return 20.0 * std::log10(response::magnitude(a_, b_, na_, nb_, w));
    }
    const Root z = std::polar(1.0, -kTwoPi * w);
    const double numerator = logPowerOf(zeros_, z);
    const double denominator = logPowerOf(poles_, z);
    return 20.0 * std::log10(std::abs(gain_)) + kDbPerNeper * (numerator - denominator);
}

double FilterResponse::gdel(double w) const {
    if (polynomial()) {
        return designGroupDelay(a_, b_, na_, nb_, w, run_->method, run_->quant, layout_);
    }
    // The shortcuts of the design method, with the factors' own delay instead
    // of the polynomials'.
    const int L = layout_.L;
    if (run_->quant <= 0 && L >= 1 && layout_.N == 0 && layout_.M == 0 && layout_.A == 0) {
        return 2 * (L / 2) + L % 2;
    }
    if (na_ == 0 && nb_ == 0) {
        return 0.0;
    }
    const Root z = std::polar(1.0, -kTwoPi * w);
    return delayOf(zeros_, z) - delayOf(poles_, z);
}

} // namespace dovra
