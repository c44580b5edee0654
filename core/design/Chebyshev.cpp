#include "design/Chebyshev.h"

#include <cmath>
#include <numbers>

namespace dovra {
namespace {

constexpr double kPi = std::numbers::pi;

/// Angle of the k-th pole of an order-N Chebyshev prototype, measured from
/// the positive imaginary axis.
double poleAngle(int k, int N) {
    return (2 * k + 1) * kPi / (2 * N);
}

} // namespace

Prototype Chebyshev1::prototype(const DesignFrame& f, int N, double wc) {
    const double a = arsinh(1.0 / std::sqrt(std::pow(10.0, 0.1 * f.Rp) - 1.0)) / N;
    Prototype p;
    for (int k = 0; k < (N + 1) / 2; ++k) {
        const double dk = poleAngle(k, N);
        const double sigma = sinh(a) * std::cos(dk + kPi / 2);
        const double omega = cosh(a) * std::sin(dk + kPi / 2);
        const double m = std::sqrt(sigma * sigma + omega * omega);
        if (k < N / 2) {
            p.sections.push_back({m * wc, -2.0 * sigma / m});
        } else {
            p.realPole = m * wc;
        }
    }
    // An even order starts its passband at the bottom of the ripple.
    if (N % 2 == 0) {
        p.gainFactor = std::pow(10.0, -0.05 * f.Rp);
    }
    return p;
}

double Chebyshev2::cutoff(const DesignFrame& f, int N) {
    if (f.bandstop) {
        return f.wp * cosh(arcosh(f.es / f.ep) / N);
    }
    return f.ws;
}

Prototype Chebyshev2::prototype(const DesignFrame& f, int N, double wc) {
    const double a = arsinh(f.es) / N;
    Prototype p;
    for (int k = 0; k < (N + 1) / 2; ++k) {
        const double dk = poleAngle(k, N);
        const double s = std::sin(dk + kPi / 2);
        const double t = std::cos(dk + kPi / 2);
        // Zero on the imaginary axis; the middle index of an odd order has
        // none (it becomes the first-order section).
        const double height = std::fabs(s) > 1e-9 ? 1.0 / s : 1.0;
        const double mz = std::fabs(height);
        // The type 2 pole is the reciprocal of the type 1 pole.
        const double sigma = sinh(a) * t;
        const double omega = cosh(a) * s;
        const double norm = sigma * sigma + omega * omega;
        const double re = sigma / norm;
        const double im = -omega / norm;
        const double mp = std::sqrt(re * re + im * im);
        if (k < N / 2) {
            p.sections.push_back({mp * wc, -2.0 * re / mp, true, mz * wc, 0.0});
        } else {
            p.realPole = mp * wc;
        }
    }
    return p;
}

} // namespace dovra
