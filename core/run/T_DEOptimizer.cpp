#include "run/T_DEOptimizer.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>
#include <thread>

#include "design/DesignFactory.h"
#include "design/ZPlaneDesign.h"
#include "problem/IIR.h"
#include "run/RunStatus.h"
#include "settings/RunSettings.h"
#include "text/NumberText.h"

namespace dovra {

std::optional<std::string> prepareProblem(DEProblem& p, const RunInput& in, Console& console) {
    p.init_tolerance_scheme(in, console);
    p.load_fixed_filter(in, console, 0);
    p.getPolesAndZeros(in);
    if (const auto& error = p.capacityError()) {
        return error;
    }
    p.computePoleZeroPointers();
    p.initMisc(in);
    return std::nullopt;
}

T_DEOptimizer::T_DEOptimizer(RunHost& host)
    : host_(host), problem_(std::make_unique<IIR>()), search_(host.console(), &stopRequested_),
      makeDesign_(makeDesign),
      thread_([this] { pass(); }, [this](const std::string& what) { passFailed(what); },
              [this](bool ready) {
                  std::lock_guard figures(figuresMutex_);
                  published_.ready = ready;
              },
              stopRequested_) {
    published_.status = host_.getStatus();
    search_.setThreads(defaultThreads());
}

int T_DEOptimizer::defaultThreads() {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void T_DEOptimizer::setThreads(int threads) {
    park();
    search_.setThreads(threads);
}

int T_DEOptimizer::threads() const {
    return search_.threads();
}

std::int64_t T_DEOptimizer::portfolioSeed(std::int64_t seed, int k) {
    if (k == 0) {
        return seed;
    }
    // splitmix64 of the seed and the search's number: well spread, never 0
    // (which would mean "from the clock").
    std::uint64_t z =
        static_cast<std::uint64_t>(seed) + 0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(k);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    const auto derived = static_cast<std::int64_t>(z >> 1);
    return derived == 0 ? 1 : derived;
}

void T_DEOptimizer::makePortfolio() {
    extraSearches_.clear();
    extraProblems_.clear();
    auto* zplane = dynamic_cast<ZPlaneDesign*>(design_.get());
    const int searches =
        std::clamp(input_.settings.portfolio, 1, OptimizationSettings::kMaxSearches);
    if (zplane == nullptr || searches <= 1) {
        return;
    }
    const std::int64_t seed = search_.random().seed();
    extraConsoleText_.str({});
    for (int k = 1; k < searches; ++k) {
        auto problem = std::make_unique<IIR>();
        prepareProblem(*problem, input_, extraConsole_);
        auto search = std::make_unique<DESearch>(extraConsole_, &stopRequested_);
        search->random().setMySeed(portfolioSeed(seed, k));
        search->sharePool(search_);
        zplane->addSearch(*problem, *search);
        extraProblems_.push_back(std::move(problem));
        extraSearches_.push_back(std::move(search));
    }
}

T_DEOptimizer::~T_DEOptimizer() {
    stop();
}

// ---------------------------------------------------------------------------------
// The search
// ---------------------------------------------------------------------------------

void T_DEOptimizer::takeParameters() {
    std::lock_guard lock(settingsMutex_);
    if (pendingSet_) {
        pendingSet_ = false;
        currentProblem_ = pending_.problemIndex;
        search_.setSizes(pending_.NP, pending_.NP2, pending_.range, pending_.refreshRate);
        for (auto& s : extraSearches_) {
            s->setSizes(pending_.NP, pending_.NP2, pending_.range, pending_.refreshRate);
        }
    }
    if (pendingRefresh_ > 0) {
        search_.setRefreshRate(pendingRefresh_);
        for (auto& s : extraSearches_) {
            s->setRefreshRate(pendingRefresh_);
        }
        pendingRefresh_ = 0;
    }
}

void T_DEOptimizer::publishFigures(const DEProblem* problem) {
    // A portfolio shows the search its design names (the winner, or the one
    // of least cost so far).
    const DESearch* shown = &search_;
    int number = 1;
    int searches = 1;
    long long all = search_.evaluation();
    if (const auto* zplane = dynamic_cast<const ZPlaneDesign*>(design_.get());
        zplane != nullptr && zplane->searches() > 1 && problem != nullptr) {
        shown = &zplane->shownSearch();
        problem = &zplane->shownProblem();
        number = zplane->shown() + 1;
        searches = zplane->searches();
        all = zplane->evaluations();
    }
    std::lock_guard lock(figuresMutex_);
    published_.search = number;
    published_.searches = searches;
    published_.allEvaluations = all;
    published_.generation = shown->generation();
    published_.evaluation = shown->evaluation();
    published_.minimum = shown->minimum();
    published_.best = shown->best();
    published_.offset = shown->offset();
    published_.populationSize = shown->populationSize();
    if (problem != nullptr) {
        published_.phase = problem->getPhase();
        published_.layout = problem->layout();
        published_.aDegree = problem->get_a_degree();
        published_.bDegree = problem->get_b_degree();
        published_.filter = runFilter_;
    }
}

// ---------------------------------------------------------------------------------
// Run control
// ---------------------------------------------------------------------------------

void T_DEOptimizer::setParameters(int problemIndex, int NP, int NP2, double range,
                                  int refreshRate) {
    std::lock_guard lock(settingsMutex_);
    pending_.problemIndex = problemIndex;
    pending_.NP = std::clamp(NP, population_minimum, population_capacity);
    pending_.NP2 = std::clamp(NP2, population_minimum, population_capacity);
    pending_.range = range;
    pending_.refreshRate = std::max(refreshRate, 1);
    pendingSet_ = true;
    pendingRefresh_ = 0;
}

void T_DEOptimizer::forgetRun(const std::string& status) {
    park();
    search_.restart();
    runFilter_ = nullptr;
    std::lock_guard lock(figuresMutex_);
    const bool ready = published_.ready;
    published_ = ProgressSnapshot{};
    published_.ready = ready;
    published_.status = status;
}

void T_DEOptimizer::setRefreshRate(int refreshRate) {
    std::lock_guard lock(settingsMutex_);
    pendingRefresh_ = std::max(refreshRate, 1);
}

void T_DEOptimizer::setPassSleep(std::chrono::milliseconds sleep) {
    thread_.setPassSleep(sleep);
}

std::chrono::milliseconds T_DEOptimizer::passSleep() const {
    return thread_.passSleep();
}

void T_DEOptimizer::start() {
    thread_.start();
}

void T_DEOptimizer::stop() {
    thread_.stop();
}

bool T_DEOptimizer::hasThread() const {
    return thread_.hasThread();
}

void T_DEOptimizer::makeReady() {
    thread_.makeReady();
}

void T_DEOptimizer::makeNotReady() {
    thread_.makeNotReady();
}

bool T_DEOptimizer::isReady() const {
    return thread_.isReady();
}

void T_DEOptimizer::park() {
    thread_.park();
}

bool T_DEOptimizer::waitForIdle(std::chrono::milliseconds timeout) {
    return thread_.waitForIdle(timeout);
}

void T_DEOptimizer::waitForIdle() {
    thread_.waitForIdle();
}

void T_DEOptimizer::passFailed(const std::string& what) {
    host_.console().err(status::kRunAborted + what);
    host_.setStatus(status::kRunAborted + what);
    makeNotReady();
    host_.done();
}

void T_DEOptimizer::pass() {
    takeParameters();
    host_.updateObservers();
    if (!thread_.pauseWithinPass()) {
        return;
    }
    if (!searching()) {
        // A closed design's layout shows before its run ends, one pass later.
        host_.updateObservers();
        if (designFinished_) {
            endRun();
            return;
        }
    }
    start_FilterDesign();
}

bool T_DEOptimizer::searching() const {
    return design_ && design_->isSearch();
}

void T_DEOptimizer::endRun() {
    makeNotReady();
    host_.done();
}

bool T_DEOptimizer::optStart(const RunInput& in) {
    park();
    takeParameters();
    DEProblem* p = currentProblem();
    if (p == nullptr) {
        return host_.refuseRun(status::kNoProblem);
    }
    input_ = in;
    if (auto error = prepareProblem(*p, input_, host_.console())) {
        // The monitor shows the degrees of the realization tried (0 for one
        // that does not fit).
        {
            std::lock_guard lock(figuresMutex_);
            published_.aDegree = p->get_a_degree();
            published_.bDegree = p->get_b_degree();
        }
        return host_.refuseRun(*error);
    }

    design_ = makeDesign_(input_.settings.method, *p, search_);
    if (design_) {
        design_->reset();
    }
    makePortfolio();
    schemeRead_ = false;
    designFinished_ = false;
    runFilter_ = p->runFilter();
    {
        std::lock_guard lock(figuresMutex_);
        published_.refused = false;
    }

    search_.restart();
    const SearchParameters& r = input_.parameters;
    setParameters(r.problemIndex, r.NP, r.NP2, r.range, r.refreshRate);
    takeParameters();
    search_.ensureCapacity(std::clamp(p->getLength(), 0, vector_capacity));
    for (auto& s : extraSearches_) {
        s->restart();
        s->ensureCapacity(std::clamp(p->getLength(), 0, vector_capacity));
    }
    publishFigures(p);
    makeReady();
    return true;
}

void T_DEOptimizer::optResume() {
    makeReady();
}

void T_DEOptimizer::initProblem(int problemIndex, const RunInput& in) {
    park();
    currentProblem_ = problemIndex;
    if (auto* p = currentProblem()) {
        p->initMisc(in);
    }
}

void T_DEOptimizer::initLR() {
    park();
    design_.reset();
    schemeRead_ = false;
    designFinished_ = false;
}

void T_DEOptimizer::setDesignMaker(DesignMaker maker) {
    park();
    makeDesign_ = std::move(maker);
}

void T_DEOptimizer::initDesignSuccessFlag() {
    park();
    host_.setDegrees(0, 0, 0, 0);
}

void T_DEOptimizer::finishClassical(const std::string& status) {
    host_.setStatus(status);
    search_.setFigures(0, 0, 0.0);
    designFinished_ = true;
    host_.setDegrees(0, 0, 0, 0);
    // Nothing was designed: the task cannot be run as given.
    {
        std::lock_guard lock(figuresMutex_);
        published_.refused = true;
    }
    publishFigures(nullptr);
}

namespace {

/// A design's status texts go to the hub, which publishes them; its progress
/// publishes the run figures.
class HostStatus : public StatusSink {
  public:
    HostStatus(RunHost& s, std::function<void()> publish) : s_(s), publish_(std::move(publish)) {}
    /// The monitor is refreshed at once, so a step's progress text ("Trying
    /// filterorder ...") shows while the step works, not after it.
    void setStatus(const std::string& text) override {
        s_.setStatus(text);
        s_.updateObservers();
    }
    void progress() override {
        publish_();
        s_.updateObservers();
    }

  private:
    RunHost& s_;
    std::function<void()> publish_;
};

} // namespace

void T_DEOptimizer::start_FilterDesign() {
    // The run's settings were handed over at Start and cannot change while it
    // is in progress; only what is still pending is taken.
    takeParameters();
    DEProblem* p = currentProblem();
    if (p == nullptr) {
        if (searching()) {
            host_.setStatus(status::kNoProblem);
            endRun();
        } else {
            finishClassical(status::kNoProblem);
        }
        return;
    }
    if (!searching() && !schemeRead_) {
        // The problem is the design thread's own during a run: the window
        // thread reads the published snapshot, never the problem.
        p->init_tolerance_scheme(input_, host_.console());
        p->load_fixed_filter(input_, host_.console(), 1);
        if (p->parseToleranceScheme() == 0) {
            finishClassical(status::kInvalidScheme);
            return;
        }
        schemeRead_ = true;
    }
    if (!design_) {
        finishClassical(status::kNotAvailable);
        return;
    }
    HostStatus status(host_, [this, p] { publishFigures(p); });
    const bool endsNow = searching();
    applyOutcome(*p, design_->step({p->data(), status}));
    if (endsNow && designFinished_) {
        endRun();
    }
}

void T_DEOptimizer::applyOutcome(DEProblem& problem, DesignOutcome outcome) {
    for (const std::string& line : outcome.console) {
        host_.console().out(line);
    }
    if (outcome.status) {
        host_.setStatus(*outcome.status);
    }
    if (outcome.layout) {
        const DesignLayout& l = *outcome.layout;
        // The hub's degrees first: the problem takes its layout from them as
        // the hub reads them back.
        input_.realization = host_.setDegrees(l.layout.N, l.layout.M, l.layout.L, l.layout.A);
        problem.getBest(l.best);
        problem.getPolesAndZeros(input_);
        problem.computePoleZeroPointers();
        problem.setPZpointers(l.layout.pointers());
        if (!l.coefficients.empty()) {
            problem.getCoefficients(l.coefficients);
        }
        search_.setBest(l.best);
        runFilter_ = problem.runFilter();
    }
    if (outcome.finished) {
        // A closed design has no generations; a search keeps its figures.
        if (!searching()) {
            search_.setFigures(0, 0, 0.0);
        }
        designFinished_ = true;
    }
    {
        std::lock_guard lock(figuresMutex_);
        published_.refused = outcome.refused;
    }
    publishFigures(&problem);
}

// ---------------------------------------------------------------------------------
// Figures
// ---------------------------------------------------------------------------------

ProgressSnapshot T_DEOptimizer::snapshot() const {
    std::lock_guard lock(figuresMutex_);
    return published_;
}

void T_DEOptimizer::publishStatus(const std::string& status) {
    std::lock_guard lock(figuresMutex_);
    published_.status = status;
}

void T_DEOptimizer::setResult(int generation, int evaluation, double minimum,
                              const ParamVector& best) {
    search_.setFigures(generation, evaluation, minimum);
    search_.setBest(best);
    DEProblem* p = currentProblem();
    runFilter_ = p ? p->runFilter() : nullptr;
    publishFigures(p);
}

// ---------------------------------------------------------------------------------
// Problems
// ---------------------------------------------------------------------------------

DEProblem* T_DEOptimizer::currentProblem() const {
    return currentProblem_.load() == 0 ? problem_.get() : nullptr;
}

void T_DEOptimizer::setProblem(std::unique_ptr<DEProblem> problem) {
    park();
    problem_ = std::move(problem);
}

} // namespace dovra
