#pragma once
// The inner loops of the cost function: a real polynomial evaluated on the
// unit circle at many samples, several samples at a time in the widest
// vector registers the processor offers (chosen once at run time, so one
// binary serves every x86-64 processor).
//
// Every lane performs exactly the operations of the one-sample form, in the
// same order and without fused multiply-adds (the file is compiled with
// floating-point contraction off), so a value does not depend on the vector
// width: a search gives the same result on every processor.

namespace dovra::kernels {

/// The kernels work on whole vectors of samples: zr, zi and the outputs must
/// hold count rounded up to a multiple of kPadding entries (what lies beyond
/// count is read, and overwritten in the outputs, but does not matter).
inline constexpr int kPadding = 16;

/// pow[s] = |P(z_s)|^2 for P(z) = c[0] + c[1] z + ... + c[n] z^n, n >= 1, at
/// the count samples z_s = zr[s] + j zi[s].
void powers(const double* c, int n, const double* zr, const double* zi, int count, double* pow);

/// pow[s] = |P(z_s)|^2 and slope[s] = Re(conj(P(z_s)) z_s P'(z_s)), n >= 1.
/// With z = e^(-j theta) the slope equals C dS - S dC of the trigonometric
/// sums C + jS = sum c[i] e^(j i theta), so slope / pow is the group delay.
void powersAndSlopes(const double* c, int n, const double* zr, const double* zi, int count,
                     double* pow, double* slope);

/// Name of the instruction set the kernels run on, for the benchmarks.
const char* targetName();

} // namespace dovra::kernels
