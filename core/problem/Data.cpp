#include "problem/Data.h"

#include <cmath>
#include <numbers>

namespace dovra {
namespace {

constexpr double kTolerance = 1e-12;
constexpr int kBudget = 1000;

/// Angle in turns of the root re + j im, in [0, 0.5] for im >= 0.
double turns(double re, double im) {
    constexpr double twoPi = 2.0 * std::numbers::pi;
    if (re >= 0.0) {
        return std::atan(im / re) / twoPi;
    }
    return (std::numbers::pi - std::atan(std::fabs(im / re))) / twoPi;
}

} // namespace

PolarRoots Data::polyroots4(std::span<const double, 5> p) {
    // a[1..5] are the coefficients, highest power first; b and c the
    // quotients of the synthetic divisions by x^2 + r x + s.
    std::array<double, 6> a{0.0, p[0], p[1], p[2], p[3], p[4]};
    std::array<double, 6> b{};
    std::array<double, 6> c{};
    std::array<double, 6> re{};
    std::array<double, 6> im{};
    PolarRoots out;
    int budget = kBudget;

    int n = 4;
    int m = 5;
    int l = 0;
    while (n >= 2) {
        double r = 0.5;
        double s = 0.5;
        while (true) {
            b[0] = 0.0;
            c[0] = 0.0;
            b[1] = 1.0;
            c[1] = 1.0;
            for (int i = 2; i <= m; ++i) {
                b[i] = a[i] - r * b[i - 1] - s * b[i - 2];
                c[i] = b[i] - r * c[i - 1] - s * c[i - 2];
            }
            const double D = c[n - 1] * c[n - 1] - (c[n] - b[n]) * c[n - 2];
            const double dr = (b[n] * c[n - 1] - b[m] * c[n - 2]) / D;
            const double ds = (b[m] * c[n - 1] - (c[n] - b[n]) * b[n]) / D;
            r += dr;
            s += ds;
            if (--budget < 0) {
                out.res = {};
                out.converged = false;
                return out;
            }
            // Written so that a NaN step keeps iterating.
            if (std::fabs(dr) < kTolerance && std::fabs(ds) < kTolerance) {
                break;
            }
        }
        const double disc = r * r - 4.0 * s;
        if (disc < 0.0) {
            re[l] = re[l + 1] = -r * 0.5;
            im[l] = im[l + 1] = std::sqrt(std::fabs(disc)) * 0.5;
        } else {
            const double q = std::sqrt(disc);
            re[l] = (q - r) * 0.5;
            im[l] = 0.0;
            re[l + 1] = (r + q) * -0.5;
            im[l + 1] = 0.0;
        }
        l += 2;
        n -= 2;
        m -= 2;
        if (n >= 2) {
            for (int i = 1; i <= m; ++i) {
                a[i] = b[i];
            }
        }
    }

    out.res[0] = std::sqrt(re[0] * re[0] + im[0] * im[0]);
    out.res[1] = turns(re[0], im[0]);
    // The second root is the partner of the first when its radius is the
    // same; the result then reports the first root of the second factor.
    int h = 1;
    out.res[2] = std::sqrt(re[1] * re[1] + im[1] * im[1]);
    if (std::fabs(out.res[2] - out.res[0]) < kTolerance) {
        h = 2;
        out.res[2] = std::sqrt(re[2] * re[2] + im[2] * im[2]);
    }
    out.res[3] = turns(re[h], im[h]);
    return out;
}

} // namespace dovra
