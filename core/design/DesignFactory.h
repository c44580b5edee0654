#pragma once
// One entry per design method: the design object a Start of that method runs.
// The Z-plane design is the search itself (the run control steps it), so it
// has no entry here; a method whose design is not built yet has none either,
// and the run ends with "Design method not available yet".

#include <memory>

#include "design/FilterDesign.h"

namespace dovra {

/// A new design for the method, or nothing when there is none.
std::unique_ptr<FilterDesign> makeDesign(DesignMethod method);

} // namespace dovra
