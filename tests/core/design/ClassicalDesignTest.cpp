// The classical designs' worked numbers, input checks and capacity limits,
// and the root finder of their fourth-order sections.

#include <gtest/gtest.h>

#include <cmath>

#include "core/design/LayoutRoots.h"
#include "design/Butterworth.h"
#include "design/ClassicalDesign.h"
#include "design/Elliptic.h"

namespace dovra {
namespace {

constexpr double kSentinel = 7.5;

/// The lowpass of the worked examples: passband to 0.2, stopband from 0.25.
Data lowpass(double Rp, double Rs) {
    Data d;
    d.filtertype = 1;
    d.f_upper = 0.2;
    d.delta = 0.05;
    d.pass_ripple = Rp;
    d.stop_attn = Rs;
    return d;
}

struct Result {
    int result = 0;
    ParamVector best;
    PZPointers pointers{};
    std::string refusal;
    std::vector<std::string> messages;
    Data data;
};

Result run(DesignMethod m, const Data& input) {
    Result r;
    r.best.fill(kSentinel);
    r.data = input;
    auto design = makeClassicalIIR(m, r.best, kVectorCapacity);
    design->set_data(r.data);
    r.result = design->design();
    r.pointers = design->getPZpointers();
    r.refusal = design->refusal();
    r.messages = design->messages();
    return r;
}

bool untouched(const ParamVector& v) {
    return std::all_of(v.begin(), v.end(), [](double x) { return x == kSentinel; });
}

TEST(Polyroots4, SplitsIntoTwoPairsInPolarForm) {
    const struct {
        std::array<double, 5> p;
        std::array<double, 4> res;
    } cases[] = {
        // (x^2 - 0.8x + 0.3)(x^2 - 1.2x + 0.5): the first factor comes first.
        {{1, -2, 1.76, -0.76, 0.15}, {0.547723, 0.119691, 0.707107, 0.088745}},
        // Both pairs of radius sqrt(0.5): the second result is the third root.
        {{1, -0.5, 0.5, -0.25, 0.25}, {0.707107, 0.307513, 0.707107, 0.125}},
    };
    for (const auto& c : cases) {
        const PolarRoots r = Data::polyroots4(c.p);
        EXPECT_TRUE(r.converged);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_NEAR(r.res[i], c.res[i], 1e-6) << i;
        }
    }
}

TEST(Polyroots4, ABudgetRunOutGivesZerosAndAFlag) {
    const PolarRoots r = Data::polyroots4(std::array<double, 5>{1, NAN, 1, 1, 1});
    EXPECT_FALSE(r.converged);
    EXPECT_EQ(r.res, (std::array<double, 4>{}));
}

TEST(ClassicalDesign, WorkedExamples) {
    EXPECT_EQ(run(DesignMethod::Chebyshev1, lowpass(1, 40)).result, 8);
    EXPECT_EQ(run(DesignMethod::Elliptic, lowpass(1, 40)).result, 5);
    EXPECT_NEAR(EllipLowpass::nome(std::tan(0.2 * M_PI)), 0.0467689, 1e-7);
    // An estimate below 2 becomes 2.
    EXPECT_EQ(run(DesignMethod::Butterworth, lowpass(3, 3.5)).result, 2);

    // Odd order: the real zero and the real pole close their radius blocks.
    const Result b = run(DesignMethod::Butterworth, lowpass(3, 40));
    EXPECT_EQ(b.result, 15);
    EXPECT_EQ(b.pointers, (PZPointers{1, 8, 9, 15, 16, 23, 24, 30}));
    const double wc =
        std::tan(0.2 * M_PI) / std::pow(std::sqrt(std::pow(10.0, 0.3) - 1.0), 1.0 / 15);
    EXPECT_EQ(b.best[8], -1.0);
    EXPECT_NEAR(b.best[23], (1 - wc) / (1 + wc), 1e-15);
    EXPECT_EQ(b.best[31], kSentinel);

    // Chebyshev type 2 of order 8: every zero on the unit circle.
    const Result c2 = run(DesignMethod::Chebyshev2, lowpass(1, 40));
    EXPECT_EQ(c2.result, 8);
    for (const auto& z : test::ZPK::of(c2.best, c2.pointers).zeros) {
        EXPECT_NEAR(std::abs(z), 1.0, 1e-12);
    }
}

TEST(ClassicalDesign, FailedChecksGiveTheirMessageInOrder) {
    namespace t = classical_text;
    const struct {
        void (*change)(Data&);
        const char* message;
    } cases[] = {
        {[](Data& d) { d.sample_frequency = 0; }, t::kSampleFrequency},
        {[](Data& d) { d.f_lower = -0.01; }, t::kLowerCutoff},
        {[](Data& d) { d.f_upper = 0.05; }, t::kUpperPassband},
        {[](Data& d) { d.delta = 0; }, t::kTransition},
        {[](Data& d) { d.stop_attn = -1; }, t::kStopband},
        {[](Data& d) { d.stop_attn = 1; }, t::kRipple},
        {[](Data& d) { d.filterorder = -1; }, t::kNegativeOrder},
        // The first failing check is the one reported.
        {[](Data& d) { d.delta = NAN, d.f_lower = -1; }, t::kLowerCutoff},
        {[](Data& d) { d.filtertype = 3; }, t::kInvalidType},
        // A stopband edge beyond half the sample frequency.
        {[](Data& d) { d.delta = 0.35; }, t::kNoOrder},
    };
    for (auto m : {DesignMethod::Butterworth, DesignMethod::Chebyshev1, DesignMethod::Chebyshev2,
                   DesignMethod::Elliptic}) {
        for (const auto& c : cases) {
            Data d = lowpass(1, 40);
            c.change(d);
            const Result r = run(m, d);
            EXPECT_EQ(r.result, 0) << c.message;
            EXPECT_EQ(r.refusal, c.message);
            EXPECT_TRUE(untouched(r.best)) << c.message;
        }
    }
    EXPECT_EQ(run(DesignMethod::Butterworth,
                  [] {
                      Data d = lowpass(1, 40);
                      d.delta = 0;
                      return d;
                  }())
                  .messages,
              std::vector<std::string>{classical_text::kTransition});
    // The boundaries pass: fl = 0 and fu = fl.
    Data d = lowpass(1, 40);
    d.f_lower = 0.0;
    EXPECT_NE(run(DesignMethod::Butterworth, d).result, 0);
    d.f_lower = d.f_upper;
    EXPECT_NE(run(DesignMethod::Butterworth, d).result, 0);
}

/// The design of the largest order that fits and of the next one: the stopband
/// attenuation is bisected until the estimate steps from limit to limit + 1.
TEST(ClassicalDesign, OrdersBeyondTheVectorAreRefused) {
    for (int type : {1, 4}) {
        const int limit = type == 1 ? 239 : 119;
        Data d = lowpass(1, 40);
        d.filtertype = type;
        d.f_lower = 0.2;
        d.f_upper = 0.3;
        d.delta = 0.002;
        double lo = 2, hi = 2000;
        for (int i = 0; i < 200 && hi - lo > 1e-9; ++i) {
            d.stop_attn = 0.5 * (lo + hi);
            (run(DesignMethod::Butterworth, d).data.filterorder > limit ? hi : lo) = d.stop_attn;
        }
        d.stop_attn = lo;
        const Result fits = run(DesignMethod::Butterworth, d);
        EXPECT_EQ(fits.result, type == 1 ? limit : 2 * limit);
        EXPECT_EQ(fits.pointers[7], type == 1 ? 2 * limit : 4 * limit);
        EXPECT_EQ(fits.best[479], kSentinel);
        d.stop_attn = hi;
        const Result refused = run(DesignMethod::Butterworth, d);
        EXPECT_EQ(refused.result, 0);
        EXPECT_EQ(refused.refusal, "Filter order " + std::to_string(limit + 1) +
                                       " too high: at most " + std::to_string(limit) +
                                       " fits the parameter vector.");
        EXPECT_TRUE(untouched(refused.best));
    }
}

TEST(ClassicalDesign, StepYieldsTheLayoutOrARefusal) {
    struct NoStatus : StatusSink {
        void setStatus(const std::string&) override {}
    } sink;
    ClassicalDesign design(DesignMethod::Elliptic);
    Data d = lowpass(1, 40);
    d.filtertype = 8;
    d.f_lower = 0.1;
    d.f_upper = 0.4;
    const DesignOutcome ok = design.step({d, sink});
    ASSERT_TRUE(ok.layout);
    EXPECT_TRUE(ok.finished);
    EXPECT_FALSE(ok.refused);
    EXPECT_EQ(ok.status, "Design successful");
    EXPECT_EQ(ok.layout->layout.N, ok.layout->order);
    EXPECT_EQ(ok.layout->layout.M, ok.layout->order);
    EXPECT_EQ(ok.layout->layout[Block::PoleAngles].last, 2 * ok.layout->order);

    d.delta = 0;
    const DesignOutcome no = design.step({d, sink});
    EXPECT_FALSE(no.layout);
    EXPECT_TRUE(no.finished);
    EXPECT_TRUE(no.refused);
    EXPECT_EQ(no.status, classical_text::kTransition);
    EXPECT_EQ(no.console, std::vector<std::string>{classical_text::kTransition});
}

} // namespace
} // namespace dovra
