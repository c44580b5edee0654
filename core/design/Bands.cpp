#include "design/Bands.h"

#include <algorithm>
#include <cmath>

#include "problem/Response.h"

namespace dovra {

std::vector<DesignBand> designBands(const Data& d) {
    const double fl = d.f_lower;
    const double fu = d.f_upper;
    const double delta = d.delta;
    const DesignBand pass{0.0, 0.0, d.gain, d.gain - d.pass_ripple};
    DesignBand stop{0.0, 0.0, d.gain - d.stop_attn};
    auto band = [](DesignBand b, double lo, double hi) {
        b.lo = lo;
        b.hi = hi;
        return b;
    };
    switch (d.filtertype) {
    case 1:
        return {band(pass, 0.0, fu), band(stop, fu + delta, 0.5)};
    case 2:
        return {band(stop, 0.0, fl - delta), band(pass, fl, 0.5)};
    case 4:
        return {band(stop, 0.0, fl - delta), band(pass, fl, fu), band(stop, fu + delta, 0.5)};
    case 8:
        return {band(pass, 0.0, fl), band(stop, fl + delta, fu - delta), band(pass, fu, 0.5)};
    default:
        return {};
    }
}

BandCheck checkBands(const std::vector<DesignBand>& bands,
                     const std::function<double(double)>& levelDb, const ScanGuide& guide,
                     double tolerance) {
    BandCheck r;
    std::vector<ExcessPeak> found;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const DesignBand& b = bands[i];
        for (const bool upper : {true, false}) {
            if (!upper && !b.pass()) {
                continue;
            }
            const double limit = upper ? b.upperDb : b.lowerDb;
            const LimitRow rows[2] = {{b.lo, limit}, {b.hi, limit}};
            found.clear();
            findExcessPeaks(rows, 0.0, upper, levelDb, guide, tolerance, found);
            for (const ExcessPeak& p : found) {
                r.peaks.push_back({i, upper, p.w, p.excess});
                if (r.met || p.excess > r.excess) {
                    r.met = false;
                    r.excess = p.excess;
                    r.frequency = p.w;
                }
            }
        }
    }
    return r;
}

BandCheck checkFirBands(std::span<const double> taps, const Data& record) {
    const int n = static_cast<int>(taps.size()) - 1;
    ScanGuide guide;
    guide.step = std::min(guide.step, 1.0 / (32.0 * std::max(n, 1)));
    const auto level = [taps, n](double w) {
        return 20.0 * std::log10(response::magnitude(taps, {}, n, 0, w));
    };
    return checkBands(designBands(record), level, guide, kBandTolerance);
}

} // namespace dovra
