#pragma once
// The main window: owns the design session and is its view. It shows one
// wizard page at a time, keeps the wizard state, moves between the pages
// with "<< Back" and "Next >>", and hands the design thread's notifications
// to the activity page on the window thread.

#include <QElapsedTimer>
#include <atomic>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>

#include "screen/Screen.h"
#include "session/DesignSession.h"

class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;

namespace dovra::gui {

class StartupPanel;
class MagnitudePanel;
class GroupDelayPanel;
class FixedFilterPanel;
class FilterRealizationPanel;
class OptimizationControlPanel;
class ActivityPanel;

class DovraScreen : public Screen, private SessionObserver {
  public:
    explicit DovraScreen(std::ostream& out = std::cout, std::ostream& err = std::cerr);
    ~DovraScreen() override;

    DesignSession& session() { return session_; }
    const DesignSession& session() const { return session_; }

    QSize sizeHint() const override { return {450, 400}; }
    QSize minimumSizeHint() const override { return {450, 400}; }

    // Wizard.
    std::string get_state() const { return session_.get_state(); }
    void set_state(const std::string& s) { session_.set_state(s); }
    void notify_of_state();
    void reshow();
    /// A click on one of the three buttons, recognised by its label.
    void action(QPushButton* button);
    /// The card shown ("Startup", "Magnitude", ...).
    QString currentCard() const;

    /// Ends the program as "Exit" does: the design thread is stopped and
    /// joined first. The handler (default: leave the event loop with code 0)
    /// can be replaced, so that tests can press "Exit".
    void exitProgram();
    void setExitHandler(std::function<void(int)> handler) { exitHandler_ = std::move(handler); }

    /// Asks the user a yes-or-no question (true: yes); by default a message
    /// box with "No" as its default. Tests answer it themselves.
    using Question = std::function<bool(const QString& text)>;
    void setQuestion(Question question) { question_ = std::move(question); }
    /// True when the task has no unsaved changes, or the user agrees to lose
    /// them for the action named (for example "Exit").
    bool mayDiscardChanges(const QString& action);
    /// The question put to the user (title, then text); true for yes.
    bool ask(const QString& title, const QString& text);

    // Forwarders used by the pages.
    std::string getStatus() const { return session_.getStatus(); }
    void setStatus(const std::string& s) { session_.setStatus(s); }
    bool DebugOn() const { return session_.DebugOn(); }
    int getDesignIdentifierIdx() const { return session_.getDesignIdentifierIdx(); }
    int getGeneration() const { return session_.getGeneration(); }
    int getEvaluation() const { return session_.getEvaluation(); }
    double getMinimum() const { return session_.getMinimum(); }
    int getPhase() const { return session_.getPhase(); }
    bool start_Design() { return session_.start_Design(); }
    void pause_DE() { session_.pause_DE(); }
    void resume_DE() { session_.resume_DE(); }
    void stop_DE() { session_.stop_DE(); }
    void initLR() { session_.initLR(); }
    void initDesignSuccessFlag() { session_.initDesignSuccessFlag(); }

    // The pages and buttons (for the pages that talk to each other, the
    // screenshots and the tests).
    StartupPanel& startupPanel() { return *startup_; }
    MagnitudePanel& magnitudePanel() { return *magnitude_; }
    GroupDelayPanel& groupDelayPanel() { return *groupDelay_; }
    FixedFilterPanel& fixedFilterPanel() { return *fixedFilter_; }
    FilterRealizationPanel& filterRealizationPanel() { return *realization_; }
    OptimizationControlPanel& optimizationControlPanel() { return *optimization_; }
    ActivityPanel& activityPanel() { return *activity_; }
    QPushButton* exitButton() const { return exit_; }
    QPushButton* backButton() const { return back_; }
    QPushButton* nextButton() const { return next_; }
    /// The message line at the bottom: the latest line the session wrote for
    /// the user, errors in red.
    QLabel* messageLine() const { return message_; }
    /// Whether the message line shows an error.
    bool messageIsError() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    /// The design thread's notices, on the window thread.
    void customEvent(QEvent* event) override;

  private:
    static constexpr int kRedrawsPerSecond = 30;

    // Called on the design thread: both only post to the window thread.
    void updateMonitor() override;
    void done() override;

    void showCard(const char* name);
    /// Redraws the monitor and the plots from the latest snapshot, at most
    /// kRedrawsPerSecond times a second: a notice that comes sooner is
    /// drawn when the interval is up (whatever the refresh rate, the search
    /// never waits for the window).
    void redrawProgress();
    /// Shows the latest console line (on the window thread).
    void showLatestLine();

    DesignSession session_;
    QStackedWidget* cards_ = nullptr;
    StartupPanel* startup_ = nullptr;
    MagnitudePanel* magnitude_ = nullptr;
    GroupDelayPanel* groupDelay_ = nullptr;
    FixedFilterPanel* fixedFilter_ = nullptr;
    FilterRealizationPanel* realization_ = nullptr;
    OptimizationControlPanel* optimization_ = nullptr;
    ActivityPanel* activity_ = nullptr;
    QPushButton* exit_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* next_ = nullptr;
    QLabel* message_ = nullptr;
    std::function<void(int)> exitHandler_;
    Question question_;
    // The latest console line, written by whichever thread printed it.
    mutable std::mutex lineMutex_;
    std::string latestLine_;
    LineKind latestKind_ = LineKind::Info;
    int lineListener_ = 0;
    // A monitor update is posted only when none is waiting, so a busy window
    // thread is not flooded by a fast search.
    std::atomic<bool> monitorPending_{false};
    std::atomic<bool> donePending_{false};
    std::atomic<bool> linePending_{false};
    QElapsedTimer lastRedraw_;
    QTimer* redrawTimer_ = nullptr;
};

} // namespace dovra::gui
