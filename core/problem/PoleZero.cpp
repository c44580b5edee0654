#include "problem/PoleZero.h"

#include <cmath>
#include <numbers>

#include "problem/Sections.h"

namespace dovra {

PoleZeroPositions poleZeroPositions(const Layout& l, std::span<const double> x) {
    PoleZeroPositions out;
    auto at = [x](int i) { return sections::at(x, i); };
    auto conjugates = [](std::vector<PlanePoint>& to, double r, double angle) {
        const double a = 2.0 * std::numbers::pi * angle;
        to.push_back({r * std::cos(a), r * std::sin(a)});
        to.push_back({r * std::cos(a), -r * std::sin(a)});
    };
    // A block of radii and angles: its pairs, then its real roots from the end.
    auto block = [&](std::vector<PlanePoint>& to, const BlockRange& radii,
                     const BlockRange& angles) {
        for (int k = 0; k < angles.count; ++k) {
            conjugates(to, at(radii.first + k), at(angles.first + k));
        }
        for (int i = 0; i < radii.count - angles.count; ++i) {
            to.push_back({at(radii.last - i), 0.0});
        }
    };
    block(out.zeros, l[Block::ZeroRadii], l[Block::ZeroAngles]);
    const BlockRange& lr = l[Block::LinRadii];
    const BlockRange& la = l[Block::LinAngles];
    for (int k = 0; k < la.count; ++k) {
        const double r = at(lr.first + k);
        conjugates(out.zeros, r, at(la.first + k));
        conjugates(out.zeros, sections::safeInvert(r), at(la.first + k));
    }
    if (lr.count > la.count) {
        const double r = at(lr.last);
        out.zeros.push_back({r, 0.0});
        out.zeros.push_back({sections::safeInvert(r), 0.0});
    }
    block(out.poles, l[Block::PoleRadii], l[Block::PoleAngles]);
    const BlockRange& ar = l[Block::AllpassRadii];
    const BlockRange& aa = l[Block::AllpassAngles];
    for (int k = 0; k < aa.count; ++k) {
        const double r = at(ar.first + k);
        conjugates(out.poles, r, at(aa.first + k));
        conjugates(out.zeros, sections::safeInvert(r), at(aa.first + k));
    }
    if (ar.count > aa.count) {
        const double r = at(ar.last);
        out.poles.push_back({r, 0.0});
        out.zeros.push_back({sections::safeInvert(r), 0.0});
    }
    return out;
}

} // namespace dovra
