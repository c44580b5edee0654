#pragma once
// Where a parameter vector puts its zeros and poles in the z-plane, read
// directly from its radii and angles (before any quantization of the
// coefficients), as the pole-zero plot draws them.

#include <span>
#include <vector>

#include "problem/Layout.h"

namespace dovra {

struct PlanePoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const PlanePoint&) const = default;
};

struct PoleZeroPositions {
    std::vector<PlanePoint> zeros;
    std::vector<PlanePoint> poles;
};

/// The positions the layout gives the vector's radii and angles (angles in
/// cycles per sample): the zero block's conjugate pairs and then its real
/// zeros (from the end of the radius block), the linear-phase groups (a pair
/// or real root with its mirror image at the reciprocal radius), the pole
/// block like the zero block, and the allpass pairs (poles at the radius,
/// zeros at its reciprocal, kept finite for a radius of 0). Indices outside
/// the vector read as 0.
PoleZeroPositions poleZeroPositions(const Layout& layout, std::span<const double> x);

} // namespace dovra
