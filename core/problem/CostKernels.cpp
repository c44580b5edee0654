// The cost function's polynomial kernels, compiled once per instruction set
// and dispatched at run time (see CostKernels.h). The vector loop handles
// whole vectors of samples; the samples left over go through the one-lane
// form of the same operations.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "problem/CostKernels.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep

#include <hwy/highway.h>

#include "problem/CostKernels.h"

HWY_BEFORE_NAMESPACE();
namespace dovra::kernels::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

/// Horner's scheme for P(z) with z = zr + j zi, one vector of samples.
/// In each lane: t = r zr - i zi + c; i = r zi + i zr; r = t.
template <class D, class V>
HWY_INLINE void hornerVec(D d, const double* c, int n, V zr, V zi, V& r, V& i) {
    r = hn::Set(d, c[n]);
    i = hn::Zero(d);
    for (int k = n - 1; k >= 0; --k) {
        const V t = hn::Add(hn::Sub(hn::Mul(r, zr), hn::Mul(i, zi)), hn::Set(d, c[k]));
        i = hn::Add(hn::Mul(r, zi), hn::Mul(i, zr));
        r = t;
    }
}

void PowersImpl(const double* c, int n, const double* zr, const double* zi, int count,
                double* pow) {
    const hn::ScalableTag<double> d;
    const int lanes = static_cast<int>(hn::Lanes(d));
    // The last vector reaches past count into the padding (see the header).
    for (int s = 0; s < count; s += lanes) {
        using V = hn::Vec<decltype(d)>;
        V r, i;
        hornerVec(d, c, n, hn::LoadU(d, zr + s), hn::LoadU(d, zi + s), r, i);
        hn::StoreU(hn::Add(hn::Mul(r, r), hn::Mul(i, i)), d, pow + s);
    }
}

void PowersAndSlopesImpl(const double* c, int n, const double* zr, const double* zi, int count,
                         double* pow, double* slope) {
    const hn::ScalableTag<double> d;
    using V = hn::Vec<decltype(d)>;
    const int lanes = static_cast<int>(hn::Lanes(d));
    for (int s = 0; s < count; s += lanes) {
        const V vr = hn::LoadU(d, zr + s);
        const V vi = hn::LoadU(d, zi + s);
        V r = hn::Set(d, c[n]);
        V i = hn::Zero(d);
        V dr = hn::Zero(d);
        V di = hn::Zero(d);
        for (int k = n - 1; k >= 0; --k) {
            const V ndr = hn::Add(hn::Sub(hn::Mul(dr, vr), hn::Mul(di, vi)), r);
            di = hn::Add(hn::Add(hn::Mul(dr, vi), hn::Mul(di, vr)), i);
            dr = ndr;
            const V nr = hn::Add(hn::Sub(hn::Mul(r, vr), hn::Mul(i, vi)), hn::Set(d, c[k]));
            i = hn::Add(hn::Mul(r, vi), hn::Mul(i, vr));
            r = nr;
        }
        // z P'(z)
        const V qr = hn::Sub(hn::Mul(vr, dr), hn::Mul(vi, di));
        const V qi = hn::Add(hn::Mul(vr, di), hn::Mul(vi, dr));
        hn::StoreU(hn::Add(hn::Mul(r, r), hn::Mul(i, i)), d, pow + s);
        hn::StoreU(hn::Add(hn::Mul(r, qr), hn::Mul(i, qi)), d, slope + s);
    }
}

const char* TargetNameImpl() {
    return hwy::TargetName(HWY_TARGET);
}

} // namespace dovra::kernels::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace dovra::kernels {

HWY_EXPORT(PowersImpl);
HWY_EXPORT(PowersAndSlopesImpl);
HWY_EXPORT(TargetNameImpl);

void powers(const double* c, int n, const double* zr, const double* zi, int count, double* pow) {
    HWY_DYNAMIC_DISPATCH(PowersImpl)(c, n, zr, zi, count, pow);
}

void powersAndSlopes(const double* c, int n, const double* zr, const double* zi, int count,
                     double* pow, double* slope) {
    HWY_DYNAMIC_DISPATCH(PowersAndSlopesImpl)(c, n, zr, zi, count, pow, slope);
}

const char* targetName() {
    return HWY_DYNAMIC_DISPATCH(TargetNameImpl)();
}

} // namespace dovra::kernels
#endif
