#include "problem/IIR.h"

namespace dovra {

IIR::IIR() {}
double IIR::amag(std::span<const double>, double) const { return 0.0; }
double IIR::amag_ab(std::span<const double>, std::span<const double>, int, int, double) const {
    return 0.0;
}
double IIR::amag_ff(double) const { return 1.0; }
double IIR::gdel_ab(std::span<const double>, std::span<const double>, int, int, double) const {
    return 0.0;
}
double IIR::gdel_ff(double) const { return 0.0; }
double IIR::gdel(std::span<const double>, double) const { return 0.0; }
Coefficients IIR::coeffi_a(std::span<const double>, std::int64_t, int) const { return {}; }
Coefficients IIR::coeffi_b(std::span<const double>, std::int64_t, int) const { return {}; }
void IIR::getCoefficients(std::span<const double>) {}
Coefficients IIR::convolve(std::span<const double>, std::span<const double>, int, int) {
    return {};
}
double IIR::safe_invert(double r) { return 1.0 / r; }

} // namespace dovra
