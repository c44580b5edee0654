#pragma once
// The prefilter's responses as its two plots draw them, from the coefficient
// lists alone: the magnitude at the n/2 + 1 bins of an n-point real-input
// transform (n = 1024 for the plot), and the group delay of A(z) / B(z) at any
// frequency.

#include <functional>
#include <string>
#include <vector>

namespace dovra {

/// Coefficient lists read for a plot: at most `limit` of each, scaled by
/// 1/b[0], lists of one coefficient widened to two.
struct PrefilterLists {
    std::vector<double> a; // numerator, `limit` entries, zero-padded
    std::vector<double> b; // denominator, likewise
    int na = 0;            // coefficients in use
    int nb = 0;
    int aDegree() const { return na > 1 ? na - 1 : 0; }
    int bDegree() const { return nb > 1 ? nb - 1 : 0; }
};

/// numerator and denominator as the tables hold them. A list longer than the
/// limit prints "Number of entries for a > " (or b) and the limit, and
/// only its first `limit` coefficients are used.
PrefilterLists readPrefilter(const std::vector<double>& numerator,
                             const std::vector<double>& denominator, int limit,
                             const std::function<void(const std::string&)>& print);

/// cos(2 pi i / n) and sin(2 pi i / n) for i = 0 .. n/2 - 1.
void twiddle(int n, std::vector<double>& cosTable, std::vector<double>& sinTable);

/// In-place radix-2 decimation-in-time transform of n = 2^m real samples. On
/// return x[0] and x[n/2] hold the real parts of bins 0 and n/2, x[k] the
/// real and x[n - k] the imaginary part of bin k (1 <= k < n/2).
void rctfft(std::vector<double>& x, const std::vector<double>& cosTable,
            const std::vector<double>& sinTable, int n, int m);

/// The magnitude R_k of the prefilter at the bins k = 0 .. n/2 of an n-point
/// transform (n = 1024 for the plot), following the count rules of the plot:
/// no denominator gives |A|, no numerator 1/|B|, otherwise |A|/|B|, each
/// squared magnitude raised by 1e-12.
std::vector<double> prefilterMagnitude(const PrefilterLists& lists, int n, int m);

/// Group delay in samples of A(z)/B(z) at the normalized frequency w.
double gdel_ab(const std::vector<double>& a, const std::vector<double>& b, int aDegree, int bDegree,
               double w);

} // namespace dovra
