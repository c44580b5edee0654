#pragma once
// The filter problem base: the realization counts, the block layout of the
// parameter vector, the prefilter and the sampled tolerance scheme.
//
// Everything a search step reads from the settings is copied into the problem
// from the run's input when a run is prepared (getPolesAndZeros, initMisc,
// load_fixed_filter): settings cannot change while a run is in progress, and
// the response and
// coefficient functions then read only the problem's own copies, so they are
// const and reentrant and the window thread may call them during a search.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "problem/Data.h"
#include "problem/ExcessScan.h"
#include "problem/FilterResponse.h"
#include "problem/Layout.h"
#include "problem/Response.h"
#include "problem/RunInput.h"
#include "problem/ToleranceScheme.h"
#include "problem/Types.h"
#include "problem/UniformSource.h"
#include "settings/DesignMethod.h"
#include "text/Console.h"

namespace dovra {

class DEProblem {
  public:
    DEProblem();
    virtual ~DEProblem() = default;
    DEProblem(const DEProblem&) = delete;
    DEProblem& operator=(const DEProblem&) = delete;

    // --- operations the concrete problem supplies -------------------------
    virtual bool completed() = 0;
    virtual int getPhase() const = 0;
    virtual void setPhase(int phase) = 0;
    /// The trial vector with its radii brought back inside the restrictions,
    /// written into out (n entries; entries beyond the dimension are 0); the
    /// corrections draw from random.
    virtual void boundsCheck(UniformSource& random, std::span<const double> reference,
                             std::span<const double> trial, int n, std::span<double> out) = 0;
    /// The cost vector of x (its first n entries are the ones the search
    /// works on); keeps the group-delay offset (getOffset) and the
    /// coefficients it scored. Design thread only: it makes the sampled
    /// scheme ready first and works in the problem's own scratch.
    virtual CostVector evaluate(std::span<const double> x, int n);

    /// What one evaluation yields: the cost vector and the group-delay offset
    /// the cost was taken at.
    struct Evaluation {
        CostVector cost{};
        double offset = 0.0;
    };
    /// Working memory of the evaluations of one thread: the coefficients it
    /// builds and the rows of per-sample values. Sized by fitScratch. On
    /// cache lines of its own, so that threads writing their scratch do not
    /// slow each other down.
    struct alignas(64) Scratch {
        Coefficients a{}, b{};
        ParamVector work{};
        std::size_t workUsed = 0;
        std::vector<double> first, second, delayUpper, delayLower;
    };
    /// Makes the sampled scheme ready (after a change of tables, grid or
    /// added samples). Design thread only, before evaluations run on workers.
    void prepareEvaluation() {
        if (!gridReady_) {
            sampleScheme();
        }
    }
    /// Rough work of one evaluation in complex multiply-adds (samples times
    /// degrees, and a share for building the coefficients): whether a batch
    /// of evaluations is worth handing to other threads.
    double evaluationWork() const;
    /// Sizes s for every scheme this run may sample (allocates only when it
    /// is too small; the room includes the samples a refinement may add).
    void fitScratch(Scratch& s) const;
    /// The cost of x after prepareEvaluation: const and reentrant, so that
    /// several threads may each evaluate with a scratch of their own.
    virtual Evaluation costOf(std::span<const double> x, Scratch& s) const = 0;
    /// Magnitude of the filter of parameter vector x at w, with the problem's
    /// quantization and structure (no prefilter).
    virtual double amag(std::span<const double> x, double w) const = 0;
    virtual double amag_ab(std::span<const double> a, std::span<const double> b, int na, int nb,
                           double w) const = 0;
    virtual double amag_ff(double w) const = 0;
    virtual double gdel_ab(std::span<const double> a, std::span<const double> b, int na, int nb,
                           double w) const = 0;
    virtual double gdel_ff(double w) const = 0;
    virtual Coefficients coeffi_a(std::span<const double> x, std::int64_t q,
                                  int structure) const = 0;
    virtual Coefficients coeffi_b(std::span<const double> x, std::int64_t q,
                                  int structure) const = 0;
    virtual int get_a_degree() const = 0;
    virtual int get_b_degree() const = 0;
    /// Group delay of the filter of parameter vector x at w (no prefilter).
    virtual double gdel(std::span<const double> x, double w) const = 0;
    /// Keeps h as the impulse response of a linear-phase FIR design.
    virtual void getCoefficients(std::span<const double> h) = 0;
    /// What the responses of this run's filters depend on besides the vector
    /// and the layout, as a value the window thread may keep.
    virtual std::shared_ptr<const RunFilter> runFilter() const {
        auto f = std::make_shared<RunFilter>();
        f->quant = settings_.quant;
        f->structure = settings_.structure;
        f->method = settings_.method;
        f->capacityError = capacityError_;
        f->prefilter = prefilter_;
        return f;
    }

    // --- tolerance scheme ---------------------------------------------------
    /// Copies the four constraint tables of the run's input; a table over the
    /// capacity is reported on the console and limits nothing.
    virtual void init_tolerance_scheme(const RunInput& in, Console& console);
    /// Reads the loaded magnitude tables as a lowpass (1), highpass (2),
    /// bandpass (4) or bandstop (8) into the design input record; 0 when they
    /// are none of these.
    virtual int parseToleranceScheme();

    // --- prefilter -----------------------------------------------------------
    /// Loads the prefilter from the run's two prefilter tables, or clears it
    /// when noPrefilter is non-zero. Arrays are cleared first, so nothing of a
    /// previous prefilter is ever read.
    virtual void load_fixed_filter(const RunInput& in, Console& console, int noPrefilter);

    // --- realization and layout ----------------------------------------------
    /// Reads the realization (degrees, pairs, dimension, design method) and
    /// checks it against the capacities (capacityError).
    virtual void getPolesAndZeros(const RunInput& in);
    /// Counts and index ranges of the eight blocks. For a realization that
    /// does not fit, every count is 0 and every range [0, 0].
    virtual void computePoleZeroPointers();
    virtual LayoutRecord getPZparameters() const;
    /// Zero and pole ranges of a classical design; bounds are kept inside the
    /// vector capacity.
    virtual void setPZpointers(const PZPointers& p);
    /// Dimension (at most the vector capacity), zeroed best vector, sampling
    /// grid, quantization, structure and design method; phase 0.
    virtual void initMisc(const RunInput& in);
    /// Keeps a copy of x as the problem's best vector.
    virtual void getBest(std::span<const double> x);
    virtual int getLength() const { return D_; }
    virtual double getOffset() const { return offset_; }
    /// The layout of the run's parameter vector.
    const Layout& layout() const { return layout_; }
    int get_zr_start() const { return layout_[Block::ZeroRadii].first; }
    int get_zr_stop() const { return layout_[Block::ZeroRadii].last; }
    int get_za_start() const { return layout_[Block::ZeroAngles].first; }
    int get_za_stop() const { return layout_[Block::ZeroAngles].last; }
    int get_pr_start() const { return layout_[Block::PoleRadii].first; }
    int get_pr_stop() const { return layout_[Block::PoleRadii].last; }
    int get_pa_start() const { return layout_[Block::PoleAngles].first; }
    int get_pa_stop() const { return layout_[Block::PoleAngles].last; }
    int get_lr_start() const { return layout_[Block::LinRadii].first; }
    int get_lr_stop() const { return layout_[Block::LinRadii].last; }
    int get_la_start() const { return layout_[Block::LinAngles].first; }
    int get_la_stop() const { return layout_[Block::LinAngles].last; }
    int get_zar_start() const { return layout_[Block::AllpassRadii].first; }
    int get_zar_stop() const { return layout_[Block::AllpassRadii].last; }
    int get_zaa_start() const { return layout_[Block::AllpassAngles].first; }
    int get_zaa_stop() const { return layout_[Block::AllpassAngles].last; }
    /// Radii counts of the blocks. A block with count 0 has a collapsed range
    /// that repeats an index of another block; users of the ranges skip it.
    int get_zr_count() const { return layout_[Block::ZeroRadii].count; }
    int get_pr_count() const { return layout_[Block::PoleRadii].count; }
    int get_zar_count() const { return layout_[Block::AllpassRadii].count; }

    /// Why the realization read by getPolesAndZeros does not fit the fixed
    /// capacities (numerator or denominator of more than 480 coefficients, a
    /// parameter vector of more than 480 entries); nothing when it fits. The
    /// coefficient builders refuse to build for a realization that does not fit
    /// (they return all zeros and the degrees are 0); a caller that starts a
    /// run checks this first and shows the message.
    const std::optional<std::string>& capacityError() const { return capacityError_; }
    /// Checks a realization against the capacities without touching a problem.
    static std::optional<std::string> checkCapacity(int N, int M, int L, int A);

    // --- samples added between the grid points ---------------------------------------
    /// Where the filter of parameter vector x leaves the loaded scheme between
    /// its samples (its level with the prefilter in dB against the magnitude
    /// tables, its group delay with the prefilter against the group-delay
    /// tables shifted by offset), as the dense check finds it; and what the
    /// samples then gained.
    struct Refinement {
        bool met = true;
        /// Frequencies that joined the sampled scheme.
        int added = 0;
        /// Worst excess found in dB and in samples (0 when none), and where.
        double magExcess = 0.0, magFrequency = 0.0;
        double gdExcess = 0.0, gdFrequency = 0.0;
    };
    /// Checks the filter of x between the samples; every local maximum of its
    /// excess above tolerance joins the sampled scheme of its table (its limit
    /// interpolated in its segment as the grid's are), as long as the room set
    /// aside for added samples lasts. The cost then scores the new samples too.
    Refinement refineSamples(std::span<const double> x, double offset, double tolerance);
    /// Frequencies each table can take on top of its grid in one run.
    static constexpr int added_capacity = 512;
    /// Whether the run refines its samples until the scheme is met between them.
    bool refinesSamples() const { return settings_.refine; }

    /// The samples of one tolerance table on the run's grid, in evaluation
    /// order (segment by segment, fractions in storage order): the
    /// interpolated limit, z = e^(-j 2 pi w), and the prefilter's level in dB
    /// (magnitude tables) or group delay (group-delay tables) at w.
    /// value is the scratch row of the filter's response at the samples.
    /// threshold is the limit as a power ratio |A/B|^2 (magnitude tables):
    /// a sample whose ratio lies beyond it by less than 1e-9 relative cannot
    /// violate its limit, so the level in dB is taken only at the others.
    struct SampledTable {
        int count = 0;
        std::vector<double> limit, zRe, zIm, prefilter, threshold;
    };
    /// A sampled table of the run (0 upper and 1 lower magnitude, 2 upper
    /// and 3 lower group delay) after prepareEvaluation; for measurements.
    const SampledTable& sampledTable(int k) const {
        return sampled_[static_cast<std::size_t>(k & 3)];
    }

    // --- plain state ------------------------------------------------------------
    Data& data() { return data_; }
    const Data& data() const { return data_; }
    double bestCost = 0.0; // written by the design thread before completed()
    const ParamVector& bestVector() const { return best_; }
    /// The tolerance scheme the run loaded.
    const ToleranceScheme& toleranceScheme() const { return scheme_; }

    int numDeg() const { return layout_.N; }
    int denomDeg() const { return layout_.M; }
    int linPairs() const { return layout_.L; }
    int allpassPairs() const { return layout_.A; }
    std::int64_t quantization() const { return settings_.quant; }
    DesignMethod designMethod() const { return settings_.method; }
    int structure() const { return settings_.structure; }
    /// Radius restrictions of the run (initMisc), which the search draws
    /// its first population within.
    double zeroRadiusLow() const { return settings_.zeroRadiusLow; }
    double zeroRadiusHigh() const { return settings_.zeroRadiusHigh; }
    double poleRadiusRestr() const { return settings_.poleRadiusRestr; }

    // Prefilter state after load_fixed_filter.
    const Prefilter& prefilter() const { return prefilter_; }
    int ffNumeratorDegree() const { return prefilter_.numeratorDegree(); }
    int ffDenominatorDegree() const { return prefilter_.denominatorDegree(); }
    double ffGain() const { return prefilter_.gain(); }
    const std::array<double, kTableCapacity>& ffNumerator() const { return prefilter_.numerator(); }
    const std::array<double, kTableCapacity>& ffDenominator() const {
        return prefilter_.denominator();
    }

    static constexpr double tiny = 1e-16;
    static constexpr double pi = 3.141592653589793;
    static constexpr double two_pi = 6.283185307179586;
    static constexpr int table_capacity = kTableCapacity;

  protected:
    /// Fills the linear and cosine sampling tables (constructor).
    void buildSamplingTables();
    /// The sampling part of initMisc: points per segment and sampling table
    /// from the run's settings.
    void initSampling();

    Data data_;
    ParamVector best_{};
    int D_ = 0;
    double offset_ = 0.0;

    // Realization.
    int dimension_ = 0;
    /// Degrees read by getPolesAndZeros; blocks placed by computePoleZeroPointers
    /// (or a classical design's setPZpointers).
    Layout layout_;
    /// The run's settings (design method, structure, quantization, grid,
    /// group-delay freeze, radius limits), taken once per run by initMisc:
    /// settings cannot change while a run is in progress.
    SearchSettings settings_;
    double invLn10_ = 0.0;
    std::optional<std::string> capacityError_;
    // Optimisation phase: 0 exact coefficients, 1 and 2 quantized.
    int phase_ = 0;

    Prefilter prefilter_;

    // The run's tolerance scheme (init_tolerance_scheme).
    ToleranceScheme scheme_;

    // Sampling grid.
    int pointsPerSegment_ = 10;
    std::array<double, 64> linearTable_{};
    std::array<double, 64> cosineTable_{};
    const std::array<double, 64>* samplingTable_ = &cosineTable_;

    enum SchemeTable { MagUpper, MagLower, GdUpper, GdLower };
    std::array<SampledTable, 4> sampled_{};
    /// Samples added between the grid points in this run, per table in the
    /// order of sampled_: frequency and limit; at most added_capacity each,
    /// held in buffers sized once.
    struct AddedSamples {
        int count = 0;
        std::vector<double> w, limit;
    };
    std::array<AddedSamples, 4> added_{};
    void clearAddedSamples();
    /// False after the tables or the grid changed; evaluate fills the samples
    /// (into buffers sized at capacity by the constructor) before it uses them.
    bool gridReady_ = false;
    /// Fills sampled_ from the loaded tables, the grid and the prefilter.
    void sampleScheme();
    /// The problem's own scratch, for evaluate.
    Scratch own_;
};

} // namespace dovra
