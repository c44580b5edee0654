#include "problem/PrefilterTransform.h"

#include "problem/Response.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace dovra {

PrefilterLists readPrefilter(const std::vector<double>& numerator,
                             const std::vector<double>& denominator, int limit,
                             const std::function<void(const std::string&)>& print) {
    PrefilterLists l;
    l.a.assign(static_cast<std::size_t>(limit), 0.0);
    l.b.assign(static_cast<std::size_t>(limit), 0.0);
    auto copy = [&](const std::vector<double>& from, std::vector<double>& to, int& count,
                    const char* name) {
        count = static_cast<int>(from.size());
        if (count > limit) {
            print(std::string("Number of entries for ") + name + " > " + std::to_string(limit));
            count = limit;
        }
        for (int i = 0; i < count; ++i) {
            to[static_cast<std::size_t>(i)] = from[static_cast<std::size_t>(i)];
        }
    };
    copy(numerator, l.a, l.na, "a");
    copy(denominator, l.b, l.nb, "b");
    double s = 1.0;
    if (l.nb > 0) {
        s = std::fabs(l.b[0]) > 1e-12 ? 1.0 / l.b[0] : 1e12;
    }
    // One coefficient is a polynomial of degree 0, widened by a zero so that
    // the lists have a length of at least two.
    if (l.na == 1 && limit > 1) {
        l.na = 2;
        l.a[1] = 0.0;
    }
    if (l.nb == 1 && limit > 1) {
        l.nb = 2;
        l.b[1] = 0.0;
    }
    for (int i = 0; i < l.na; ++i) {
        l.a[static_cast<std::size_t>(i)] *= s;
    }
    for (int i = 0; i < l.nb; ++i) {
        l.b[static_cast<std::size_t>(i)] *= s;
    }
    return l;
}

void twiddle(int n, std::vector<double>& cosTable, std::vector<double>& sinTable) {
    const auto half = static_cast<std::size_t>(n / 2);
    cosTable.resize(half);
    sinTable.resize(half);
    for (std::size_t i = 0; i < half; ++i) {
        const double a = 2.0 * std::numbers::pi * static_cast<double>(i) / n;
        cosTable[i] = std::cos(a);
        sinTable[i] = std::sin(a);
    }
}

void rctfft(std::vector<double>& x, const std::vector<double>& cosTable,
            const std::vector<double>& sinTable, int n, int m) {
    // Bit-reversal permutation.
    for (int i = 0, j = 0; i < n - 1; ++i) {
        if (i < j) {
            std::swap(x[static_cast<std::size_t>(i)], x[static_cast<std::size_t>(j)]);
        }
        int k = n / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
    auto at = [&x](int i) -> double& { return x[static_cast<std::size_t>(i)]; };
    // Length-2 butterflies.
    for (int i = 0; i < n; i += 2) {
        const double t = at(i);
        at(i) = t + at(i + 1);
        at(i + 1) = t - at(i + 1);
    }
    // Stages 2 to m: from transforms of length n2 to length n1 = 2 n2, the
    // real parts in the lower half of each block and the imaginary parts,
    // reversed, in the upper half.
    int n2 = 1;
    for (int stage = 2; stage <= m; ++stage) {
        const int n4 = n2;
        n2 = 2 * n4;
        const int n1 = 2 * n2;
        const int stride = n / n1;
        for (int i = 0; i < n; i += n1) {
            const double t = at(i + n2);
            at(i + n2) = at(i) - t;
            at(i) += t;
            at(i + n4 + n2) = -at(i + n4 + n2);
            for (int j = 1; j < n4; ++j) {
                const int i1 = i + j;
                const int i2 = i - j + n2;
                const int i3 = i + j + n2;
                const int i4 = i - j + n1;
                const double cc = cosTable[static_cast<std::size_t>(j * stride)];
                const double ss = sinTable[static_cast<std::size_t>(j * stride)];
                const double t1 = at(i3) * cc + at(i4) * ss;
                const double t2 = at(i3) * ss - at(i4) * cc;
                at(i4) = at(i2) - t2;
                at(i3) = -at(i2) - t2;
                at(i2) = at(i1) - t1;
                at(i1) += t1;
            }
        }
    }
}

std::vector<double> prefilterMagnitude(const PrefilterLists& lists, int n, int m) {
    std::vector<double> cosTable;
    std::vector<double> sinTable;
    twiddle(n, cosTable, sinTable);
    std::vector<double> ta(static_cast<std::size_t>(n), 0.0);
    std::vector<double> tb(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n && i < static_cast<int>(lists.a.size()); ++i) {
        ta[static_cast<std::size_t>(i)] = lists.a[static_cast<std::size_t>(i)];
    }
    for (int i = 0; i < n && i < static_cast<int>(lists.b.size()); ++i) {
        tb[static_cast<std::size_t>(i)] = lists.b[static_cast<std::size_t>(i)];
    }
    rctfft(ta, cosTable, sinTable, n, m);
    rctfft(tb, cosTable, sinTable, n, m);
    auto power = [n](const std::vector<double>& t, int k) {
        const double re = t[static_cast<std::size_t>(k)];
        const double im = k == 0 || k == n / 2 ? 0.0 : t[static_cast<std::size_t>(n - k)];
        return re * re + im * im + 1e-12;
    };
    std::vector<double> r(static_cast<std::size_t>(n / 2 + 1));
    for (int k = 0; k <= n / 2; ++k) {
        double v;
        if (lists.nb == 0) {
            v = std::sqrt(power(ta, k));
        } else if (lists.na == 0) {
            v = 1.0 / std::sqrt(power(tb, k));
        } else {
            v = std::sqrt(power(ta, k) / power(tb, k));
        }
        r[static_cast<std::size_t>(k)] = v;
    }
    return r;
}

double gdel_ab(const std::vector<double>& a, const std::vector<double>& b, int aDegree, int bDegree,
               double w) {
    int usedNa = 0;
    int usedNb = 0;
    return response::groupDelay(a, b, aDegree, bDegree, w, usedNa, usedNb);
}

} // namespace dovra
