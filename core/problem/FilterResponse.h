#pragma once
// The responses of one filter of a run, as a value: built from a parameter
// vector, its layout and what the run fixed (quantization, structure, design
// method, prefilter), it holds its own coefficients and answers magnitude and
// group delay with const functions that share nothing. The window thread
// builds one from a progress snapshot and plots it while the search runs.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "design/FilterDesign.h"
#include "problem/Response.h"
#include "problem/Types.h"

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
                        double w, DesignMethod method, std::int64_t quant, const LayoutRecord& p);

class FilterResponse {
  public:
    /// A filter with no run behind it: gain 0, no prefilter.
    FilterResponse();
    FilterResponse(std::span<const double> x, const LayoutRecord& layout,
                   std::shared_ptr<const RunFilter> run);

    /// Magnitude and group delay of the designed filter at w (no prefilter).
    double amag(double w) const;
    double gdel(double w) const;
    /// The same of the prefilter alone.
    double amag_ff(double w) const { return run_->prefilter.amag(w); }
    double gdel_ff(double w) const { return run_->prefilter.gdel(w); }

    const Coefficients& numerator() const { return a_; }
    const Coefficients& denominator() const { return b_; }
    int aDegree() const { return na_; }
    int bDegree() const { return nb_; }

  private:
    std::shared_ptr<const RunFilter> run_;
    LayoutRecord layout_{};
    Coefficients a_{};
    Coefficients b_{};
    int na_ = 0, nb_ = 0;
};

} // namespace dovra
