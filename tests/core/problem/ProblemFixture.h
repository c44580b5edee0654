#pragma once
// Shared setup of the filter problem tests: a session with captured console
// streams, its IIR problem prepared for a realization, and independent
// evaluations of polynomials and responses from roots with std::complex.

#include <gtest/gtest.h>

#include <complex>
#include <numbers>
#include <sstream>
#include <vector>

#include "problem/IIR.h"
#include "run/T_DEOptimizer.h"
#include "session/DesignSession.h"

namespace dovra::testing {

struct Realization {
    int N = 0, M = 0, L = 0, A = 0;
};

class ProblemTest : public ::testing::Test {
  protected:
    std::ostringstream out, err;
    DesignSession session{out, err};

    IIR& problem() {
        auto* p = dynamic_cast<IIR*>(session.optimizer().currentProblem());
        EXPECT_NE(p, nullptr);
        return *p;
    }

    /// Sets the realization in the session and prepares the problem as a
    /// search run does.
    IIR& prepare(const Realization& r) {
        session.setNumDeg(r.N);
        session.setDenomDeg(r.M);
        session.setNZlinPair(r.L);
        session.setNZPAllpPair(r.A);
        IIR& p = problem();
        prepareProblem(p, session.runInput(), session.console());
        return p;
    }

    void addPrefilter(FixedFilterDataBase& table, const std::vector<std::string>& coeffs) {
        for (const auto& c : coeffs) {
            auto row = table.newRecord();
            row.setCoeff(c);
            table.addRecord(row);
        }
    }
};

using cplx = std::complex<double>;

/// Coefficients (powers of z^-1) of gain * prod (1 - root z^-1).
inline std::vector<double> polyFromRoots(const std::vector<cplx>& roots, double gain) {
    std::vector<cplx> c{cplx(gain)};
    for (const auto& r : roots) {
        c.push_back(0.0);
        for (std::size_t i = c.size() - 1; i >= 1; --i) {
            c[i] -= r * c[i - 1];
        }
    }
    std::vector<double> real;
    for (const auto& v : c) {
        real.push_back(v.real());
    }
    return real;
}

/// gain * prod (1 - z_i e^(-j theta)) / prod (1 - p_i e^(-j theta)) at w.
inline cplx responseFromRoots(const std::vector<cplx>& zeros, const std::vector<cplx>& poles,
                              double gain, double w) {
    const cplx e = std::polar(1.0, -2.0 * std::numbers::pi * w);
    cplx h = gain;
    for (const auto& z : zeros) {
        h *= 1.0 - z * e;
    }
    for (const auto& p : poles) {
        h /= 1.0 - p * e;
    }
    return h;
}

/// A(e^(j theta)) / B(e^(j theta)) from coefficient arrays (B empty means 1).
inline cplx responseFromCoefficients(const std::vector<double>& a, const std::vector<double>& b,
                                     double w) {
    const cplx e = std::polar(1.0, -2.0 * std::numbers::pi * w);
    auto eval = [&e](const std::vector<double>& c) {
        cplx s = 0.0, p = 1.0;
        for (double v : c) {
            s += v * p;
            p *= e;
        }
        return s;
    };
    return eval(a) / (b.empty() ? cplx(1.0) : eval(b));
}

/// Group delay -d arg H / d omega by a central difference of the unwrapped
/// phase.
template <class F> double numericGroupDelay(F response, double w) {
    const double h = 1e-6;
    double d = std::arg(response(w + h)) - std::arg(response(w - h));
    while (d > std::numbers::pi) {
        d -= 2.0 * std::numbers::pi;
    }
    while (d <= -std::numbers::pi) {
        d += 2.0 * std::numbers::pi;
    }
    return -d / (2.0 * std::numbers::pi * 2.0 * h);
}

} // namespace dovra::testing
