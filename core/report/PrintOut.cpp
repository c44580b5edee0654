#include "report/PrintOut.h"

#include "DesignSession.h"

namespace dovra {

bool PrintOut::printResult() { return false; }
std::string PrintOut::reportText() { return {}; }
void PrintOut::coeffi_a_print(std::span<const double>, std::int64_t, int, std::ostream&) const {}
void PrintOut::coeffi_b_print(std::span<const double>, std::int64_t, int, std::ostream&) const {}

} // namespace dovra
