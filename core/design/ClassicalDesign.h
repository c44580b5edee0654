#pragma once
// The design methods 1 to 4 (Butterworth, Chebyshev type 1 and 2, elliptic) as
// design objects of the run control: one step designs the whole filter.

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "design/ClassicalIIR.h"
#include "design/FilterDesign.h"

namespace dovra {

/// The classical design of a method over best (length entries); nothing for
/// a method that is not a classical IIR design.
std::unique_ptr<ClassicalIIR> makeClassicalIIR(DesignMethod method, std::span<double> best,
                                               int length);

class ClassicalDesign : public FilterDesign {
  public:
    explicit ClassicalDesign(DesignMethod method) : method_(method) {}
    DesignMethod method() const override { return method_; }
    /// Designs the filter of the record. A design: the layout with degrees
    /// N = M = its order and "Design successful". A failed input check or an
    /// order that does not fit: a refusal with its text and no layout.
    /// The console lines of the design (a failed check, a failed root
    /// search) go with the outcome.
    DesignOutcome step(const DesignContext& context) override;

  private:
    DesignMethod method_;
};

} // namespace dovra
