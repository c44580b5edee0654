#pragma once
// The limit loop: the plainest form of the cost's magnitude term, compiled
// for the build machine's own processor, as the yardstick of the search's
// speed. Complex Horner of numerator and denominator at every sample, the
// level in dB by a logarithm at every sample, the squared violation; no
// coefficient build, no search.

namespace dovra::bench {

struct LimitGrid {
    const double* zr;
    const double* zi;
    const double* limit;
    const double* sign; // +1 upper limit, -1 lower limit
    int count;
};

/// Sum of the squared violations of the filter a / b (degrees na, nb) on the grid.
double limitLoop(const double* a, int na, const double* b, int nb, const LimitGrid& grid);

} // namespace dovra::bench
