// Every successful run of the examples (seeds 1 to 5, the results files stored
// in tests/data/runs, which ReferenceRunsTest holds byte for byte to what
// dovra-batch writes) meets what its method promises, on an evaluation of the
// results file's coefficients written here, independently of the product's
// response code: 20,000 points per segment of every limit table, to 1e-4 dB
// and 1e-4 samples.
//
// - A search (Z-plane) design meets its whole scheme. With free group-delay
//   limits the band may move: the delay fits when its largest excess over the
//   upper rows is not above its least excess over the lower rows.
// - A classical or FIR design meets the pass and stop bands it reads from the
//   scheme, listed below per example as read off its task file.

#include <gtest/gtest.h>

#include "core/batch/BatchSupport.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace dovra::test;
using Complex = std::complex<long double>;

constexpr int kPointsPerSegment = 20000;
constexpr double kTolerance = 1e-4;

/// A polynomial in z^-1 at e^(j 2 pi w), in extended precision.
Complex at(const std::vector<double>& c, long double w) {
    const Complex z = std::polar(1.0L, -2.0L * std::numbers::pi_v<long double> * w);
    Complex sum = 0.0L;
    for (std::size_t k = c.size(); k-- > 0;) {
        sum = sum * z + static_cast<long double>(c[k]);
    }
    return sum;
}

/// Group delay of a polynomial: Re(sum k c_k z^k / sum c_k z^k), z = e^(-j 2 pi w).
long double delayOf(const std::vector<double>& c, long double w) {
    const Complex z = std::polar(1.0L, -2.0L * std::numbers::pi_v<long double> * w);
    Complex sum = 0.0L, slope = 0.0L;
    for (std::size_t k = c.size(); k-- > 0;) {
        sum = sum * z + static_cast<long double>(c[k]);
        slope = slope * z + static_cast<long double>(k) * static_cast<long double>(c[k]);
    }
    return (slope / sum).real();
}

struct Band {
    double lo, hi, upper, lower; // dB; lower -inf for a stopband
};
constexpr double kNone = -std::numeric_limits<double>::infinity();

/// The bands each classical or FIR example reads from its scheme.
const std::map<std::string, std::vector<Band>> kBands{
    {"butterworth-lowpass", {{0.0, 0.2, 0.0, -1.0}, {0.25, 0.5, -40.0, kNone}}},
    {"lowpass-remez", {{0.0, 0.2, 0.0, -1.0}, {0.25, 0.5, -40.0, kNone}}},
    {"lowpass-fir", {{0.0, 0.2, 0.5, -0.5}, {0.25, 0.5, -30.0, kNone}}},
    {"chebyshev1-highpass", {{0.0, 0.2, -40.0, kNone}, {0.25, 0.5, 0.0, -0.5}}},
    {"chebyshev2-bandpass",
     {{0.0, 0.15, -50.0, kNone}, {0.2, 0.3, 0.0, -1.0}, {0.35, 0.5, -50.0, kNone}}},
    {"bandpass-fir-flat",
     {{0.0, 0.1, -40.0, kNone}, {0.15, 0.3, 0.0, -1.0}, {0.35, 0.5, -40.0, kNone}}},
    {"elliptic-bandstop",
     {{0.0, 0.15, 0.0, -0.5}, {0.2, 0.3, -60.0, kNone}, {0.35, 0.5, 0.0, -0.5}}},
};

template <class F> void forEachPoint(const std::vector<Row>& rows, F f) {
    for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
        for (int i = 0; i <= kPointsPerSegment; ++i) {
            const long double t = static_cast<long double>(i) / kPointsPerSegment;
            f(rows[k].w + (rows[k + 1].w - rows[k].w) * t,
              rows[k].limit + (rows[k + 1].limit - rows[k].limit) * t);
        }
    }
}

struct StoredRun {
    std::string task;
    int seed;
};

std::vector<StoredRun> successfulRuns() {
    std::vector<StoredRun> runs;
    const fs::path stored = fs::path(DOVRA_TEST_DATA_DIR) / "runs";
    for (const auto& entry : fs::directory_iterator(fs::path(DOVRA_SOURCE_DIR) / "examples")) {
        const std::string task = entry.path().stem().string();
        for (int seed = 1; seed <= 5; ++seed) {
            const auto console =
                readLines(stored / (task + "-seed" + std::to_string(seed) + ".console"));
            if (!console.empty() && console.back() == "exit 0") {
                runs.push_back({task, seed});
            }
        }
    }
    std::sort(runs.begin(), runs.end(), [](const StoredRun& a, const StoredRun& b) {
        return a.task != b.task ? a.task < b.task : a.seed < b.seed;
    });
    return runs;
}

class StoredSuccess : public ::testing::TestWithParam<StoredRun> {};

TEST_P(StoredSuccess, MeetsWhatItsMethodPromises) {
    const StoredRun& r = GetParam();
    const fs::path results = fs::path(DOVRA_TEST_DATA_DIR) / "runs" /
                             (r.task + "-seed" + std::to_string(r.seed) + ".out");
    const Task t = readTask(fs::path(DOVRA_SOURCE_DIR) / "examples" / (r.task + ".cfg"));
    auto c = readCoefficients(results);
    ASSERT_FALSE(c["a"].empty());
    const std::vector<double> one{1.0};
    const std::vector<double>& b = c.count("b") ? c["b"] : one;
    const std::vector<double>& af = c.count("af") ? c["af"] : one;
    const std::vector<double>& bf = c.count("bf") ? c["bf"] : one;
    auto level = [&](long double w) {
        return static_cast<double>(
            20.0L * std::log10(std::abs(at(c["a"], w) / at(b, w) * at(af, w) / at(bf, w))));
    };
    auto delay = [&](long double w) {
        return static_cast<double>(delayOf(c["a"], w) - delayOf(b, w) + delayOf(af, w) -
                                   delayOf(bf, w));
    };

    const auto bands = kBands.find(r.task);
    if (bands != kBands.end()) {
        for (const Band& band : bands->second) {
            forEachPoint({{band.lo, 0.0}, {band.hi, 0.0}}, [&](long double w, long double) {
                const double l = level(w);
                EXPECT_LE(l, band.upper + kTolerance) << "at " << static_cast<double>(w);
                EXPECT_GE(l, band.lower - kTolerance) << "at " << static_cast<double>(w);
            });
        }
        return;
    }
    forEachPoint(t.magUpper, [&](long double w, long double limit) {
        EXPECT_LE(level(w), limit + kTolerance) << "upper magnitude at " << static_cast<double>(w);
    });
    forEachPoint(t.magLower, [&](long double w, long double limit) {
        EXPECT_GE(level(w), limit - kTolerance) << "lower magnitude at " << static_cast<double>(w);
    });
    // The least room between the delay and the lower rows must hold the
    // largest amount by which it passes the upper rows (0 for frozen limits).
    long double over = t.gdUpper.size() >= 2 ? -1e300L : 0.0L;
    long double room = t.gdLower.size() >= 2 ? 1e300L : 0.0L;
    forEachPoint(t.gdUpper, [&](long double w, long double limit) {
        over = std::max(over, static_cast<long double>(delay(w)) - limit);
    });
    forEachPoint(t.gdLower, [&](long double w, long double limit) {
        room = std::min(room, static_cast<long double>(delay(w)) - limit);
    });
    if (t.gdUpper.size() >= 2 && t.gdLower.size() >= 2 && !t.freezeGd) {
        EXPECT_LE(static_cast<double>(over), static_cast<double>(room) + kTolerance);
    } else {
        EXPECT_LE(static_cast<double>(over), kTolerance);
        EXPECT_GE(static_cast<double>(room), -kTolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, StoredSuccess, ::testing::ValuesIn(successfulRuns()),
                         [](const auto& info) {
                             std::string n =
                                 info.param.task + "_seed" + std::to_string(info.param.seed);
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n;
                         });

} // namespace
