#include "design/Elliptic.h"

#include <cmath>
#include <numbers>

namespace dovra {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kSeriesTerms = 4;

/// The quotient of the two theta series that gives an elliptic function of
/// nome q: 2 q^(1/4) sum (-1)^m q^(m(m+1)) odd(2m+1) over
/// 1 + 2 sum (-1)^m q^(m^2) even(2m).
template <class Odd, class Even> double thetaQuotient(double q, Odd odd, Even even) {
    double num = 0.0;
    double den = 0.0;
    for (int m = 0; m <= kSeriesTerms; ++m) {
        const double sign = m % 2 == 0 ? 1.0 : -1.0;
        num += sign * std::pow(q, m * (m + 1)) * odd(2 * m + 1);
        if (m >= 1) {
            den += sign * std::pow(q, m * m) * even(2 * m);
        }
    }
    return 2.0 * std::pow(q, 0.25) * num / (1.0 + 2.0 * den);
}

} // namespace

EllipLowpass::EllipLowpass(int n, double Ap, double wp, double ws)
    : n_(n), Ap_(Ap), wp_(wp), ws_(ws) {
    cauerCoeffs();
}

double EllipLowpass::cosh(double x) {
    return (std::exp(x) + std::exp(-x)) * 0.5;
}
double EllipLowpass::sinh(double x) {
    return (std::exp(x) - std::exp(-x)) * 0.5;
}

double EllipLowpass::nome(double k) {
    const double kp = std::sqrt(1.0 - k * k);
    const double q0 = 0.5 * (1.0 - std::sqrt(kp)) / (1.0 + std::sqrt(kp));
    return q0 + 2.0 * std::pow(q0, 5) + 15.0 * std::pow(q0, 9) + 150.0 * std::pow(q0, 13);
}

double EllipLowpass::cauerCoeffs() {
    const int n = n_;
    const double k = wp_ / ws_;
    const double q = nome(k);
    const double e = std::pow(10.0, 0.05 * Ap_);
    const double lambda = std::log((e + 1.0) / (e - 1.0)) / (2.0 * n);

    sigma0_ = std::fabs(thetaQuotient(
        q, [&](int j) { return sinh(j * lambda); }, [&](int j) { return cosh(j * lambda); }));
    const double s2 = sigma0_ * sigma0_;
    const double W = std::sqrt((1.0 + s2 / k) * (1.0 + k * s2));
    r_ = (n - n % 2) / 2;

    // Sized by the order: one entry per section (from 1) and a (real,
    // imaginary) pair per section plus the real pole of an odd order.
    const auto sections = static_cast<std::size_t>(r_ + 1);
    a_.assign(sections, 0.0);
    b_.assign(sections, 0.0);
    c_.assign(sections, 0.0);
    poles_.assign(2 * sections, 0.0);
    zeros_.assign(2 * sections, 0.0);

    double H0 = 1.0;
    for (int i = 1; i <= r_; ++i) {
        const double mu = n % 2 == 1 ? i : i - 0.5;
        const double x = kPi * mu / n;
        const double Om = thetaQuotient(
            q, [&](int j) { return std::sin(j * x); }, [&](int j) { return std::cos(j * x); });
        const double Om2 = Om * Om;
        const double V = std::sqrt((1.0 - k * Om2) * (1.0 - Om2 / k));
        const auto si = static_cast<std::size_t>(i);
        const std::size_t at = 2 * si - 2;
        a_[si] = 1.0 / Om2;
        zeros_[at] = 0.0;
        zeros_[at + 1] = std::sqrt(a_[si]);
        const double den = 1.0 + s2 * Om2;
        b_[si] = 2.0 * sigma0_ * V / den;
        c_[si] = ((sigma0_ * V) * (sigma0_ * V) + (Om * W) * (Om * W)) / (den * den);
        const double D = b_[si] * b_[si] - 4.0 * c_[si];
        if (D >= 0.0) {
            poles_[at] = -0.5 * b_[si] + 0.5 * std::sqrt(D);
            poles_[at + 1] = 0.0;
        } else {
            poles_[at] = -0.5 * b_[si];
            poles_[at + 1] = 0.5 * std::sqrt(-D);
        }
        H0 *= c_[si] / a_[si];
    }
    if (n % 2 == 1) {
        poles_[2 * static_cast<std::size_t>(r_)] = -sigma0_;
        H0 *= sigma0_;
    } else {
        H0 *= std::pow(10.0, -0.05 * Ap_);
    }
    H0_ = H0;
    return H0_;
}

double Elliptic::stopEdge(const DesignFrame& f) {
    if (f.bandstop) {
        const double k = 1.0 / f.ws;
        return f.wp / k;
    }
    return f.ws;
}

double Elliptic::orderEstimate(const DesignFrame& f) {
    const double q = EllipLowpass::nome(f.wp / stopEdge(f));
    const double D = (std::pow(10.0, 0.1 * f.Rs) - 1.0) / (std::pow(10.0, 0.1 * f.Rp) - 1.0);
    // Rounds the quotient up unless it lies within 1e-5 above a whole number.
    return std::log(16.0 * D) / std::log(1.0 / q) + 1.0 - 1e-5;
}

double Elliptic::cutoff(const DesignFrame& f, int) {
    return std::sqrt(f.wp * stopEdge(f));
}

Prototype Elliptic::prototype(const DesignFrame& f, int N, double wc) {
    const EllipLowpass lp(N, f.Rp, f.wp, stopEdge(f));
    const auto& zeros = lp.zeros();
    const auto& poles = lp.poles();
    Prototype p;
    for (int k = 0; k < (N + 1) / 2; ++k) {
        const auto at = 2 * static_cast<std::size_t>(k);
        const double mp = std::hypot(poles[at], poles[at + 1]);
        if (k < N / 2) {
            const double mz = std::hypot(zeros[at], zeros[at + 1]);
            p.sections.push_back(
                {mp * wc, -2.0 * poles[at] / mp, true, mz * wc, -2.0 * zeros[at] / mz});
        } else {
            p.realPole = mp * wc;
        }
    }
    if (N % 2 == 0) {
        p.gainFactor = std::pow(10.0, -0.05 * f.Rp);
    }
    return p;
}

} // namespace dovra
