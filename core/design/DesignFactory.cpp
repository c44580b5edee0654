#include "design/DesignFactory.h"

namespace dovra {

std::unique_ptr<FilterDesign> makeDesign(DesignMethod method) {
    // To add a design: include its header and return it from its entry.
    switch (method) {
    case DesignMethod::ZPlane:
        return nullptr; // the search, stepped by the run control
    case DesignMethod::Butterworth:
        return nullptr;
    case DesignMethod::Chebyshev1:
        return nullptr;
    case DesignMethod::Chebyshev2:
        return nullptr;
    case DesignMethod::Elliptic:
        return nullptr;
    case DesignMethod::LinearPhaseFir:
        return nullptr;
    case DesignMethod::LinearPhaseFirFlat:
        return nullptr;
    case DesignMethod::RemezFir:
        return nullptr;
    }
    return nullptr;
}

} // namespace dovra
