#include "session/DesignSession.h"

#include "check/DenseCheck.h"
#include "check/StartCheck.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "problem/ToleranceScheme.h"
#include "report/ExportFilter.h"
#include "report/PrintOut.h"
#include "run/RunStatus.h"
#include "run/T_DEOptimizer.h"
#include "session/ConfigFile.h"
#include "text/NumberText.h"

namespace dovra {

DesignSession::DesignSession(std::ostream& out, std::ostream& err)
    : console_(out, err), task_(console_), activity_(console_), startup_(console_) {
    task_.optimization().setDebug(DebugOn());
    optimizer_ = std::make_unique<T_DEOptimizer>(*this);
    printOut_ = std::make_unique<PrintOut>(console_);
    markSaved();
}

namespace {
std::string taskText(DesignTask& task) {
    std::ostringstream text;
    writeConfiguration(task, text);
    return text.str();
}
} // namespace

void DesignSession::markSaved() {
    savedText_ = taskText(task_);
}

bool DesignSession::hasUnsavedChanges() {
    return taskText(task_) != savedText_;
}

DesignSession::~DesignSession() {
    // The design thread calls back into the session (observers, report
    // writer): it ends before any member goes.
    if (optimizer_) {
        optimizer_->stop();
    }
}

std::vector<std::string> DesignSession::getProblemIdentifiers() const {
    return task_.realization().getProblemIdentifiers();
}
int DesignSession::getCurrentProblem() const {
    return task_.realization().getCurrentProblem();
}
std::string DesignSession::getDesignIdentifier() const {
    return task_.realization().getDesignIdentifier();
}
int DesignSession::getDesignIdentifierIdx() const {
    return task_.realization().getDesignIdentifierIdx();
}
void DesignSession::setDesignIdentifierIdx(int i) {
    task_.realization().setDesignIdentifierIdx(i);
}
int DesignSession::getNumDeg() {
    return task_.realization().getNumDeg();
}
void DesignSession::setNumDeg(int n) {
    task_.realization().setNumDeg(n);
}
int DesignSession::getDenomDeg() {
    return task_.realization().getDenomDeg();
}
void DesignSession::setDenomDeg(int n) {
    task_.realization().setDenomDeg(n);
}
double DesignSession::getZeroRadiusRestrLow() {
    return task_.realization().getZeroRadiusRestrLow();
}
void DesignSession::setZeroRadiusRestrLow(double v) {
    task_.realization().setZeroRadiusRestrLow(v);
}
double DesignSession::getZeroRadiusRestrHigh() {
    return task_.realization().getZeroRadiusRestrHigh();
}
void DesignSession::setZeroRadiusRestrHigh(double v) {
    task_.realization().setZeroRadiusRestrHigh(v);
}
double DesignSession::getPoleRadiusRestr() {
    return task_.realization().getPoleRadiusRestr();
}
void DesignSession::setPoleRadiusRestr(double v) {
    task_.realization().setPoleRadiusRestr(v);
}
int DesignSession::getNZLinPair() {
    return task_.realization().getNZLinPair();
}
void DesignSession::setNZlinPair(int n) {
    task_.realization().setNZlinPair(n);
}
int DesignSession::getNZPAllpPair() {
    return task_.realization().getNZPAllpPair();
}
void DesignSession::setNZPAllpPair(int n) {
    task_.realization().setNZPAllpPair(n);
}
int DesignSession::getWordLength() const {
    return task_.realization().getWordLength();
}
void DesignSession::setWordLength(int w) {
    task_.realization().setWordLength(w);
}
int DesignSession::getStructId() const {
    return task_.realization().getStructId();
}
void DesignSession::setStructId(int s) {
    task_.realization().setStructId(s);
}
long DesignSession::getDimension() {
    return task_.realization().getDimension();
}
std::int64_t DesignSession::getQuant() const {
    return task_.realization().getQuant();
}
int DesignSession::getNP() {
    return task_.optimization().getNP();
}
void DesignSession::setNP(int n) {
    task_.optimization().setNP(n);
}
int DesignSession::getNP2() {
    return task_.optimization().getNP2();
}
void DesignSession::setNP2(int n) {
    task_.optimization().setNP2(n);
}
std::string DesignSession::getSamplingGranularity() const {
    return task_.optimization().getSamplingGranularity();
}
void DesignSession::setSamplingGranularity(const std::string& s) {
    task_.optimization().setSamplingGranularity(s);
}
std::string DesignSession::getSamplingMode() const {
    return task_.optimization().getSamplingMode();
}
double DesignSession::getRange() const {
    return task_.optimization().getRange();
}
bool DesignSession::getFreezingStateOfGdConstraints() const {
    return task_.groupDelay().getFreezingStateOfGdConstraints();
}
void DesignSession::setFreezingStateOfGdConstraints(bool on) {
    task_.groupDelay().setFreezingStateOfGdConstraints(on);
}
int DesignSession::getRefreshRate() {
    return activity_.getRefreshRate();
}
void DesignSession::setRefreshRate(int n) {
    activity_.setRefreshRate(n);
    refreshRateChanged();
}
void DesignSession::forgetRun() {
    {
        std::lock_guard lock(stateMutex_);
        status_ = kNoRunStatus;
        betweenSamples_.clear();
        betweenSamplesExcess_ = false;
        runNote_.clear();
        runStopped_ = false;
        runStarted_ = false;
    }
    optimizer_->forgetRun(kNoRunStatus);
}
void DesignSession::refreshRateChanged() {
    optimizer_->setRefreshRate(getRefreshRate());
}
std::string DesignSession::getResultsFileName() const {
    return startup_.getResultsFileName();
}
void DesignSession::setResultsFileName(const std::string& name) {
    startup_.setResultsFileName(name);
}

std::string DesignSession::getStatus() const {
    std::lock_guard lock(stateMutex_);
    return status_;
}
void DesignSession::setStatus(const std::string& status) {
    {
        std::lock_guard lock(stateMutex_);
        status_ = status;
    }
    if (optimizer_) {
        optimizer_->publishStatus(status);
    }
}
std::string DesignSession::get_state() const {
    std::lock_guard lock(stateMutex_);
    return state_;
}
void DesignSession::set_state(const std::string& state) {
    std::lock_guard lock(stateMutex_);
    state_ = state;
}

template <class T>
double DesignSession::lookup(const T& table, int i, int element, const char* what) {
    const auto* row = table.getRecord(i);
    if (row == nullptr) {
        console_.out(std::string("No entry for ") + what);
        return -1.0;
    }
    const std::string& textValue = row->getElement(element);
    auto v = text::parseDouble(textValue);
    // "NaN" and "Infinity" read back as numbers for the configuration file, but
    // a frequency, limit or coefficient must be a finite decimal number.
    if (!v || !std::isfinite(*v)) {
        console_.out(std::string("Invalid number for ") + what + " in row " + std::to_string(i) +
                     ": \"" + textValue + "\"");
        return -1.0;
    }
    return *v;
}

double DesignSession::getMagDbOmega(const MagConstraintsDataBase& t, int i) {
    return lookup(t, i, 0, "Omega");
}
double DesignSession::getMagDbLimit(const MagConstraintsDataBase& t, int i) {
    return lookup(t, i, 1, "Limit");
}
double DesignSession::getGdDbOmega(const GdConstraintsDataBase& t, int i) {
    return lookup(t, i, 0, "Omega");
}
double DesignSession::getGdDbLimit(const GdConstraintsDataBase& t, int i) {
    return lookup(t, i, 1, "Limit");
}
double DesignSession::getFfDbCoeffi(const FixedFilterDataBase& t, int i) {
    return lookup(t, i, 0, "Coefficient");
}

StartValues DesignSession::startValues() {
    StartValues v;
    auto rows = [](const auto& table, std::vector<StartValues::Row>& to) {
        for (int i = 0; i < table.getSize(); ++i) {
            to.push_back({table.getRecord(i)->getOmega(), table.getRecord(i)->getLimit()});
        }
    };
    rows(task_.magUpper(), v.constraints[0]);
    rows(task_.magLower(), v.constraints[1]);
    rows(task_.gdUpper(), v.constraints[2]);
    rows(task_.gdLower(), v.constraints[3]);
    auto coefficients = [](const FixedFilterDataBase& table, std::vector<std::string>& to) {
        for (int i = 0; i < table.getSize(); ++i) {
            to.push_back(table.getRecord(i)->getElement(0));
        }
    };
    coefficients(task_.ffNumerator(), v.prefilter[0]);
    coefficients(task_.ffDenominator(), v.prefilter[1]);
    v.method = getDesignMethod();
    return v;
}

std::string DesignSession::firstUnreadableEntry() {
    return dovra::firstUnreadableEntry(startValues());
}

int DesignSession::getGeneration() const {
    return optimizer_->snapshot().generation;
}
int DesignSession::getEvaluation() const {
    return optimizer_->snapshot().evaluation;
}
double DesignSession::getMinimum() const {
    return optimizer_->snapshot().minimum;
}
ParamVector DesignSession::getBest() const {
    return optimizer_->snapshot().best;
}
double DesignSession::getOffset() const {
    return optimizer_->snapshot().offset;
}
int DesignSession::getPhase() const {
    return optimizer_->snapshot().phase;
}
void DesignSession::initProblem() {
    const int problem = getCurrentProblem();
    RunInput in;
    in.settings = searchSettings();
    optimizer_->initProblem(problem, in);
}

std::string DesignSession::refusalBeforePreparation() {
    if (std::string why = startRefusal(startValues()); !why.empty()) {
        return why;
    }
    if (std::string why = resultsFileRefusal(getResultsFileName()); !why.empty()) {
        return why;
    }
    if (optimizer_->currentProblem() == nullptr) {
        return status::kNoProblem;
    }
    return {};
}

std::string DesignSession::taskRefusal() {
    if (std::string why = refusalBeforePreparation(); !why.empty()) {
        return why;
    }
    if (getDesignMethod() != DesignMethod::ZPlane) {
        return {};
    }
    // The degrees through their getters, which say and replace a value out of
    // range, as Start reads them.
    StartValues v = startValues();
    v.numDeg = getNumDeg();
    v.denomDeg = getDenomDeg();
    v.linPairs = getNZLinPair();
    v.allpassPairs = getNZPAllpPair();
    return realizationRefusal(v);
}

RunInput DesignSession::runInput() {
    RunInput in;
    // A constraint table is read when it can limit something and fits; a
    // prefilter table when it fits (as the problem loads them).
    auto constraints = [this](auto& table, ConstraintValues& v, auto omega, auto limit) {
        v.rows = table.getSize();
        if (v.rows < 2 || v.rows > kTableCapacity) {
            return;
        }
        for (int i = 0; i < v.rows; ++i) {
            v.omega.push_back((this->*omega)(table, i));
            v.limit.push_back((this->*limit)(table, i));
        }
    };
    constraints(task_.magUpper(), in.magUpper, &DesignSession::getMagDbOmega,
                &DesignSession::getMagDbLimit);
    constraints(task_.magLower(), in.magLower, &DesignSession::getMagDbOmega,
                &DesignSession::getMagDbLimit);
    constraints(task_.gdUpper(), in.gdUpper, &DesignSession::getGdDbOmega,
                &DesignSession::getGdDbLimit);
    constraints(task_.gdLower(), in.gdLower, &DesignSession::getGdDbOmega,
                &DesignSession::getGdDbLimit);
    in.ffNumerator = coefficientValues(task_.ffNumerator(), 0, kTableCapacity);
    in.ffDenominator = coefficientValues(task_.ffDenominator(), 0, kTableCapacity);
    in.realization = realizationValues();
    in.settings = searchSettings();
    in.parameters = searchParameters();
    return in;
}

SearchParameters DesignSession::searchParameters() {
    SearchParameters r;
    r.problemIndex = getCurrentProblem();
    r.NP = getNP();
    r.NP2 = getNP2();
    r.range = getRange();
    r.refreshRate = getRefreshRate();
    return r;
}

RealizationValues DesignSession::realizationValues() {
    RealizationValues r;
    r.numDeg = getNumDeg();
    r.denomDeg = getDenomDeg();
    r.linPairs = getNZLinPair();
    r.allpassPairs = getNZPAllpPair();
    r.dimension = getDimension();
    return r;
}

SearchSettings DesignSession::searchSettings() {
    SearchSettings s;
    s.samplingMode = getSamplingMode();
    s.samplingGranularity = getSamplingGranularity();
    s.method = getDesignMethod();
    s.freezeGd = getFreezingStateOfGdConstraints();
    s.poleRadiusRestr = getPoleRadiusRestr();
    s.zeroRadiusLow = getZeroRadiusRestrLow();
    s.zeroRadiusHigh = getZeroRadiusRestrHigh();
    s.quant = getQuant();
    s.structure = getStructId();
    s.refine = getMeetBetweenSamples();
    s.portfolio = task_.optimization().getPortfolio();
    return s;
}

RealizationValues DesignSession::setDegrees(int numDeg, int denomDeg, int linPairs,
                                            int allpassPairs) {
    setNumDeg(numDeg);
    setDenomDeg(denomDeg);
    setNZlinPair(linPairs);
    setNZPAllpPair(allpassPairs);
    // The degrees of a designed filter are the filter's: the ranges of the
    // realization page (a denominator degree up to 100) are for what a user
    // types, and would drop the poles of a classical design above order 100.
    RealizationValues r{numDeg, denomDeg, linPairs, allpassPairs, 0};
    r.dimension = 1L + numDeg + denomDeg + linPairs + allpassPairs;
    return r;
}

ReportInput DesignSession::reportInput() {
    ReportInput in;
    in.fileName = getResultsFileName();
    in.snapshot = snapshot();
    // The report lists a prefilter table of two or more rows within its own
    // capacity.
    in.ffNumerator = coefficientValues(task_.ffNumerator(), 2, PrintOut::prefilter_capacity);
    in.ffDenominator = coefficientValues(task_.ffDenominator(), 2, PrintOut::prefilter_capacity);
    return in;
}

ExportInput DesignSession::exportInput() const {
    ExportInput in{snapshot(), runInput_};
    // The export says that a stopped search did not end.
    if (in.snapshot.stopped) {
        in.snapshot.status = kStoppedRun;
    }
    return in;
}

std::string DesignSession::exportProblem() const {
    {
        std::lock_guard lock(stateMutex_);
        if (!runStarted_) {
            return kNoRunToExport;
        }
        if (state_ == wizard::kRunning || state_ == wizard::kPaused) {
            return kRunNotEnded;
        }
    }
    return exportableProblem(snapshot());
}

bool DesignSession::writeExport(ExportFormat format, const std::string& path) {
    std::string error;
    std::string note;
    if (std::string why = exportProblem(); !why.empty()) {
        console_.err(kExportNotWritten + path + " (" + why + ")");
        return false;
    }
    if (!dovra::writeExport(format, exportInput(), path, error, &note)) {
        console_.err(kExportNotWritten + error);
        return false;
    }
    if (!note.empty()) {
        console_.err(note, LineKind::Warning);
    } else {
        console_.notice(kExportWritten + path, LineKind::Info);
    }
    return true;
}

CoefficientValues DesignSession::coefficientValues(const FixedFilterDataBase& table, int fewest,
                                                   int most) {
    CoefficientValues v;
    v.rows = table.getSize();
    if (v.rows < fewest || v.rows > most) {
        return v;
    }
    for (int i = 0; i < v.rows; ++i) {
        v.coefficients.push_back(getFfDbCoeffi(table, i));
    }
    return v;
}

bool DesignSession::start_Design() {
    {
        std::lock_guard lock(stateMutex_);
        betweenSamples_.clear();
        betweenSamplesExcess_ = false;
        runNote_.clear();
        runStopped_ = false;
        runStarted_ = false;
    }
    if (std::string why = refusalBeforePreparation(); !why.empty()) {
        return refuseRun(why);
    }
    for (const std::string& note : schemeNotes(startValues())) {
        console_.out(note, LineKind::Warning);
    }
    runInput_ = runInput();
    const bool started = optimizer_->optStart(runInput_);
    std::lock_guard lock(stateMutex_);
    runStarted_ = started;
    return started;
}
bool DesignSession::startRun(const std::function<void()>& enterRunning) {
    setStatus(status::kInitializing);
    const bool search = getDesignMethod() == DesignMethod::ZPlane;
    if (!search) {
        initLR();
    }
    if (enterRunning) {
        enterRunning();
    } else {
        set_state(wizard::kRunning);
    }
    if (!search) {
        initDesignSuccessFlag();
    }
    return start_Design();
}
void DesignSession::pause_DE() {
    optimizer_->makeNotReady();
}
void DesignSession::setSeed(std::int64_t seed) {
    optimizer_->random().setMySeed(seed);
}
void DesignSession::setPassSleep(std::chrono::milliseconds sleep) {
    optimizer_->setPassSleep(sleep);
}
void DesignSession::waitForIdle() {
    optimizer_->waitForIdle();
}
void DesignSession::resume_DE() {
    setParameters();
    optimizer_->optResume();
}
void DesignSession::stop_DE() {
    {
        std::lock_guard lock(stateMutex_);
        runStopped_ = true;
    }
    optimizer_->makeNotReady();
    // The pass under way finishes first: the run is judged and written as
    // the figures then stand, and they do not move afterwards.
    waitForIdle();
    judgeRun();
    writeReport();
}
void DesignSession::idle() {
    optimizer_->optIdle();
}
void DesignSession::initLR() {
    optimizer_->initLR();
}
void DesignSession::initDesignSuccessFlag() {
    optimizer_->initDesignSuccessFlag();
}
void DesignSession::start_FilterDesign() {
    optimizer_->start_FilterDesign();
}
void DesignSession::setParameters() {
    const SearchParameters r = searchParameters();
    optimizer_->setParameters(r.problemIndex, r.NP, r.NP2, r.range, r.refreshRate);
}
void DesignSession::start() {
    setParameters();
    optimizer_->start();
}
void DesignSession::stop() {
    optimizer_->stop();
}
ProgressSnapshot DesignSession::snapshot() const {
    ProgressSnapshot snap = optimizer_->snapshot();
    std::lock_guard lock(stateMutex_);
    snap.note = runNote_;
    // A search stopped on its way keeps the status of its way.
    snap.stopped = runStopped_ && (snap.status == status::kInitializing ||
                                   snap.status.starts_with(status::kRefining));
    return snap;
}

std::string DesignSession::betweenSamplesLine() const {
    std::lock_guard lock(stateMutex_);
    return betweenSamples_;
}

bool DesignSession::betweenSamplesExcess() const {
    std::lock_guard lock(stateMutex_);
    return betweenSamplesExcess_;
}

void DesignSession::judgeRun() {
    {
        std::lock_guard lock(stateMutex_);
        betweenSamples_.clear();
        betweenSamplesExcess_ = false;
        runNote_.clear();
    }
    // The best filter of the run's end, as the plots draw it; nothing to judge
    // when the run designed nothing (refused, or stopped before its first
    // population or design).
    const ProgressSnapshot snap = optimizer_->snapshot();
    if (!snap.filter || snap.refused) {
        return;
    }
    const LimitTables tables = limitTablesOf(runInput_);
    std::string line;
    bool excess = false;
    bool met = false;
    if (snap.filter->method == DesignMethod::ZPlane) {
        if (snap.evaluation == 0) {
            return;
        }
        const DenseCheckResult r = checkBetweenSamples(tables, snap.offset, snap.bestFilter());
        line = denseCheckLine(r);
        excess = r.magnitude.found || r.groupDelay.found;
        met = !excess;
    } else {
        if (snap.aDegree == 0 && snap.bDegree == 0) {
            return;
        }
        std::ostringstream silent;
        Console quiet(silent, silent);
        Data record;
        if (ToleranceScheme(runInput_, quiet).parse(record) == 0) {
            return;
        }
        const BandVerdict v = judgeBands(tables, record, snap.bestFilter());
        line = bandVerdictLine(v);
        met = v.bands.met;
        excess = !met || !v.transitions.empty() || v.otherRows.found || v.groupDelay.found;
    }
    {
        std::lock_guard lock(stateMutex_);
        betweenSamples_ = line;
        betweenSamplesExcess_ = excess;
        runNote_ = line;
    }
    console_.out(line, excess ? LineKind::Warning : LineKind::Info);
    // "Design successful" stands only for a filter that meets, between the
    // samples too, what its method promises: the whole scheme for the search,
    // the bands for the classical and FIR designs.
    if (getStatus() == status::kSuccess && !met) {
        setStatus(snap.filter->method == DesignMethod::ZPlane ? status::kSampledOnly
                                                              : status::kBandsNotMet);
    }
}

void DesignSession::writeReport() {
    bool written = false;
    {
        std::lock_guard lock(reportMutex_);
        written = printOut_->printResult(reportInput());
    }
    if (written) {
        // The views' message line ends with the run's verdict, not only the
        // file's name (the console keeps the check line as it was printed).
        std::string line;
        bool excess = false;
        {
            std::lock_guard lock(stateMutex_);
            line = betweenSamples_;
            excess = betweenSamplesExcess_;
        }
        if (!line.empty()) {
            console_.notice(getStatus() + "; " + line +
                                "; results file written: " + getResultsFileName(),
                            excess ? LineKind::Warning : LineKind::Info);
        }
        return;
    }
    // The status says so, and the monitor shows it: the results are lost.
    setStatus(getStatus() + kResultsNotWritten);
    updateObservers();
}

void DesignSession::addObserver(SessionObserver* o) {
    std::lock_guard lock(observersMutex_);
    observers_.push_back(o);
}
void DesignSession::removeObserver(SessionObserver* o) {
    std::lock_guard lock(observersMutex_);
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

void DesignSession::updateObservers() {
    std::vector<SessionObserver*> copy;
    {
        std::lock_guard lock(observersMutex_);
        copy = observers_;
    }
    for (auto* o : copy) {
        o->updateMonitor();
    }
}

void DesignSession::done() {
    std::vector<SessionObserver*> copy;
    {
        std::lock_guard lock(observersMutex_);
        copy = observers_;
    }
    judgeRun();
    for (auto* o : copy) {
        o->done();
    }
    // A run refused before it designed anything writes no results file: an
    // existing one (a good run's) stays as it was.
    if (optimizer_->snapshot().refused) {
        console_.out(getStatus() + kNoResultsWritten, LineKind::Error);
        return;
    }
    writeReport();
}

} // namespace dovra
