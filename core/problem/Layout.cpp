#include "problem/Layout.h"

#include <algorithm>

namespace dovra {

Layout Layout::of(int N, int M, int L, int A) {
    Layout l;
    l.N = N;
    l.M = M;
    l.L = L;
    l.A = A;
    const std::array<int, kBlockCount> counts{N / 2 + N % 2, N / 2, M / 2 + M % 2, M / 2,
                                              L / 2 + L % 2, L / 2, A / 2 + A % 2, A / 2};
    int previous = 0;
    for (std::size_t b = 0; b < kBlockCount; ++b) {
        BlockRange& r = l.blocks[b];
        r.count = counts[b];
        if (r.count >= 1) {
            r.first = previous + 1;
            r.last = previous + r.count;
        } else {
            r.first = r.last = previous;
        }
        previous = r.last;
    }
    return l;
}

void Layout::setPointers(const PZPointers& p) {
    // A design writes into a vector of the vector capacity; bounds outside it
    // are kept inside so that no reader of the layout leaves the vector.
    auto bound = [](int v) { return std::clamp(v, 0, kVectorCapacity - 1); };
    for (std::size_t b = 0; b < 4; ++b) {
        BlockRange& r = blocks[b];
        r.first = bound(p[2 * b]);
        r.last = bound(p[2 * b + 1]);
        r.count = std::max(0, r.last - r.first + 1);
    }
}

PZPointers Layout::pointers() const {
    PZPointers p{};
    for (std::size_t b = 0; b < 4; ++b) {
        p[2 * b] = blocks[b].first;
        p[2 * b + 1] = blocks[b].last;
    }
    return p;
}

LayoutRecord Layout::record() const {
    LayoutRecord r{};
    r[0] = N;
    r[1] = M;
    r[2] = L;
    r[3] = A;
    for (std::size_t b = 0; b < kBlockCount; ++b) {
        r[4 + b] = blocks[b].count;
        r[12 + 2 * b] = blocks[b].first;
        r[13 + 2 * b] = blocks[b].last;
    }
    return r;
}

Layout Layout::fromRecord(const LayoutRecord& r) {
    Layout l;
    l.N = r[0];
    l.M = r[1];
    l.L = r[2];
    l.A = r[3];
    for (std::size_t b = 0; b < kBlockCount; ++b) {
        l.blocks[b] = {r[4 + b], r[12 + 2 * b], r[13 + 2 * b]};
    }
    return l;
}

} // namespace dovra
