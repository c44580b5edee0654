#include "design/ClassicalDesign.h"

#include "design/Butterworth.h"
#include "design/Chebyshev.h"
#include "design/DesignStatus.h"
#include "design/Elliptic.h"

namespace dovra {

std::unique_ptr<ClassicalIIR> makeClassicalIIR(DesignMethod method, std::span<double> best,
                                               int length) {
    switch (method) {
    case DesignMethod::Butterworth:
        return std::make_unique<Butterworth>(best, length);
    case DesignMethod::Chebyshev1:
        return std::make_unique<Chebyshev1>(best, length);
    case DesignMethod::Chebyshev2:
        return std::make_unique<Chebyshev2>(best, length);
    case DesignMethod::Elliptic:
        return std::make_unique<Elliptic>(best, length);
    default:
        return nullptr;
    }
}

DesignOutcome ClassicalDesign::step(const DesignContext& context) {
    const Data& data = context.data;
    DesignOutcome outcome;
    outcome.finished = true;

    DesignLayout layout;
    auto design = makeClassicalIIR(method_, layout.best, kVectorCapacity);
    if (!design) {
        outcome.refused = true;
        outcome.status = classical_text::kInvalidType;
        return outcome;
    }
    Data record = data; // the design writes the order it chose into its record
    design->set_data(record);
    const int order = design->design();
    outcome.console = design->messages();
    if (order == 0) {
        // A failed root search is a fault of the design, not of the input.
        outcome.refused = design->refusal() != classical_text::kRootsFailed;
        outcome.status = design->refusal();
        return outcome;
    }
    layout.layout = Layout::of(order, order, 0, 0);
    layout.layout.setPointers(design->getPZpointers());
    layout.order = order;
    outcome.layout = std::move(layout);
    outcome.status = status::kSuccess;
    return outcome;
}

} // namespace dovra
