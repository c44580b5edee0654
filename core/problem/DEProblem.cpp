#include "problem/DEProblem.h"

#include "DesignSession.h"

namespace dovra {

DEProblem::DEProblem() {}

void DEProblem::load_fixed_filter(DesignSession& s, int) { screen_ = &s; }
void DEProblem::getPolesAndZeros(DesignSession& s) { screen_ = &s; }
void DEProblem::computePoleZeroPointers(DesignSession& s) { screen_ = &s; }
LayoutRecord DEProblem::getPZparameters() const { return {}; }
void DEProblem::setPZpointers(const PZPointers&) {}
void DEProblem::initMisc(DesignSession& s) { screen_ = &s; }
void DEProblem::getBest(std::span<const double>) {}
std::optional<std::string> DEProblem::checkCapacity(int, int, int, int) { return std::nullopt; }

} // namespace dovra
