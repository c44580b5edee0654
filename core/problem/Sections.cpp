#include "problem/Sections.h"

namespace dovra::sections {
namespace {

/// A polynomial under construction, starting from the constant 1: sections
/// are multiplied in place, and the result is the one of the full
/// convolution, summed in the same order.
class Product {
  public:
    Product(std::int64_t q, int structure) : q_(q), sections_(q > 0 && structure == 1) {
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
    const Coefficients& finish(int structure) {
        if (q_ > 0 && structure == 0) {
            for (int i = 0; i < length_; ++i) {
                c_[static_cast<std::size_t>(i)] = quantize(c_[static_cast<std::size_t>(i)], q_);
            }
        }
        return c_;
    }

  private:
    std::int64_t q_;
    bool sections_;
    Coefficients c_{};
    int length_ = 1;
};

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

Coefficients numerator(std::span<const double> x, const Layout& p, std::int64_t q, int structure) {
    const double gain = at(x, 0);
    if (p.N == 0 && p.L == 0 && p.A == 0) {
        Coefficients a{};
        a[0] = q > 0 ? quantize(gain, q) : gain;
        return a;
    }
    Product product(q, structure);
    forEachZeroSection(x, p, [&](const Section& s, bool) { product.multiply(s); });
    product.scale(gain);
    return product.finish(structure);
}

Coefficients denominator(std::span<const double> x, const Layout& p, std::int64_t q,
                         int structure) {
    if (p.M == 0 && p.A == 0) {
        return {};
    }
    Product product(q, structure);
    forEachPoleSection(x, p, [&](const Section& s, bool) { product.multiply(s); });
    return product.finish(structure);
}

Coefficients firNumerator(double gain, std::span<const double> h, int degree, std::int64_t q) {
    Coefficients a{};
    const int n = std::min({degree, kCoeffCapacity - 1, static_cast<int>(h.size()) - 1});
    for (int i = 0; i <= n; ++i) {
        const double c = gain * h[static_cast<std::size_t>(i)];
        a[static_cast<std::size_t>(i)] = q > 0 ? quantize(c, q) : c;
    }
    return a;
}

} // namespace dovra::sections
