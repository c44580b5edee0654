#pragma once
// One entry per design method: the design object a Start of that method runs.
// A method whose design is not built yet has none, and the run ends with
// "Design method not available yet".

#include <memory>

#include "design/FilterDesign.h"

namespace dovra {

/// A new design for the method, or nothing when there is none.
std::unique_ptr<FilterDesign> makeDesign(DesignMethod method);

} // namespace dovra
