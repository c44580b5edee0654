#include "design/FirLayout.h"

#include <cmath>
#include <sstream>

#include "text/NumberText.h"

namespace dovra {

std::string firtext::trying(int length) {
    return "Trying filterorder " + std::to_string(length) + " ...";
}

std::string firtext::badEdges(std::span<const double> edges) {
    std::string text = "Invalid band edges for the FIR design:";
    for (double e : edges) {
        text += ' ';
        text += text::formatDouble(e);
    }
    text += " (the bands must lie between 0.0 and 0.5 in rising order)";
    return text;
}

std::optional<std::string> checkBandEdges(std::span<const double> edges) {
    double previous = 0.0;
    for (double e : edges) {
        if (!std::isfinite(e) || e < previous || e > 0.5) {
            return firtext::badEdges(edges);
        }
        previous = e;
    }
    return std::nullopt;
}

DesignLayout firLayout(std::vector<double> h, int denomDeg, ZeroCounts* counts) {
    DesignLayout layout;
    const int order = static_cast<int>(h.size()) - 1;
    layout.order = order;
    layout.best.fill(0.0);
    // No zero block until the roots fill one.
    PZPointers pointers{1, 0, 1, 0, 1, 1, 1, 1};
    ZeroCounts found;
    if (!h.empty() && h[0] != 0.0) {
        // The gain is the first tap; the response is kept divided by it, so
        // that gain times response is the filter and its zeros are those of a
        // polynomial with constant term 1.
        layout.best[0] = h[0];
        const double first = h[0];
        for (double& tap : h) {
            tap /= first;
        }
        if (order >= 1) {
            RootArrays roots;
            mueller(0, h, order, roots);
            found = zerosFromRoots(roots, order, layout.best, pointers);
        }
    } else {
        // A zero first tap cannot be divided out: gain 1, the response as it
        // is, and no zero blocks (only the response describes the filter).
        layout.best[0] = 1.0;
    }
    layout.layout = Layout::of(order, denomDeg, 0, 0);
    layout.layout.setPointers(pointers);
    if (counts != nullptr) {
        *counts = found;
    }
    layout.coefficients = std::move(h);
    return layout;
}

} // namespace dovra
