// The responses the plots, the check between the samples and the images draw,
// at high orders, against values computed by scipy.signal from the zeros and
// poles of the same filters (make_classical_reference.py writes
// response_reference.txt): the group delay of the order-17 Butterworth lowpass
// of the examples near Nyquist, where its 17 zeros at z = -1 make the expanded
// numerator useless, and the level of an elliptic bandpass of order 40.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "design/ClassicalDesign.h"
#include "problem/FilterResponse.h"
#include "problem/Response.h"

namespace dovra {
namespace {

struct ResponseReference {
    std::vector<std::pair<double, double>> delay; // frequency, samples
    Data elliptic;
    std::vector<std::pair<double, double>> level; // frequency, dB
};

ResponseReference readReference() {
    std::ifstream in(DOVRA_SOURCE_DIR "/tests/core/design/response_reference.txt");
    ResponseReference r;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string kind;
        s >> kind;
        double f = 0.0, v = 0.0;
        if (kind == "gd" && s >> f >> v) {
            r.delay.emplace_back(f, v);
        } else if (kind == "mag" && s >> f >> v) {
            r.level.emplace_back(f, v);
        } else if (kind == "elliptic") {
            Data& d = r.elliptic;
            int order = 0;
            s >> d.filtertype >> d.f_lower >> d.f_upper >> d.delta >> d.gain >> d.pass_ripple >>
                d.stop_attn >> order;
        }
    }
    return r;
}

/// The filter a classical design of the record yields, as a run's snapshot
/// holds it: its parameter vector and its layout.
FilterResponse designed(DesignMethod method, const Data& record) {
    struct Sink : StatusSink {
        void setStatus(const std::string&) override {}
    } sink;
    const DesignOutcome outcome = ClassicalDesign(method).step({record, sink});
    EXPECT_TRUE(outcome.layout.has_value());
    if (!outcome.layout) {
        return {};
    }
    const DesignLayout& l = *outcome.layout;
    auto run = std::make_shared<RunFilter>();
    run->method = method;
    return FilterResponse(l.best, l.layout, run);
}

TEST(ResponseReference, ButterworthGroupDelayNearNyquist) {
    const ResponseReference ref = readReference();
    ASSERT_EQ(ref.delay.size(), 3u);
    Data lowpass;
    lowpass.filtertype = 1;
    lowpass.f_lower = 0.1;
    lowpass.f_upper = 0.2;
    lowpass.delta = 0.05;
    lowpass.pass_ripple = 1.0;
    lowpass.stop_attn = 40.0;
    const FilterResponse f = designed(DesignMethod::Butterworth, lowpass);
    ASSERT_EQ(f.aDegree(), 17);
    for (const auto& [w, samples] : ref.delay) {
        EXPECT_NEAR(f.gdel(w), samples, 1e-6) << "at " << w;
    }
}

/// scipy's zeros, poles and gain of the elliptic bandpass (the last case of
/// classical_reference.txt) as a parameter vector: a radius and an angle per
/// conjugate pair.
FilterResponse scipyElliptic() {
    std::ifstream in(DOVRA_SOURCE_DIR "/tests/core/design/classical_reference.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    EXPECT_GE(lines.size(), 3u);
    std::istringstream head(lines[lines.size() - 3]);
    std::string word;
    double gain = 0.0;
    for (int i = 0; i < 9; ++i) {
        head >> word;
    }
    head >> gain;
    ParamVector x{};
    x[0] = gain;
    // Zeros: radii 1..20, angles 21..40; poles: radii 41..60, angles 61..80.
    auto pairs = [&x](const std::string& line, int first) {
        std::istringstream s(line);
        std::string label;
        int n = 0;
        s >> label >> n;
        int k = 0;
        for (double re = 0.0, im = 0.0; s >> re >> im;) {
            if (im > 0.0) {
                x[static_cast<std::size_t>(first + k)] = std::hypot(re, im);
                x[static_cast<std::size_t>(first + 20 + k)] = std::atan2(im, re) / (2.0 * M_PI);
                ++k;
            }
        }
        EXPECT_EQ(k, 20) << label;
    };
    pairs(lines[lines.size() - 2], 1);
    pairs(lines[lines.size() - 1], 41);
    auto run = std::make_shared<RunFilter>();
    run->method = DesignMethod::Elliptic;
    return FilterResponse(x, Layout::of(40, 40, 0, 0), run);
}

// scipy's filter evaluated here agrees with scipy's own evaluation; the
// filter designed here is the same filter (its elliptic formulas agree with
// the exact elliptic filter to about 1e-9 in the roots at this order, which
// moves the level near the stopband zeros by up to about 1e-5 dB).
TEST(ResponseReference, EllipticBandpassOfOrder40) {
    const ResponseReference ref = readReference();
    ASSERT_GT(ref.level.size(), 1000u);
    const FilterResponse scipy = scipyElliptic();
    const FilterResponse ours = designed(DesignMethod::Elliptic, ref.elliptic);
    ASSERT_EQ(ours.aDegree(), 40);
    ASSERT_EQ(ours.bDegree(), 40);
    for (const auto& [w, dB] : ref.level) {
        EXPECT_NEAR(scipy.levelDb(w), dB, 1e-6) << "at " << w;
        EXPECT_NEAR(ours.levelDb(w), dB, 1e-4) << "at " << w;
    }
}

} // namespace
} // namespace dovra

// The prefilter of the allpass example, three zeros next to z = -1: its
// group delay as the plots and the check read it, against
// scipy.signal.group_delay of the same coefficients. The cost's numerator
// floor (1e-12) would put it off by 1.5 samples from 0.498 on.
TEST(ResponseReference, PrefilterGroupDelayNextToZerosOnTheCircle) {
    const std::vector<double> numerator = {0.09853116092392707, 0.2955934827717812,
                                           0.2955934827717812, 0.09853116092392707};
    const std::vector<double> denominator = {1.0, -0.5772405248063025, 0.42178704868956163,
                                             -0.0562972364918426};
    const dovra::Prefilter prefilter(numerator, denominator);
    const std::pair<double, double> scipy[] = {
        {0.45, 0.74982819}, {0.49, 0.72744984}, {0.499, 0.72655176}};
    for (const auto& [w, tau] : scipy) {
        EXPECT_NEAR(prefilter.trueGdel(w), tau, 1e-6) << w;
    }
    EXPECT_NEAR(prefilter.gdel(0.499), 0.72655176 - 1.5, 1e-3); // the cost's floored value
}
