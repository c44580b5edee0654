#pragma once
// The cost of a parameter vector computed the plain way: every trigonometric
// sum term by term with its own sine and cosine at every sample, the sampling
// fractions from their definition, the tolerance tables and the settings read
// from the session. It is the reference the fast cost function is checked
// against, and the baseline its speed is measured against.
//
// Only the coefficient polynomials, the layout and the loaded prefilter are
// taken from the problem.

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "problem/IIR.h"
#include "session/DesignSession.h"

namespace dovra::literal {

template <class Real> struct Sums { Real C = 0, S = 0, dC = 0, dS = 0; };

/// C = c[0] + sum c[i] cos(i theta), S = sum c[i] sin(i theta),
/// dC = -sum i c[i] sin(i theta), dS = sum i c[i] cos(i theta), i = n .. 1.
template <class Real> Sums<Real> trigSums(const double* c, int n, Real theta) {
    Sums<Real> s;
    s.C = c[0];
    for (int i = n; i >= 1; --i) {
        const Real ci = std::cos(i * theta);
        const Real si = std::sin(i * theta);
        s.C += c[i] * ci;
        s.S += c[i] * si;
        s.dC -= i * c[i] * si;
        s.dS += i * c[i] * ci;
    }
    return s;
}

/// The settings the group delay's shortcuts depend on.
struct DelayRules {
    int designMethod = 0;
    std::int64_t quant = -1;
    int N = 0, M = 0, L = 0, A = 0;
};

template <class Real = double>
Real amag_ab(const double* a, const double* b, int na, int nb, double w) {
    const Real theta = static_cast<Real>(6.283185307179586 * w);
    Real N = 0;
    if (na < 1) {
        N = static_cast<Real>(a[0]) * a[0];
    } else {
        const Sums<Real> s = trigSums(a, na, theta);
        N = s.C * s.C + s.S * s.S;
    }
    Real D = 1;
    if (nb >= 1) {
        const Sums<Real> s = trigSums(b, nb, theta);
        D = s.C * s.C + s.S * s.S;
        if (D < 1e-24) {
            D = 1e-24;
        }
    }
    return std::sqrt(N / D);
}

template <class Real = double>
Real gdel_ab(const double* a, const double* b, int na, int nb, double w, const DelayRules& r) {
    if (r.designMethod == 5 || r.designMethod == 6 || r.designMethod == 7) {
        return na * Real(0.5);
    }
    const Real theta = static_cast<Real>(6.283185307179586 * w);
    Real tauA = 0;
    if (na >= 1) {
        const Sums<Real> s = trigSums(a, na, theta);
        Real N = s.C * s.C + s.S * s.S;
        if (N < 1e-12) {
            N = 1e-12;
        }
        tauA = (s.C * s.dS - s.S * s.dC) / N;
    }
    Real tauB = 0;
    if (nb >= 1) {
        const Sums<Real> s = trigSums(b, nb, theta);
        Real D = s.C * s.C + s.S * s.S;
        if (D < 1e-24) {
            D = 1e-24;
        }
        tauB = (s.C * s.dS - s.S * s.dC) / D;
    }
    Real tau = tauA - tauB;
    if (r.quant <= 0 && r.L >= 1 && r.N == 0 && r.M == 0 && r.A == 0) {
        tau = 2.0 * std::floor(r.L / 2.0) + (r.L % 2 == 1 ? 1.0 : 0.0);
    }
    if (na == 0 && nb == 0) {
        return 0.0;
    }
    return tau;
}

/// Everything of a run that the cost depends on, read from the session.
struct Scheme {
    std::vector<double> w[4], limit[4]; // upper, lower magnitude; upper, lower group delay
    std::vector<double> fractions;      // the grid of one segment, in sampling order
    bool freeze = false;
    int structId = 0;
    DelayRules rules;
};

/// Sampling fraction at position p of the sampling order: positions 0 .. 9 are
/// the points 7 k / 63, then come nine points r + 7 k for r = 1 .. 6.
inline double fraction(int p, bool linear) {
    const int j = p < 10 ? 7 * p : 1 + (p - 10) / 9 + 7 * ((p - 10) % 9);
    const double pi = 3.141592653589793;
    return linear ? j / 63.0 : (1.0 - std::cos(pi * j / 63.0)) / 2.0;
}

inline Scheme readScheme(DesignSession& s) {
    Scheme sc;
    auto readMag = [&](MagConstraintsDataBase& t, int k) {
        const int n = t.getSize();
        if (n >= 2 && n <= 100) {
            for (int i = 0; i < n; ++i) {
                sc.w[k].push_back(s.getMagDbOmega(t, i));
                sc.limit[k].push_back(s.getMagDbLimit(t, i));
            }
        }
    };
    auto readGd = [&](GdConstraintsDataBase& t, int k) {
        const int n = t.getSize();
        if (n >= 2 && n <= 100) {
            for (int i = 0; i < n; ++i) {
                sc.w[k].push_back(s.getGdDbOmega(t, i));
                sc.limit[k].push_back(s.getGdDbLimit(t, i));
            }
        }
    };
    readMag(s.magUpper(), 0);
    readMag(s.magLower(), 1);
    readGd(s.gdUpper(), 2);
    readGd(s.gdLower(), 3);
    const std::string g = s.getSamplingGranularity();
    const int S = g == "coarse" ? 10 : g == "medium" ? 28 : 64;
    const bool linear = s.getSamplingMode() == "linear";
    for (int p = 0; p < S; ++p) {
        sc.fractions.push_back(fraction(p, linear));
    }
    sc.freeze = s.getFreezingStateOfGdConstraints();
    sc.structId = s.getStructId();
    sc.rules.designMethod = s.getDesignIdentifierIdx();
    sc.rules.quant = s.getQuant();
    sc.rules.N = s.getNumDeg();
    sc.rules.M = s.getDenomDeg();
    sc.rules.L = s.getNZLinPair();
    sc.rules.A = s.getNZPAllpPair();
    return sc;
}

/// Prefilter magnitude and group delay from the problem's loaded prefilter.
template <class Real = double> Real amag_ff(const DEProblem& p, double w) {
    const double* a = p.ffNumerator().data();
    const double* b = p.ffDenominator().data();
    if (p.ffNumeratorDegree() > 0) {
        return amag_ab<Real>(a, b, p.ffNumeratorDegree(), p.ffDenominatorDegree(), w);
    }
    if (p.ffDenominatorDegree() > 0) {
        return p.ffGain() * amag_ab<Real>(a, b, p.ffNumeratorDegree(), p.ffDenominatorDegree(), w);
    }
    return p.ffGain();
}
template <class Real = double> Real gdel_ff(const DEProblem& p, double w, const DelayRules& r) {
    return gdel_ab<Real>(p.ffNumerator().data(), p.ffDenominator().data(), p.ffNumeratorDegree(),
                         p.ffDenominatorDegree(), w, r);
}

struct Result {
    CostVector cost{};
    double offset = 0.0;
};

/// The cost of x in the given phase, with empty pole and allpass blocks
/// skipped in the radius penalty. The sums are formed in Real: double is the
/// plain evaluation, long double gives a more accurate value of the same
/// cost to judge both double forms by.
template <class Real = double>
Result evaluate(const IIR& p, const Scheme& sc, std::span<const double> x, int phase) {
    const int D = p.getLength();
    ParamVector work{};
    for (int i = 0; i < D; ++i) {
        work[static_cast<std::size_t>(i)] = x[static_cast<std::size_t>(i)];
    }
    const std::int64_t q = phase < 1 ? -1 : sc.rules.quant;
    const Coefficients b = p.coeffi_b(work, q, sc.structId);
    const Coefficients a = p.coeffi_a(work, q, sc.structId);
    const int na = p.get_a_degree();
    const int nb = p.get_b_degree();
    const Real invLn10 = 1 / std::log(Real(10));

    // Every sample of table k as (w, limit), in sampling order.
    auto forSamples = [&](int k, auto&& f) {
        const auto& w = sc.w[k];
        const auto& L = sc.limit[k];
        for (std::size_t seg = 0; seg + 1 < w.size(); ++seg) {
            for (double t : sc.fractions) {
                f(w[seg] + (w[seg + 1] - w[seg]) * t, L[seg] + (L[seg + 1] - L[seg]) * t);
            }
        }
    };
    auto level = [&](double w) {
        return static_cast<double>(20 * std::log(amag_ab<Real>(a.data(), b.data(), na, nb, w)) *
                                       invLn10 +
                                   20 * std::log(amag_ff<Real>(p, w)) * invLn10);
    };
    auto delay = [&](double w) {
        return static_cast<double>(gdel_ab<Real>(a.data(), b.data(), na, nb, w, sc.rules) +
                                   gdel_ff<Real>(p, w, sc.rules));
    };

    double eMag = 0.0;
    forSamples(0, [&](double w, double L) {
        const double e = level(w) - L;
        if (e > 0.0) {
            eMag += e * e;
        }
    });
    forSamples(1, [&](double w, double L) {
        const double e = L - level(w);
        if (e > 0.0) {
            eMag += e * e;
        }
    });

    double offset = 0.0;
    if (sc.w[2].size() >= 2 && !sc.freeze) {
        double excess = -10000.0;
        forSamples(2, [&](double w, double L) {
            const double e = delay(w) - L;
            if (e > 0.0 && e > excess) {
                excess = e;
            }
        });
        double shortfall = -10000.0;
        forSamples(3, [&](double w, double L) {
            const double e = L - delay(w);
            if (e > 0.0 && e > shortfall) {
                shortfall = e;
            }
        });
        const bool up = excess > -10000.0;
        const bool down = shortfall > -10000.0;
        if (up) {
            offset = excess;
        }
        if (down && (!up || shortfall > offset)) {
            offset = -shortfall;
        }
    }
    double eGd = 0.0;
    forSamples(2, [&](double w, double L) {
        const double e = delay(w) - (offset + L);
        if (e > 0.0) {
            eGd += e * e;
        }
    });
    forSamples(3, [&](double w, double L) {
        const double e = (offset + L) - delay(w);
        if (e > 0.0) {
            eGd += e * e;
        }
    });

    Result r;
    r.offset = offset;
    r.cost = {eMag, eGd, eMag + 10.0 * eGd};
    const LayoutRecord lay = p.getPZparameters();
    auto penalise = [&](int first, int last, int count) {
        if (count == 0) {
            return;
        }
        for (int i = first; i <= last; ++i) {
            const double v = work[static_cast<std::size_t>(i)];
            for (int c : {2, 0, 1}) {
                double& cost = r.cost[static_cast<std::size_t>(c)];
                if (v > 1.0) {
                    cost = (1.0 + 4.0 * v) * cost + 400.0 * v;
                } else if (v < -1.0) {
                    cost = (1.0 - 4.0 * v) * cost - 400.0 * v;
                }
            }
        }
    };
    penalise(lay[16], lay[17], lay[6]);
    penalise(lay[24], lay[25], lay[10]);
    return r;
}

} // namespace dovra::literal
