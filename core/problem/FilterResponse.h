#pragma once
// The responses of one filter of a run, as a value: built from a parameter
// vector, its layout and what the run fixed (quantization, structure, design
// method, prefilter), it holds its own coefficients and answers magnitude and
// group delay with const functions that share nothing. The window thread
// builds one from a progress snapshot and plots it while the search runs.
//
// Magnitude and group delay are evaluated from the factors of the filter: its
// zeros and poles, taken from the sections as the filter realizes them (each
// section quantized when the coefficients are quantized in sections). The
// expanded direct-form polynomials lose their precision at high orders (a
// polynomial with many zeros near one point of the unit circle is evaluated
// there as a small difference of large terms), so they are used only where
// they are the filter itself: a quantized direct form, and the impulse
// response of a linear-phase FIR design.

#include <complex>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "problem/Layout.h"
#include "problem/Response.h"
#include "problem/Types.h"
#include "settings/DesignMethod.h"

namespace dovra {

/// What the responses of a run's filters depend on besides the vector and
/// its layout; fixed from the preparation of a run (or a design's layout) on.
struct RunFilter {
    std::int64_t quant = -1;
    int structure = 0;
    DesignMethod method = DesignMethod::ZPlane;
    /// Why the realization does not fit the capacities (no coefficients then).
    std::optional<std::string> capacityError;
    /// Impulse response of a linear-phase FIR design.
    std::vector<double> fir;
    Prefilter prefilter;
};

/// Group delay of the designed filter with the shortcuts of its method: half
/// the degree for a linear-phase FIR design, the constant delay of a pure,
/// unquantized linear-phase realization.
double designGroupDelay(std::span<const double> a, std::span<const double> b, int na, int nb,
                        double w, DesignMethod method, std::int64_t quant, const Layout& p);

class FilterResponse {
  public:
    /// A filter with no run behind it: gain 0, no prefilter.
    FilterResponse();
    FilterResponse(std::span<const double> x, const Layout& layout,
                   std::shared_ptr<const RunFilter> run);

    /// Magnitude (linear), level in dB and group delay of the designed filter
    /// at w (no prefilter).
    double amag(double w) const;
    double levelDb(double w) const;
    double gdel(double w) const;
    /// The same of the prefilter alone.
    double amag_ff(double w) const { return run_->prefilter.amag(w); }
    /// The prefilter's group delay, right next to zeros on the unit circle
    /// too (the cost's floor is not applied here).
    double gdel_ff(double w) const { return run_->prefilter.trueGdel(w); }
    /// Degrees of the prefilter's numerator and denominator together.
    int prefilterDegree() const {
        return run_->prefilter.numeratorDegree() + run_->prefilter.denominatorDegree();
    }

    /// The direct-form polynomials (what the report prints).
    const Coefficients& numerator() const { return a_; }
    const Coefficients& denominator() const { return b_; }
    int aDegree() const { return na_; }
    int bDegree() const { return nb_; }

    /// The zeros and poles the responses are evaluated from; for a quantized
    /// direct form those of its exact sections (near its own), for an FIR
    /// design none.
    const std::vector<std::complex<double>>& zeros() const { return zeros_; }
    const std::vector<std::complex<double>>& poles() const { return poles_; }

  private:
    /// True when the responses are evaluated from the polynomials.
    bool polynomial() const { return polynomial_; }

    std::shared_ptr<const RunFilter> run_;
    Layout layout_{};
    Coefficients a_{};
    Coefficients b_{};
    int na_ = 0, nb_ = 0;
    bool polynomial_ = true;
    /// The factored form: gain times the zero factors over the pole factors,
    /// each factor (1 - q z^-1).
    double gain_ = 0.0;
    std::vector<std::complex<double>> zeros_, poles_;
};

} // namespace dovra
