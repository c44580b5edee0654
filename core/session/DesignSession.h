#pragma once
// The hub of a design task. It owns the six tables, the settings models, the
// optimizer and the report writer, and answers the window and the batch runner
// under the operation names they use. At Start it checks the tables and builds
// one RunInput (tables, realization, settings) that it hands down; the
// optimizer knows it only as a RunHost (status, progress, end of the run),
// and the report writer gets what it prints as a ReportInput. The window and
// the batch runner are its views, told of progress through SessionObserver.

#include <chrono>
#include <cstdint>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "check/StartCheck.h"
#include "data/Tables.h"
#include "design/FilterDesign.h"
#include "problem/RunInput.h"
#include "problem/Types.h"
#include "report/Export.h"
#include "report/PrintOut.h"
#include "run/ProgressSnapshot.h"
#include "run/RunHost.h"
#include "session/DesignTask.h"
#include "session/WizardState.h"
#include "settings/RealizationSettings.h"
#include "settings/RunSettings.h"
#include "text/Console.h"

namespace dovra {

class T_DEOptimizer;

/// What a view of the session is told. Calls may come from the design thread.
class SessionObserver {
  public:
    virtual ~SessionObserver() = default;
    /// New progress to show (counters, best cost, status).
    virtual void updateMonitor() {}
    /// The run has ended; the results file is written right after this call.
    virtual void done() {}
};

/// The status before any run.
inline constexpr const char* kNoRunStatus = "O.k.";
/// Added to the status when the results file could not be written.
inline constexpr const char* kResultsNotWritten = " (results file not written)";
/// Added to the status of a refused run, which writes no results file.
inline constexpr const char* kNoResultsWritten =
    "; nothing designed, no results file written (an existing one is kept)";
/// The status an export gives a run stopped while it was still searching
/// (the monitor's status then still says "Initializing" or "Refining: ...").
inline constexpr const char* kStoppedRun = "Stopped before the design ended";
/// Why there is no export of the last run, before its filter is looked at.
inline constexpr const char* kNoRunToExport =
    "no run to export: none was started, or the last Start was refused";
inline constexpr const char* kRunNotEnded = "the run has not ended";
/// The lines of an export: written (told to the views), not written (an error).
inline constexpr const char* kExportWritten = "Export written: ";
inline constexpr const char* kExportNotWritten = "Export not written: ";

class DesignSession : public RunHost {
  public:
    explicit DesignSession(std::ostream& out = std::cout, std::ostream& err = std::cerr);
    ~DesignSession();
    DesignSession(const DesignSession&) = delete;
    DesignSession& operator=(const DesignSession&) = delete;

    Console& console() override { return console_; }

    /// The design task: the six tables and the settings a file holds.
    DesignTask& task() { return task_; }

    // --- the six tables -------------------------------------------------------
    MagConstraintsDataBase& magUpper() { return task_.magUpper(); }
    MagConstraintsDataBase& magLower() { return task_.magLower(); }
    GdConstraintsDataBase& gdUpper() { return task_.gdUpper(); }
    GdConstraintsDataBase& gdLower() { return task_.gdLower(); }
    FixedFilterDataBase& ffNumerator() { return task_.ffNumerator(); }
    FixedFilterDataBase& ffDenominator() { return task_.ffDenominator(); }

    // --- settings models of the pages -------------------------------------------
    RealizationSettings& realization() { return task_.realization(); }
    OptimizationSettings& optimization() { return task_.optimization(); }
    GroupDelaySettings& groupDelay() { return task_.groupDelay(); }
    ActivitySettings& activity() { return activity_; }
    StartupSettings& startup() { return startup_; }

    T_DEOptimizer& optimizer() { return *optimizer_; }
    const T_DEOptimizer& optimizer() const { return *optimizer_; }
    PrintOut& printOut() { return *printOut_; }

    // --- forwarded getters and setters ----------------------------------------------
    std::vector<std::string> getProblemIdentifiers() const;
    int getCurrentProblem() const;
    std::string getDesignIdentifier() const;
    int getDesignIdentifierIdx() const;
    DesignMethod getDesignMethod() const { return designMethodOf(getDesignIdentifierIdx()); }
    void setDesignIdentifierIdx(int i);
    int getNumDeg();
    void setNumDeg(int n);
    int getDenomDeg();
    void setDenomDeg(int n);
    double getZeroRadiusRestrLow();
    void setZeroRadiusRestrLow(double v);
    double getZeroRadiusRestrHigh();
    void setZeroRadiusRestrHigh(double v);
    double getPoleRadiusRestr();
    void setPoleRadiusRestr(double v);
    int getNZLinPair();
    void setNZlinPair(int n);
    int getNZPAllpPair();
    void setNZPAllpPair(int n);
    int getWordLength() const;
    void setWordLength(int w);
    int getStructId() const;
    void setStructId(int s);
    long getDimension();
    std::int64_t getQuant() const;
    int getNP();
    void setNP(int n);
    int getNP2();
    void setNP2(int n);
    std::string getSamplingGranularity() const;
    void setSamplingGranularity(const std::string& s);
    std::string getSamplingMode() const;
    bool getMeetBetweenSamples() const { return task_.optimization().getMeetBetweenSamples(); }
    void setMeetBetweenSamples(bool on) { task_.optimization().setMeetBetweenSamples(on); }
    int getPortfolio() { return task_.optimization().getPortfolio(); }
    void setPortfolio(int searches) { task_.optimization().setPortfolio(searches); }
    double getRange() const;
    bool getFreezingStateOfGdConstraints() const;
    void setFreezingStateOfGdConstraints(bool on);
    int getRefreshRate();
    void setRefreshRate(int n);
    /// The task as it is now is the one in a file (after a load or a save;
    /// a new session's default task counts as saved).
    void markSaved();
    /// The task would write another text than when it was last marked saved.
    bool hasUnsavedChanges();
    /// After a new task was loaded: the last run's figures, filter, status and
    /// check are forgotten, so that the monitor and the plots do not show a
    /// filter of another task.
    void forgetRun();
    /// Hands the refresh rate to a run in progress (its next slice takes it);
    /// to be called after the activity settings' rate was edited directly.
    void refreshRateChanged();
    std::string getResultsFileName() const;
    void setResultsFileName(const std::string& name);
    std::string getStatus() const override;
    void setStatus(const std::string& status) override;
    bool DebugOn() const { return false; }

    // --- wizard state (the text the pages and the run control read) --------------------
    std::string get_state() const;
    void set_state(const std::string& state);

    // --- table lookups --------------------------------------------------------------------
    // A lookup is answered when the row exists; otherwise "No entry for Omega",
    // "No entry for Limit" or "No entry for Coefficient" is printed and -1.0
    // returned. A row whose text is not a number prints a line naming the row
    // and also gives -1.0; tablesReadable() finds such rows before a run.
    int getMagDbSize(const MagConstraintsDataBase& t) const { return t.getSize(); }
    int getGdDbSize(const GdConstraintsDataBase& t) const { return t.getSize(); }
    int getFfDbSize(const FixedFilterDataBase& t) const { return t.getSize(); }
    double getMagDbOmega(const MagConstraintsDataBase& t, int i);
    double getMagDbLimit(const MagConstraintsDataBase& t, int i);
    double getGdDbOmega(const GdConstraintsDataBase& t, int i);
    double getGdDbLimit(const GdConstraintsDataBase& t, int i);
    double getFfDbCoeffi(const FixedFilterDataBase& t, int i);

    /// A description of the first table entry that is not a number (Omega and
    /// Limit of the four constraint tables, Coeff of the two prefilter tables);
    /// an empty text when every entry reads as a number.
    std::string firstUnreadableEntry();
    /// The task as the Start check reads it (tables as texts, design method).
    StartValues startValues();

    // --- what a run and a report are handed -------------------------------------------
    /// The tables, the realization, the settings and the run figures, read in
    /// the order a run's preparation takes them, each through its lookup or
    /// getter (so a replaced value is said and written back as ever).
    RunInput runInput();
    /// The settings part of the run input alone (no table is read).
    SearchSettings searchSettings();
    /// The run figures of the run input alone: the problem slot, the two
    /// population sizes, the range and the refresh rate.
    SearchParameters searchParameters();
    /// Why Start cannot run the task as it stands, checked before anything is
    /// prepared (an entry that is not a number, a table over its capacity, a
    /// scheme that cannot be run, no problem); empty when it can.
    std::string refusalBeforePreparation();
    /// The same and, for the Z-plane design, whether its realization fits the
    /// capacities: every check Start makes, without starting (dovra-batch's
    /// dry run).
    std::string taskRefusal();
    /// What the results file is written from: its name, the snapshot of the
    /// moment and the prefilter tables.
    ReportInput reportInput();
    /// What an export of the last run is made from: the snapshot of the
    /// moment (with the check line once the run has ended) and the input the
    /// run was started with, so that tables changed since then do not mix
    /// into it. Read on the thread that starts runs.
    ExportInput exportInput() const;
    /// Why the last run has no export: no run was started (or the last
    /// Start was refused, which leaves the figures of the run before it), the
    /// run has not ended, or it designed no filter. Empty when it has.
    std::string exportProblem() const;
    /// Writes an export of the last run to path, as the results file is
    /// written. Returns false, after an error line naming the file and why,
    /// when it was not written; a written file is told to the views.
    bool writeExport(ExportFormat format, const std::string& path);
    // --- run figures, forwarded to the optimizer (the responses of the best -----------------
    // --- filter come from snapshot().bestFilter()) -------------------------------------------
    int getGeneration() const;
    int getEvaluation() const;
    double getMinimum() const;
    ParamVector getBest() const;
    double getOffset() const;
    int getPhase() const;
    void initProblem();

    // --- run operations, forwarded to the optimizer --------------------------------------
    // Start, Pause, Resume and Stop of the activity page; start and stop of the
    // design thread when the wizard enters and leaves "Ready". The caller of
    // start_Design sets the status "Initializing" first.

    /// Prepares a run and wakes the design thread. False when the task cannot be
    /// run: the status text then says why, and nothing is searched.
    bool start_Design();
    /// The Start of the activity page and of dovra-batch: status
    /// "Initializing", the classical state forgotten (initLR, degrees 0 by
    /// initDesignSuccessFlag) for a method other than the search, the wizard
    /// put into "Running" (by enterRunning when given, else set_state), then
    /// start_Design. Returns what start_Design returns.
    bool startRun(const std::function<void()>& enterRunning = {});
    void pause_DE();
    /// Seeds the search's random source (0: from the clock).
    void setSeed(std::int64_t seed);
    /// The design thread's pause between two passes (none by default).
    void setPassSleep(std::chrono::milliseconds sleep);
    /// Waits until the run rests: the current pass finished and the ready
    /// flag off (at once without a design thread).
    void waitForIdle();
    void resume_DE();
    /// Ready flag off; once the design thread's pass under way has finished,
    /// the results file is written from the figures as they then stand.
    void stop_DE();
    void idle();
    void initLR();
    void initDesignSuccessFlag();
    void start_FilterDesign();
    /// Copies the current problem index, NP, NP2, range and refresh rate into
    /// the optimizer.
    void setParameters();
    /// Copies the settings (setParameters) and creates the design thread when
    /// there is none.
    void start();
    /// Ends the design thread and joins it.
    void stop();
    /// The run figures and the status, taken whole.
    ProgressSnapshot snapshot() const;
    /// After a run that designed a filter: the line of the check between the
    /// samples (empty when nothing was designed), and whether it found an
    /// excess anywhere in the scheme.
    std::string betweenSamplesLine() const;
    bool betweenSamplesExcess() const;

    // --- views -------------------------------------------------------------------------------
    void addObserver(SessionObserver* o);
    void removeObserver(SessionObserver* o);
    /// Tells the views to show new progress.
    void updateObservers() override;
    /// End of a run: the views are told, then the results file is written.
    void done() override;
    /// The hub's degrees set, and read back through their checks.
    RealizationValues setDegrees(int numDeg, int denomDeg, int linPairs, int allpassPairs) override;

  private:
    template <class T> double lookup(const T& table, int i, int element, const char* what);
    /// The run's design checked between the samples against what its method
    /// promises; the line goes to the console and the monitor, and a "Design
    /// successful" that does not hold there is replaced.
    void judgeRun();
    /// Writes the results file; a failure is added to the status.
    void writeReport();
    /// The realization degrees as the getters give them.
    RealizationValues realizationValues();
    /// A prefilter table's row count and, for fewest to most rows, its
    /// coefficients through their lookup.
    CoefficientValues coefficientValues(const FixedFilterDataBase& table, int fewest, int most);

    Console console_;
    /// The tables and the settings a configuration file holds.
    DesignTask task_;

    ActivitySettings activity_;
    StartupSettings startup_;

    mutable std::mutex stateMutex_;
    std::string status_ = kNoRunStatus;
    std::string savedText_; // the task's text when it was last marked saved
    std::string state_ = "Idle";
    std::string betweenSamples_;
    bool betweenSamplesExcess_ = false;
    std::string runNote_;     // shown after the status by the monitor
    bool runStopped_ = false; // the last run was ended by Stop (or a batch limit)
    bool runStarted_ = false; // the last Start began a run (it was not refused)
    /// The input of the last Start: what its design is judged against.
    RunInput runInput_;

    // A Stop on the window thread and the end of a run on the design thread
    // may both write the report: each takes its input and writes it under
    // this lock, so the later one writes the later figures.
    std::mutex reportMutex_;

    mutable std::mutex observersMutex_;
    std::vector<SessionObserver*> observers_;

    std::unique_ptr<T_DEOptimizer> optimizer_;
    std::unique_ptr<PrintOut> printOut_;
};

} // namespace dovra
