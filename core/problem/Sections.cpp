#include "problem/Sections.h"

namespace dovra::sections {
namespace {

/// A polynomial under construction in a caller's array, starting from the
/// constant 1: sections are multiplied in place, and the result is the one of
/// the full convolution, summed in the same order. Only the entries up to the
/// product's degree are written or read, so the array need not be cleared.
class Product {
  public:
    Product(Coefficients& c, std::int64_t q, int structure)
        : q_(q), sections_(q > 0 && structure == 1), c_(c) {
        c_[0] = 1.0;
    }

    /// Multiplies in a section of 1 to 3 coefficients. A product that would
    /// exceed the capacity is cut at the capacity (callers check the degrees
    /// first, so this only guards against an inconsistent layout).
    void multiply(Section s) {
        if (sections_) {
            for (int i = 0; i < s.size; ++i) {
                s.c[static_cast<std::size_t>(i)] = quantize(s.c[static_cast<std::size_t>(i)], q_);
            }
        }
        const int newLength = std::min(length_ + s.size - 1, kCoeffCapacity);
        for (int i = newLength - 1; i >= 0; --i) {
            double acc = 0.0;
            for (int j = s.size - 1; j >= 0; --j) {
                const int k = i - j;
                if (k >= 0 && k < length_) {
                    acc += c_[static_cast<std::size_t>(k)] * s.c[static_cast<std::size_t>(j)];
                }
            }
            c_[static_cast<std::size_t>(i)] = acc;
        }
        length_ = newLength;
    }

    void scale(double g) {
        for (int i = 0; i < length_; ++i) {
            c_[static_cast<std::size_t>(i)] *= g;
        }
    }
    /// Direct-form quantization of the finished polynomial.
    void finish(int structure) {
        if (q_ > 0 && structure == 0) {
            for (int i = 0; i < length_; ++i) {
                c_[static_cast<std::size_t>(i)] = quantize(c_[static_cast<std::size_t>(i)], q_);
            }
        }
    }
    int length() const { return length_; }

  private:
    std::int64_t q_;
    bool sections_;
    Coefficients& c_;
    int length_ = 1;
};

/// Zeros from entry `from` through entry `degree` (a product cut at the
/// capacity leaves no stale entries below the layout's degree).
void clearFrom(Coefficients& c, int from, int degree) {
    for (int i = std::max(from, 0); i <= std::min(degree, kCoeffCapacity - 1); ++i) {
        c[static_cast<std::size_t>(i)] = 0.0;
    }
}

} // namespace

double safeInvert(double r) {
    if (std::abs(r) > tiny) {
        return 1.0 / r;
    }
    return r > 0.0 ? 1.0 / (r + tiny) : 1.0 / (r - tiny);
}

double quantize(double c, std::int64_t q) {
    const double qd = static_cast<double>(q);
    return std::floor(qd * c) / qd;
}

void numeratorInto(std::span<const double> x, const Layout& p, std::int64_t q, int structure,
                   Coefficients& a) {
    const double gain = at(x, 0);
    if (p.N == 0 && p.L == 0 && p.A == 0) {
        a[0] = q > 0 ? quantize(gain, q) : gain;
        return;
    }
    Product product(a, q, structure);
    forEachZeroSection(x, p, [&](const Section& s, bool) { product.multiply(s); });
    product.scale(gain);
    product.finish(structure);
    clearFrom(a, product.length(), p.numeratorDegree());
}

void denominatorInto(std::span<const double> x, const Layout& p, std::int64_t q, int structure,
                     Coefficients& b) {
    if (p.M == 0 && p.A == 0) {
        b[0] = 0.0;
        return;
    }
    Product product(b, q, structure);
    forEachPoleSection(x, p, [&](const Section& s, bool) { product.multiply(s); });
    product.finish(structure);
    clearFrom(b, product.length(), p.denominatorDegree());
}

void firNumeratorInto(double gain, std::span<const double> h, int degree, std::int64_t q,
                      Coefficients& a) {
    const int n = std::min({degree, kCoeffCapacity - 1, static_cast<int>(h.size()) - 1});
    for (int i = 0; i <= n; ++i) {
        const double c = gain * h[static_cast<std::size_t>(i)];
        a[static_cast<std::size_t>(i)] = q > 0 ? quantize(c, q) : c;
    }
    clearFrom(a, n + 1, degree);
}

Coefficients numerator(std::span<const double> x, const Layout& p, std::int64_t q, int structure) {
    Coefficients a{};
    numeratorInto(x, p, q, structure, a);
    return a;
}

Coefficients denominator(std::span<const double> x, const Layout& p, std::int64_t q,
                         int structure) {
    Coefficients b{};
    denominatorInto(x, p, q, structure, b);
    return b;
}

Coefficients firNumerator(double gain, std::span<const double> h, int degree, std::int64_t q) {
    Coefficients a{};
    firNumeratorInto(gain, h, degree, q, a);
    return a;
}

} // namespace dovra::sections
