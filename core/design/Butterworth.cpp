#include "design/Butterworth.h"

#include <cmath>
#include <numbers>

namespace dovra {

double Butterworth::orderEstimate(const DesignFrame& f) {
    return std::ceil(std::log(f.es / f.ep) / std::log(f.ratio()));
}

double Butterworth::cutoff(const DesignFrame& f, int N) {
    return f.wp / std::pow(f.ep, 1.0 / N);
}

Prototype Butterworth::prototype(const DesignFrame&, int N, double wc) {
    constexpr double pi = std::numbers::pi;
    Prototype p;
    for (int k = 0; k < N / 2; ++k) {
        const double theta = (2 * k + 1) * pi / (2 * N) + pi / 2;
        p.sections.push_back({wc, -2.0 * std::cos(theta)});
    }
    p.realPole = wc;
    return p;
}

} // namespace dovra
