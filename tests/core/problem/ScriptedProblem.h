#pragma once
// A filter problem whose layout, cost and completion the test sets, so the
// search and the run control are tested without the real cost function.

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <numeric>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "problem/DEProblem.h"

namespace dovra::test {

class ScriptedProblem : public DEProblem {
  public:
    /// Cost of x (the first n entries) in the given phase.
    using CostFunction = std::function<CostVector(std::span<const double> x, int phase)>;
    /// Decides completion from the best cost; may change the phase.
    using Completion = std::function<bool(double bestCost, int& phase)>;

    /// Squared distance to a fixed point, in every phase.
    static CostVector sphere(std::span<const double> x, int) {
        static const double target[] = {0.5, -0.3, 0.2, 0.7, -0.4, 0.1, -0.6, 0.9};
        double s = 0.0;
        for (std::size_t j = 0; j < x.size(); ++j) {
            double d = x[j] - target[j % 8];
            s += d * d;
        }
        return {s, 0.0, s};
    }

    /// D = 5: gain, zero radii [1, 2], pole radius [3, 3], allpass radius [4, 4].
    ScriptedProblem() {
        setDimension(5);
        setZeroRadii(1, 2, 2);
        setPoleRadii(3, 3, 1);
        setAllpassRadii(4, 4, 1);
    }

    void setDimension(int D) {
        D_ = D;
        dimension_ = D;
    }
    void setZeroRadii(int first, int last, int count) {
        layout_[Block::ZeroRadii] = {count, first, last};
    }
    void setPoleRadii(int first, int last, int count) {
        layout_[Block::PoleRadii] = {count, first, last};
    }
    void setAllpassRadii(int first, int last, int count) {
        layout_[Block::AllpassRadii] = {count, first, last};
    }
    void setRadiusRestrictions(double zeroLow, double zeroHigh, double pole) {
        settings_.zeroRadiusLow = zeroLow;
        settings_.zeroRadiusHigh = zeroHigh;
        settings_.poleRadiusRestr = pole;
    }

    CostFunction cost = sphere;
    Completion completion = [](double, int&) { return false; };
    bool schemeValid = true;
    std::optional<std::string> capacityText;

    // Evaluations; the vectors evaluated and the trials handed to boundsCheck
    // when recording is on.
    mutable std::atomic<int> evaluations{0};
    bool record = false;
    mutable std::vector<std::vector<double>> evaluated;
    std::vector<std::vector<double>> trials;

    // Calls of the preparation, in order ("init_tolerance_scheme", ...).
    std::vector<std::string> calls() const {
        std::lock_guard lock(callsMutex_);
        return calls_;
    }
    std::atomic<int> initMiscCount{0};

    bool completed() override { return completion(bestCost, scriptedPhase_); }
    int getPhase() const override { return scriptedPhase_; }
    void setPhase(int phase) override { scriptedPhase_ = phase; }
    void boundsCheck(UniformSource&, std::span<const double>, std::span<const double> trial, int n,
                     std::span<double> out) override {
        if (record) {
            trials.emplace_back(trial.begin(), trial.begin() + D_);
        }
        for (int i = 0; i < n; ++i) {
            out[static_cast<std::size_t>(i)] = trial[static_cast<std::size_t>(i)];
        }
    }
    Evaluation costOf(std::span<const double> x, Scratch&) const override {
        ++evaluations;
        const std::size_t n = std::min(x.size(), static_cast<std::size_t>(D_));
        if (record) {
            std::lock_guard lock(callsMutex_);
            evaluated.emplace_back(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
        }
        return {cost(x.first(n), scriptedPhase_), offset_};
    }
    double amag(std::span<const double>, double) const override { return 1.0; }
    double amag_ab(std::span<const double>, std::span<const double>, int, int,
                   double) const override {
        return 1.0;
    }
    double amag_ff(double) const override { return 1.0; }
    double gdel_ab(std::span<const double>, std::span<const double>, int, int,
                   double) const override {
        return 0.0;
    }
    double gdel_ff(double) const override { return 0.0; }
    Coefficients coeffi_a(std::span<const double>, std::int64_t, int) const override { return {}; }
    Coefficients coeffi_b(std::span<const double>, std::int64_t, int) const override { return {}; }
    int get_a_degree() const override { return 0; }
    int get_b_degree() const override { return 0; }
    double gdel(std::span<const double>, double) const override { return 0.0; }
    void getCoefficients(std::span<const double>) override {}

    void init_tolerance_scheme(const RunInput&, Console&) override {
        note("init_tolerance_scheme");
    }
    int parseToleranceScheme() override {
        note("parseToleranceScheme");
        return schemeValid ? 1 : 0;
    }
    void load_fixed_filter(const RunInput&, Console&, int noPrefilter) override {
        note("load_fixed_filter(" + std::to_string(noPrefilter) + ")");
    }
    void getPolesAndZeros(const RunInput&) override {
        note("getPolesAndZeros");
        capacityError_ = capacityText;
    }
    void computePoleZeroPointers() override { note("computePoleZeroPointers"); }
    void initMisc(const RunInput&) override {
        note("initMisc");
        scriptedPhase_ = 0;
        ++initMiscCount;
    }

  private:
    void note(const std::string& call) {
        std::lock_guard lock(callsMutex_);
        calls_.push_back(call);
    }
    int scriptedPhase_ = 0;
    mutable std::mutex callsMutex_;
    std::vector<std::string> calls_;
};

} // namespace dovra::test
