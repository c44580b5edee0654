#include "LimitLoop.h"

#include <cmath>

namespace dovra::bench {

double limitLoop(const double* a, int na, const double* b, int nb, const LimitGrid& grid) {
    double error = 0.0;
    for (int s = 0; s < grid.count; ++s) {
        const double zr = grid.zr[s];
        const double zi = grid.zi[s];
        double ar = a[na], ai = 0.0;
        for (int k = na - 1; k >= 0; --k) {
            const double t = ar * zr - ai * zi + a[k];
            ai = ar * zi + ai * zr;
            ar = t;
        }
        double br = b[nb], bi = 0.0;
        for (int k = nb - 1; k >= 0; --k) {
            const double t = br * zr - bi * zi + b[k];
            bi = br * zi + bi * zr;
            br = t;
        }
        const double level = 10.0 * std::log10((ar * ar + ai * ai) / (br * br + bi * bi));
        const double e = grid.sign[s] * (level - grid.limit[s]);
        if (e > 0.0) {
            error += e * e;
        }
    }
    return error;
}

} // namespace dovra::bench
