#include "problem/IIR.h"

#include <algorithm>
#include <cmath>

#include "problem/FilterResponse.h"
#include "problem/Sections.h"

namespace dovra {
IIR::IIR() = default;

// --- coefficients ---------------------------------------------------------------------

double IIR::safe_invert(double r) {
    return sections::safeInvert(r);
}

Coefficients IIR::convolve(std::span<const double> h, std::span<const double> x, int n, int m) {
    Coefficients out{};
    n = std::min({n, static_cast<int>(x.size()), kCoeffCapacity});
    m = std::min(m, static_cast<int>(h.size()));
    if (n <= 0 || m <= 0) {
        return out;
    }
    // Delay line of the n entries of x: entry k holds h[i - k] at output i.
    Coefficients line{};
    const int outputs = std::min(n + m - 1, kCoeffCapacity);
    for (int i = 0; i < outputs; ++i) {
        for (int k = n - 1; k >= 1; --k) {
            line[static_cast<std::size_t>(k)] = line[static_cast<std::size_t>(k - 1)];
        }
        line[0] = i < m ? h[static_cast<std::size_t>(i)] : 0.0;
        double acc = 0.0;
        for (int k = 0; k < n; ++k) {
            acc += x[static_cast<std::size_t>(k)] * line[static_cast<std::size_t>(k)];
        }
        out[static_cast<std::size_t>(i)] = acc;
    }
    return out;
}

Coefficients IIR::coeffi_b(std::span<const double> x, std::int64_t q, int structure) const {
    if (capacityError_) {
        return {};
    }
    return sections::denominator(x, layout_, q, structure);
}

Coefficients IIR::coeffi_a(std::span<const double> x, std::int64_t q, int structure) const {
    if (capacityError_) {
        return {};
    }
    if (isFirMethod(settings_.method)) {
        // Linear-phase FIR designs: the impulse response times the gain.
        return sections::firNumerator(sections::at(x, 0), fir_, layout_.N, q);
    }
    return sections::numerator(x, layout_, q, structure);
}

std::shared_ptr<const RunFilter> IIR::runFilter() const {
    auto f = std::make_shared<RunFilter>();
    f->quant = settings_.quant;
    f->structure = settings_.structure;
    f->method = settings_.method;
    f->capacityError = capacityError_;
    if (isFirMethod(settings_.method)) {
        f->fir.assign(fir_.begin(), fir_.end());
    }
    f->prefilter = prefilter_;
    return f;
}

void IIR::getCoefficients(std::span<const double> h) {
    fir_.fill(0.0);
    std::copy_n(h.begin(), std::min(h.size(), fir_.size()), fir_.begin());
}

// --- responses ------------------------------------------------------------------------------

double IIR::amag_ab(std::span<const double> a, std::span<const double> b, int na, int nb,
                    double w) const {
    return response::magnitude(a, b, na, nb, w);
}

double IIR::gdel_ab(std::span<const double> a, std::span<const double> b, int na, int nb,
                    double w) const {
    // The design method and the quantization are the ones cached when the run
    // was prepared: settings cannot change while a run is in progress.
    return designGroupDelay(a, b, na, nb, w, settings_.method, settings_.quant, layout_);
}

double IIR::amag_ff(double w) const {
    return prefilter_.amag(w);
}

double IIR::gdel_ff(double w) const {
    return prefilter_.gdel(w);
}

double IIR::amag(std::span<const double> x, double w) const {
    const Coefficients b = coeffi_b(x, settings_.quant, settings_.structure);
    const Coefficients a = coeffi_a(x, settings_.quant, settings_.structure);
    return amag_ab(a, b, get_a_degree(), get_b_degree(), w);
}

double IIR::gdel(std::span<const double> x, double w) const {
    const Coefficients b = coeffi_b(x, settings_.quant, settings_.structure);
    const Coefficients a = coeffi_a(x, settings_.quant, settings_.structure);
    return gdel_ab(a, b, get_a_degree(), get_b_degree(), w);
}

} // namespace dovra
