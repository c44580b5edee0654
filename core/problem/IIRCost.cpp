#include "problem/IIR.h"

namespace dovra {

// The cost function, the bounds check and the completion test of the search.
bool IIR::completed() { return false; }
void IIR::boundsCheck(T_DEOptimizer&, std::span<const double>, std::span<const double> trial,
                      int n, std::span<double> out) {
    for (int i = 0; i < n; ++i) {
        out[static_cast<std::size_t>(i)] = trial[static_cast<std::size_t>(i)];
    }
}
CostVector IIR::evaluate(T_DEOptimizer&, std::span<const double>, int) { return {}; }

} // namespace dovra
