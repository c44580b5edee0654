#include "problem/FilterResponse.h"

#include <algorithm>

#include "problem/Sections.h"

namespace dovra {

double designGroupDelay(std::span<const double> a, std::span<const double> b, int na, int nb,
                        double w, DesignMethod method, std::int64_t quant, const LayoutRecord& p) {
    if (isFirMethod(method)) {
        return na * 0.5;
    }
    int usedNa = 0;
    int usedNb = 0;
    double tau = response::groupDelay(a, b, na, nb, w, usedNa, usedNb);
    // A pure, unquantized linear-phase FIR realization has the constant delay
    // of its symmetric numerator (half its degree 2L).
    const int L = p[layout::L];
    if (quant <= 0 && L >= 1 && p[layout::N] == 0 && p[layout::M] == 0 && p[layout::A] == 0) {
        tau = 2 * (L / 2) + L % 2;
    }
    if (usedNa == 0 && usedNb == 0) {
        return 0.0;
    }
    return tau;
}

FilterResponse::FilterResponse() : run_(std::make_shared<RunFilter>()) {}

FilterResponse::FilterResponse(std::span<const double> x, const LayoutRecord& layout,
                               std::shared_ptr<const RunFilter> run)
    : run_(run ? std::move(run) : std::make_shared<RunFilter>()), layout_(layout) {
    if (run_->capacityError) {
        return;
    }
    const int N = layout[layout::N], M = layout[layout::M], L = layout[layout::L],
              A = layout[layout::A];
    na_ = N + 2 * L + A;
    nb_ = M + A;
    if (isFirMethod(run_->method)) {
        a_ = sections::firNumerator(sections::at(x, 0), run_->fir, N, run_->quant);
    } else {
        a_ = sections::numerator(x, layout, run_->quant, run_->structure);
    }
    b_ = sections::denominator(x, layout, run_->quant, run_->structure);
}

double FilterResponse::amag(double w) const {
    return response::magnitude(a_, b_, na_, nb_, w);
}

double FilterResponse::gdel(double w) const {
    return designGroupDelay(a_, b_, na_, nb_, w, run_->method, run_->quant, layout_);
}

} // namespace dovra
