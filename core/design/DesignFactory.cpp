#include "design/DesignFactory.h"

#include "design/ClassicalDesign.h"
#include "design/Meteor.h"
#include "design/Remez.h"
#include "design/ZPlaneDesign.h"

namespace dovra {

std::unique_ptr<FilterDesign> makeDesign(DesignMethod method, DEProblem& problem,
                                         DESearch& search) {
    // To add a design: include its header and return it from its entry.
    switch (method) {
    case DesignMethod::ZPlane:
        return std::make_unique<ZPlaneDesign>(problem, search);
    case DesignMethod::Butterworth:
    case DesignMethod::Chebyshev1:
    case DesignMethod::Chebyshev2:
    case DesignMethod::Elliptic:
        return std::make_unique<ClassicalDesign>(method);
    case DesignMethod::LinearPhaseFir:
        return std::make_unique<Meteor>(false);
    case DesignMethod::LinearPhaseFirFlat:
        return std::make_unique<Meteor>(true);
    case DesignMethod::RemezFir:
        return std::make_unique<Remez>();
    }
    return nullptr;
}

} // namespace dovra
