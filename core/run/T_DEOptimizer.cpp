#include "run/T_DEOptimizer.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>
#include <map>

#include "design/DesignFactory.h"
#include "problem/IIR.h"
#include "run/RunStatus.h"
#include "text/NumberText.h"

namespace dovra {

std::unique_ptr<DEProblem> createProblem(const std::string& className) {
    static const std::map<std::string, std::function<std::unique_ptr<DEProblem>()>> registry{
        {"Dovra.problem.IIR", [] { return std::make_unique<IIR>(); }},
    };
    auto it = registry.find(className);
    if (it == registry.end()) {
        return nullptr;
    }
    return it->second();
}

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

T_DEOptimizer::T_DEOptimizer(RunHost& host, const std::vector<std::string>& ids)
    : host_(host), search_(host.console(), &stopRequested_), makeDesign_(makeDesign) {
    published_.status = host_.getStatus();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        auto p = createProblem("Dovra.problem." + ids[i]);
        if (!p) {
            host_.console().err("Problem class Dovra.problem." + ids[i] + " not found");
            host_.console().out("i=" + std::to_string(i));
        }
        problems_.push_back(std::move(p));
    }
}

T_DEOptimizer::~T_DEOptimizer() {
    stop();
}

// ---------------------------------------------------------------------------------
// The search
// ---------------------------------------------------------------------------------

void T_DEOptimizer::takeParameters() {
    std::lock_guard lock(runMutex_);
    if (!pendingSet_) {
        return;
    }
    pendingSet_ = false;
    currentProblem_ = pending_.problemIndex;
    search_.setSizes(pending_.NP, pending_.NP2, pending_.range, pending_.refreshRate);
}

double T_DEOptimizer::optimize(DEProblem& problem) {
    takeParameters();
    const double minimum = search_.optimize(problem);
    publishFigures(&problem);
    return minimum;
}

void T_DEOptimizer::publishFigures(const DEProblem* problem) {
    std::lock_guard lock(figuresMutex_);
    published_.generation = search_.generation();
    published_.evaluation = search_.evaluation();
    published_.minimum = search_.minimum();
    published_.best = search_.best();
    published_.offset = search_.offset();
    published_.populationSize = search_.populationSize();
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
    std::lock_guard lock(runMutex_);
    pending_.problemIndex = problemIndex;
    pending_.NP = std::clamp(NP, population_minimum, population_capacity);
    pending_.NP2 = std::clamp(NP2, population_minimum, population_capacity);
    pending_.range = range;
    pending_.refreshRate = std::max(refreshRate, 1);
    pendingSet_ = true;
}

void T_DEOptimizer::setPassSleep(std::chrono::milliseconds sleep) {
    std::lock_guard lock(runMutex_);
    passSleep_ = std::max(sleep, std::chrono::milliseconds(0));
}

std::chrono::milliseconds T_DEOptimizer::passSleep() const {
    std::lock_guard lock(runMutex_);
    return passSleep_;
}

void T_DEOptimizer::start() {
    std::thread ended;
    {
        std::lock_guard lock(runMutex_);
        if (thread_.joinable() && !quit_) {
            return;
        }
        // A thread that was told to end from within itself is joined first.
        ended = std::move(thread_);
    }
    if (ended.joinable()) {
        ended.join();
    }
    std::lock_guard lock(runMutex_);
    if (thread_.joinable()) {
        return;
    }
    quit_ = false;
    stopRequested_ = false;
    busy_ = false;
    thread_ = std::thread([this] { run(); });
}

void T_DEOptimizer::stop() {
    std::thread t;
    {
        std::lock_guard lock(runMutex_);
        if (!thread_.joinable()) {
            return;
        }
        quit_ = true;
        stopRequested_ = true;
        wakeCv_.notify_all();
        idleCv_.notify_all();
        if (std::this_thread::get_id() == designThreadId_) {
            return; // the thread cannot join itself; it ends after this pass
        }
        t = std::move(thread_);
    }
    t.join();
    std::lock_guard lock(runMutex_);
    designThreadId_ = std::thread::id();
    busy_ = false;
    idleCv_.notify_all();
}

bool T_DEOptimizer::hasThread() const {
    std::lock_guard lock(runMutex_);
    return thread_.joinable() && !quit_;
}

void T_DEOptimizer::makeReady() {
    std::lock_guard lock(runMutex_);
    ready_ = true;
    {
        std::lock_guard figures(figuresMutex_);
        published_.ready = true;
    }
    wakeCv_.notify_all();
}

void T_DEOptimizer::makeNotReady() {
    std::lock_guard lock(runMutex_);
    ready_ = false;
    {
        std::lock_guard figures(figuresMutex_);
        published_.ready = false;
    }
    idleCv_.notify_all();
}

bool T_DEOptimizer::isReady() const {
    std::lock_guard lock(runMutex_);
    return ready_;
}

void T_DEOptimizer::park() {
    std::unique_lock lock(runMutex_);
    ready_ = false;
    {
        std::lock_guard figures(figuresMutex_);
        published_.ready = false;
    }
    if (std::this_thread::get_id() == designThreadId_) {
        return; // the caller is the pass itself
    }
    idleCv_.wait(lock, [this] { return !busy_; });
}

bool T_DEOptimizer::waitForIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(runMutex_);
    return idleCv_.wait_for(lock, timeout,
                            [this] { return !thread_.joinable() || quit_ || (!ready_ && !busy_); });
}

void T_DEOptimizer::waitForIdle() {
    std::unique_lock lock(runMutex_);
    idleCv_.wait(lock, [this] { return !thread_.joinable() || quit_ || (!ready_ && !busy_); });
}

void T_DEOptimizer::run() {
    std::unique_lock lock(runMutex_);
    designThreadId_ = std::this_thread::get_id();
    while (!quit_) {
        if (!ready_) {
            busy_ = false;
            idleCv_.notify_all();
            wakeCv_.wait(lock, [this] { return ready_ || quit_; });
            continue;
        }
        busy_ = true;
        lock.unlock();
        try {
            pass();
        } catch (const std::exception& e) {
            // Nothing in a pass is meant to throw; should it, the run ends with
            // the reason shown rather than the program.
            host_.console().err(status::kRunAborted + e.what());
            host_.setStatus(status::kRunAborted + e.what());
            makeNotReady();
            host_.done();
        }
        lock.lock();
    }
    busy_ = false;
    idleCv_.notify_all();
}

void T_DEOptimizer::pass() {
    takeParameters();
    host_.updateObservers();
    {
        std::unique_lock lock(runMutex_);
        if (passSleep_.count() > 0) {
            wakeCv_.wait_for(lock, passSleep_, [this] { return quit_; });
        }
        if (quit_) {
            return;
        }
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
    const int i = currentProblem_.load();
    if (i < 0 || i >= static_cast<int>(problems_.size())) {
        return nullptr;
    }
    return problems_[static_cast<std::size_t>(i)].get();
}

void T_DEOptimizer::setProblem(int index, std::unique_ptr<DEProblem> problem) {
    if (index < 0) {
        return;
    }
    park();
    if (static_cast<std::size_t>(index) >= problems_.size()) {
        problems_.resize(static_cast<std::size_t>(index) + 1);
    }
    problems_[static_cast<std::size_t>(index)] = std::move(problem);
}

} // namespace dovra
