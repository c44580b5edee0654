#pragma once
// One entry per design method: the design object a Start of that method runs.
// A method whose design is not built yet has none, and the run ends with
// "Design method not available yet".

#include <memory>

#include "design/FilterDesign.h"

namespace dovra {

class DEProblem;
class DESearch;

/// A new design for the method, or nothing when there is none. The Z-plane
/// design searches the given problem with the given search.
std::unique_ptr<FilterDesign> makeDesign(DesignMethod method, DEProblem& problem, DESearch& search);

} // namespace dovra
