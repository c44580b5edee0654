// The cost's polynomial kernels on the instruction set the processor offers,
// against Horner's scheme in long double: every sample of a batch whose count
// is no multiple of the vector width (the padded tail) and every degree the
// cost hands them.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "problem/CostKernels.h"

namespace {

using namespace dovra;

TEST(CostKernels, AgreeWithExtendedPrecisionHorner) {
    std::mt19937_64 gen(5);
    std::uniform_real_distribution<double> coefficient(-1.0, 1.0), angle(0.0, 6.283185307179586);
    for (const int n : {1, 2, 6, 16}) {
        for (const int count : {1, 7, 9, 17, 40}) {
            const auto room = static_cast<std::size_t>((count + kernels::kPadding - 1) /
                                                       kernels::kPadding * kernels::kPadding);
            std::vector<double> c(static_cast<std::size_t>(n) + 1), zr(room), zi(room);
            std::vector<double> pow(room), pow2(room), slope(room);
            for (double& v : c) {
                v = coefficient(gen);
            }
            for (int s = 0; s < count; ++s) {
                const double t = angle(gen);
                zr[static_cast<std::size_t>(s)] = std::cos(t);
                zi[static_cast<std::size_t>(s)] = -std::sin(t);
            }
            kernels::powers(c.data(), n, zr.data(), zi.data(), count, pow.data());
            kernels::powersAndSlopes(c.data(), n, zr.data(), zi.data(), count, pow2.data(),
                                     slope.data());
            double scale = 0.0;
            for (double v : c) {
                scale += std::fabs(v);
            }
            for (int s = 0; s < count; ++s) {
                const auto u = static_cast<std::size_t>(s);
                const std::complex<long double> z(zr[u], zi[u]);
                std::complex<long double> p = c[static_cast<std::size_t>(n)], dp = 0.0L;
                for (int k = n - 1; k >= 0; --k) {
                    dp = dp * z + p;
                    p = p * z + static_cast<long double>(c[static_cast<std::size_t>(k)]);
                }
                const long double expectedPow = std::norm(p);
                const long double expectedSlope = std::real(std::conj(p) * z * dp);
                const double tolerance = 1e-13 * scale * scale * n;
                EXPECT_NEAR(pow[u], static_cast<double>(expectedPow), tolerance)
                    << "degree " << n << ", count " << count << ", sample " << s;
                EXPECT_EQ(pow2[u], pow[u]) << "degree " << n << ", sample " << s;
                EXPECT_NEAR(slope[u], static_cast<double>(expectedSlope), tolerance * n)
                    << "degree " << n << ", count " << count << ", sample " << s;
            }
        }
    }
}

} // namespace
