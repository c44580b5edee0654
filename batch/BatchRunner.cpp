#include "BatchRunner.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <unistd.h>

#include "problem/DEProblem.h"
#include "report/PrintOut.h"
#include "run/RunStatus.h"
#include "run/T_DEOptimizer.h"
#include "session/ConfigFile.h"
#include "session/DesignSession.h"
#include "settings/RealizationSettings.h"
#include "text/AtomicFile.h"
#include "text/NumberText.h"

namespace dovra::batch {
namespace {

const std::string kLimitGenerations = "Stopped: generation limit reached";
const std::string kLimitTime = "Stopped: time limit reached";

// Watches the run: prints progress, stops the search at the generation limit
// (on the design thread, at the end of a slice, so that the same seed gives
// the same run), and tells the waiting main thread that something happened.
class BatchObserver : public SessionObserver {
  public:
    BatchObserver(DesignSession& session, const BatchOptions& options, bool zplane)
        : session_(session), options_(options), zplane_(zplane) {}

    void updateMonitor() override {
        ProgressSnapshot snap = session_.snapshot();
        if (snap.generation != lastGeneration_ && snap.evaluation > 0) {
            lastGeneration_ = snap.generation;
            if (!options_.quiet) {
                session_.console().err("generation " + std::to_string(snap.generation) +
                                       ", evaluations " + std::to_string(snap.evaluation) +
                                       ", best cost " + text::formatDouble(snap.minimum) +
                                       ", phase " + std::to_string(snap.phase) + ", status " +
                                       snap.status);
            }
            if (zplane_ && snap.generation >= options_.maxGenerations) {
                session_.pause_DE();
                std::lock_guard lock(mutex_);
                generationLimit_ = true;
            }
        }
        // A step's progress status shows once: the FIR designs' "Trying
        // filterorder ...", the search's "Refining: ...".
        if ((snap.status.starts_with("Trying ") || snap.status.starts_with(status::kRefining)) &&
            snap.status != lastStatus_) {
            lastStatus_ = snap.status;
            if (!options_.quiet) {
                session_.console().err(snap.status);
            }
        }
        cv_.notify_all();
    }

    void done() override {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        cv_.notify_all();
    }

    /// Waits until the run is done, the generation limit stopped it, or the
    /// deadline passed. Returns true when the deadline passed first.
    bool wait(std::chrono::steady_clock::time_point deadline, bool hasDeadline) {
        std::unique_lock lock(mutex_);
        while (!done_ && !generationLimit_) {
            if (hasDeadline) {
                if (cv_.wait_until(lock, deadline) == std::cv_status::timeout && !done_ &&
                    !generationLimit_) {
                    return true;
                }
            } else {
                cv_.wait_for(lock, std::chrono::milliseconds(200));
            }
        }
        return false;
    }

    bool isDone() {
        std::lock_guard lock(mutex_);
        return done_;
    }

  private:
    DesignSession& session_;
    const BatchOptions& options_;
    bool zplane_;
    int lastGeneration_ = -1;
    std::string lastStatus_; // read and written on the design thread only
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    bool generationLimit_ = false;
};

std::string summaryOf(DesignSession& s) {
    std::ostringstream o;
    int idx = s.getDesignIdentifierIdx();
    o << "Design method      : " << s.getDesignIdentifier() << " (" << idx << ")\n";
    if (s.getDesignMethod() == DesignMethod::ZPlane) {
        o << "Single zeros/poles : " << s.getNumDeg() << " / " << s.getDenomDeg() << "\n";
        o << "Lin. phase pairs   : " << s.getNZLinPair() << "\n";
        o << "Allpass pairs      : " << s.getNZPAllpPair() << "\n";
        o << "Zero radius        : " << text::formatDouble(s.getZeroRadiusRestrLow()) << " < |z| < "
          << text::formatDouble(s.getZeroRadiusRestrHigh()) << "\n";
        o << "Pole radius        : |p| < " << text::formatDouble(s.getPoleRadiusRestr()) << "\n";
        o << "Population         : " << s.getNP() << ", refinement " << s.getNP2() << "\n";
        o << "Granularity        : " << s.getSamplingGranularity() << "\n";
    }
    int w = s.getWordLength();
    o << "Word length        : " << (w == 0 ? std::string("inf") : std::to_string(w)) << "\n";
    o << "Structure          : "
      << RealizationSettings::structureItems()[static_cast<std::size_t>(s.getStructId() == 1)]
      << "\n";
    o << "Magnitude rows     : upper " << s.magUpper().getSize() << ", lower "
      << s.magLower().getSize() << "\n";
    o << "Group delay rows   : upper " << s.gdUpper().getSize() << ", lower "
      << s.gdLower().getSize() << (s.getFreezingStateOfGdConstraints() ? " (frozen)" : "") << "\n";
    o << "Prefilter entries  : numerator " << s.ffNumerator().getSize() << ", denominator "
      << s.ffDenominator().getSize() << "\n";
    o << "Results file       : " << s.getResultsFileName();
    return o.str();
}

/// Reads every setting through the getter that checks it, so that a value
/// out of range is replaced (and said so) before anything runs.
void validateSettings(DesignSession& s) {
    s.getNumDeg();
    s.getDenomDeg();
    s.getNZLinPair();
    s.getNZPAllpPair();
    s.getZeroRadiusRestrLow();
    s.getZeroRadiusRestrHigh();
    s.getPoleRadiusRestr();
    s.getNP();
    s.getNP2();
}

} // namespace

std::string plotFolderProblem(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        return ec.message();
    }
    if (!fs::is_directory(folder, ec)) {
        return "not a folder";
    }
    // Writing is what the images need, so a file is made and removed: the
    // permission bits alone do not tell (a read-only mount, another owner).
    std::string probe = (fs::path(folder) / ".dovra-plots-XXXXXX").string();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        return std::strerror(errno);
    }
    ::close(fd);
    fs::remove(probe, ec);
    return {};
}

std::string exportsProblem(const BatchOptions& options, const std::string& results) {
    namespace fs = std::filesystem;
    // Two names of one file: the same path once links and "." are resolved.
    auto same = [](const std::string& a, const std::string& b) {
        std::error_code ec1, ec2;
        const fs::path pa = fs::weakly_canonical(a, ec1);
        const fs::path pb = fs::weakly_canonical(b, ec2);
        return !ec1 && !ec2 ? pa == pb : a == b;
    };
    for (std::size_t i = 0; i < options.exports.size(); ++i) {
        const ExportRequest& e = options.exports[i];
        const std::string what = "the export " + e.spec;
        if (std::string why = writeProblem(e.file); !why.empty()) {
            return what + " cannot be written: " + why;
        }
        if (same(e.file, results)) {
            return what + " would overwrite the results file " + results;
        }
        if (same(e.file, options.config)) {
            return what + " would overwrite the task file " + options.config;
        }
        for (std::size_t k = 0; k < i; ++k) {
            if (same(e.file, options.exports[k].file)) {
                return what + " would overwrite the export " + options.exports[k].spec;
            }
        }
    }
    return {};
}

int runBatch(const BatchOptions& options, std::ostream& out, std::ostream& err,
             const PlotWriter& plots) {
    DesignSession session(out, err);
    if (options.plots) {
        if (std::string why = plotFolderProblem(*options.plots); !why.empty()) {
            session.console().err("dovra-batch: the plot folder " + *options.plots +
                                  " cannot be written: " + why + "; nothing designed");
            return kCannotRun;
        }
    }
    // A value the loader or a setting's check had to replace is one the file
    // did not ask for: the window goes on with the replacement, a script must
    // not end with a success for a design that is not the one asked for.
    std::vector<std::string> replaced;
    const int listener =
        session.console().addLineListener([&replaced](const std::string& line, LineKind kind) {
            if (kind == LineKind::Warning) {
                replaced.push_back(line);
            }
        });
    LoadFailure failure;
    const bool loaded = openDatabase(session, options.config, &failure);
    if (loaded) {
        validateSettings(session);
    }
    session.console().removeLineListener(listener);
    if (loaded && !replaced.empty()) {
        session.console().err("dovra-batch: the task cannot be run: " + replaced.front());
        return kCannotRun;
    }
    if (!loaded) {
        // A task that did not load as written is not run: its numbers would
        // not be the ones in the file.
        session.console().err(
            "dovra-batch: " + text::printable(options.config, std::string::npos) +
            " could not be loaded: " +
            (failure.line > 0 ? "line " + std::to_string(failure.line) + ": " : std::string()) +
            failure.message + "; nothing designed");
        return kCannotRun;
    }
    if (options.results) {
        session.setResultsFileName(*options.results);
    }
    // Every export is checked before anything is designed: its file, and
    // whether the task's filter can be written in its format at all.
    std::string exportProblem = exportsProblem(options, session.getResultsFileName());
    for (const ExportRequest& e : options.exports) {
        if (!exportProblem.empty()) {
            break;
        }
        if (std::string why = exportRefusalBeforeRun(e.format, session.searchSettings());
            !why.empty()) {
            exportProblem = "the export " + e.spec + " cannot be written: " + why;
        }
    }
    if (!exportProblem.empty()) {
        session.console().err("dovra-batch: " + exportProblem + "; nothing designed");
        return kCannotRun;
    }
    if (options.sampledOnly) {
        session.setMeetBetweenSamples(false);
    }
    if (options.saveConfig && !saveDatabase(session, *options.saveConfig)) {
        session.console().err("dovra-batch: the task could not be saved to " + *options.saveConfig);
        return kCannotRun;
    }
    if (options.dryRun) {
        session.console().out(summaryOf(session));
        std::string problem = session.taskRefusal();
        if (!problem.empty()) {
            session.console().err("dovra-batch: the task cannot be run: " + problem);
            return kCannotRun;
        }
        session.console().out("The task can be run.");
        return kSuccess;
    }

    if (options.seed != 0) {
        session.setSeed(options.seed);
    }
    session.setPassSleep(std::chrono::milliseconds(0));
    if (options.threads > 0) {
        session.optimizer().setThreads(options.threads);
    }
    session.setPortfolio(options.portfolio);
    const bool zplane = session.getDesignMethod() == DesignMethod::ZPlane;
    BatchObserver observer(session, options, zplane);
    session.addObserver(&observer);

    // The wizard's way into "Ready": the problem is initialised on leaving the
    // realization page, the design thread created on entering "Ready".
    session.initProblem();
    session.set_state(wizard::kReady);
    session.start();

    // The activity page's Start button.
    auto t0 = std::chrono::steady_clock::now();
    const bool started = session.startRun();
    if (!started) {
        session.stop();
        session.removeObserver(&observer);
        session.console().err("dovra-batch: the task cannot be run: " + session.getStatus());
        return kCannotRun;
    }

    bool hasDeadline = options.timeLimit.has_value();
    auto deadline = t0 + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(hasDeadline ? *options.timeLimit : 0.0));
    bool timedOut = observer.wait(deadline, hasDeadline);
    // Let the design thread finish its pass before reading the outcome.
    session.pause_DE();
    session.waitForIdle();
    std::string limitStatus;
    if (!observer.isDone()) {
        limitStatus = timedOut ? kLimitTime : kLimitGenerations;
        session.stop_DE(); // as Stop does: the results file at once
    }
    session.set_state(wizard::kReady);
    session.stop();
    session.removeObserver(&observer);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

    ProgressSnapshot snap = session.snapshot();
    std::string status = session.getStatus();
    std::ostringstream summary;
    summary << (limitStatus.empty() ? status : limitStatus) << ": " << snap.generation
            << " generations, " << snap.evaluation << " evaluations, ";
    char buf[64];
    // A portfolio's rate counts the evaluations of all its searches.
    const double evaluations =
        snap.searches > 1 ? static_cast<double>(snap.allEvaluations) : snap.evaluation;
    std::snprintf(buf, sizeof buf, "%.3f s, %.0f evaluations/s", seconds,
                  seconds > 0 ? evaluations / seconds : 0.0);
    summary << buf;
    if (snap.searches > 1) {
        summary << " in " << snap.searches << " searches; search " << snap.search
                << (status == status::kSuccess ? " succeeded" : " came closest");
    }
    if (!limitStatus.empty() && snap.evaluation > 0) {
        // How close a run without success came.
        summary << "; best cost " << text::formatDouble(snap.minimum);
    }
    const std::string between = session.betweenSamplesLine();
    if (!between.empty()) {
        summary << "; " << between;
    }
    session.console().err(summary.str());

    bool plotsWritten = true;
    if (options.plots && plots) {
        if (std::string why = plots(session, *options.plots); !why.empty()) {
            session.console().err("dovra-batch: the plots could not be written: " + why);
            plotsWritten = false;
        } else if (!options.quiet) {
            session.console().err("Plots written to " + *options.plots);
        }
    }
    if (snap.refused) {
        // Refused before anything was designed: no results file was written.
        return kCannotRun;
    }
    // The exports, from the run's filter as the results file has it.
    bool exportsWritten = true;
    for (const ExportRequest& e : options.exports) {
        if (!session.writeExport(e.format, e.file)) {
            exportsWritten = false;
        } else if (!options.quiet) {
            session.console().err(kExportWritten + e.file);
        }
    }
    if (!session.printOut().lastReportOk()) {
        session.console().err("dovra-batch: the results file " + session.getResultsFileName() +
                              " could not be written");
        return kCannotRun;
    }
    if (!plotsWritten || !exportsWritten) {
        return kCannotRun;
    }
    if (limitStatus.empty() && status == status::kSuccess) {
        return options.strict && session.betweenSamplesExcess() ? kNotMet : kSuccess;
    }
    if (status == status::kInvalidScheme || snap.refused) {
        return kCannotRun;
    }
    return kNotMet;
}

} // namespace dovra::batch
