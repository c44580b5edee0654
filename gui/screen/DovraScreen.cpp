#include "screen/DovraScreen.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <array>
#include <cstring>

#include "panel/ActivityPanel.h"
#include "panel/FilterRealizationPanel.h"
#include "panel/FixedFilterPanel.h"
#include "panel/GroupDelayPanel.h"
#include "panel/MagnitudePanel.h"
#include "panel/OptimizationControlPanel.h"
#include "panel/StartupPanel.h"

namespace dovra::gui {

namespace {

const char* const kLoading = "Please wait while Dovra is loaded ...";

// The card names in the order the pages are created.
constexpr std::array<const char*, 7> kCards = {
    "Startup",           "Magnitude",           "GroupDelay", "FixedFilter",
    "FilterRealization", "OptimizationControl", "Activity"};

struct StateRow {
    const char* state;
    const char* card; // nullptr: the card stays
    bool back;
    bool next;
};

constexpr std::array<StateRow, 9> kStates = {{
    {wizard::kIdle, "Startup", false, true},
    {wizard::kConfigureMagnitude, "Magnitude", true, true},
    {wizard::kConfigureGroupDelay, "GroupDelay", true, true},
    {wizard::kConfigureFixedFilter, "FixedFilter", true, true},
    {wizard::kDefineFilter, "FilterRealization", true, true},
    {wizard::kInitOptimization, "OptimizationControl", true, true},
    {wizard::kReady, "Activity", true, false},
    {wizard::kRunning, nullptr, false, false},
    {wizard::kPaused, nullptr, false, false},
}};

const StateRow* rowOf(const std::string& state) {
    for (const auto& r : kStates) {
        if (state == r.state) {
            return &r;
        }
    }
    return nullptr;
}

} // namespace

DovraScreen::DovraScreen(std::ostream& out, std::ostream& err)
    : Screen(QStringLiteral("DOVRA")), session_(out, err) {
    auto debug = [this](const char* line) {
        if (DebugOn()) {
            session_.console().out(line);
        }
    };
    session_.console().out(kLoading);
    session_.set_state(wizard::kIdle);

    cards_ = new QStackedWidget;
    cards_->setObjectName("cards");
    constrain(cards_, 0, 0, 16, 16, Fill::Both, Anchor::Center, 1.0, 1.0, 5, 5, 5, 5);
    debug("Card Panel created");

    auto add = [this](MyPanel* page, int index) {
        page->setObjectName(kCards[static_cast<std::size_t>(index)]);
        cards_->addWidget(page);
    };
    startup_ =
        new StartupPanel(*this, session_.magUpper(), session_.magLower(), session_.gdUpper(),
                         session_.gdLower(), session_.ffNumerator(), session_.ffDenominator());
    add(startup_, 0);
    debug("Startup Panel created");
    magnitude_ = new MagnitudePanel(*this, session_.magUpper(), session_.magLower());
    add(magnitude_, 1);
    debug("Magnitude Panel created");
    groupDelay_ = new GroupDelayPanel(*this, session_.gdUpper(), session_.gdLower());
    add(groupDelay_, 2);
    debug("Group Delay Panel created");
    fixedFilter_ = new FixedFilterPanel(*this, session_.ffNumerator(), session_.ffDenominator());
    add(fixedFilter_, 3);
    debug("Fixed Filter Panel created");
    realization_ = new FilterRealizationPanel(*this, session_.magUpper(), session_.magLower());
    add(realization_, 4);
    debug("Filter Realization Panel created");
    optimization_ = new OptimizationControlPanel(*this, session_.magUpper());
    add(optimization_, 5);
    debug("Optimization Control Panel created");
    activity_ = new ActivityPanel(*this);
    add(activity_, 6);
    debug("Activity Panel created");

    exit_ = new QPushButton(QStringLiteral("Exit"));
    back_ = new QPushButton(QStringLiteral("<< Back"));
    next_ = new QPushButton(QStringLiteral("Next >>"));
    constrain(exit_, 1, 18, 1, 1, Fill::Both, Anchor::Center, 1.0, 0.2, 5, 5, 0, 0);
    constrain(back_, 2, 18, 1, 1, Fill::Both, Anchor::Center, 1.0, 0.2, 5, 0, 0, 0);
    constrain(next_, 3, 18, 1, 1, Fill::Both, Anchor::Center, 1.0, 0.2, 5, 0, 0, 0);
    for (QPushButton* b : {exit_, back_, next_}) {
        connect(b, &QPushButton::clicked, this, [this, b] { action(b); });
    }
    // Alt+N and Alt+B go to the next and the previous page where the
    // buttons would (the labels stay as they are: the wizard reads them).
    const std::pair<QPushButton*, QKeySequence> keys[] = {
        {next_, QKeySequence(Qt::ALT | Qt::Key_N)}, {back_, QKeySequence(Qt::ALT | Qt::Key_B)}};
    for (const auto& [button, key] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [button] {
            if (button->isEnabled() && button->isVisible()) {
                button->click();
            }
        });
        button->setToolTip(button->text() + QStringLiteral(" (") +
                           key.toString(QKeySequence::NativeText) + QLatin1Char(')'));
    }
    debug("Buttons Created");

    // The console is not seen by a desktop user: its latest line is shown here.
    message_ = new QLabel;
    message_->setObjectName("messageLine");
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    constrain(message_, 0, 19, 16, 1, Fill::Horizontal, Anchor::West, 1.0, 0.0, 2, 5, 2, 5);
    // A long line must not widen the window; the tooltip holds it whole. Set
    // after constrain, whose horizontal fill makes the policy Expanding (and
    // so the label's full text its minimum width).
    message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lineListener_ =
        session_.console().addLineListener([this](const std::string& line, LineKind kind) {
            {
                std::lock_guard lock(lineMutex_);
                latestLine_ = line;
                latestKind_ = kind;
            }
            if (QThread::currentThread() == thread()) {
                showLatestLine();
            } else if (!linePending_.exchange(true)) {
                // From the design thread: a flag and a bare event, as for
                // the monitor, so that nothing but the flag crosses threads.
                QCoreApplication::postEvent(this, new QEvent(QEvent::User));
            }
        });

    redrawTimer_ = new QTimer(this);
    redrawTimer_->setSingleShot(true);
    connect(redrawTimer_, &QTimer::timeout, this, [this] { redrawProgress(); });

    notify_of_state();
    reshow();
    session_.addObserver(this);
    debug("Dovra screen ready");
}

DovraScreen::~DovraScreen() {
    // The design thread may still run: end and join it before the pages it
    // notifies go away.
    session_.stop();
    session_.removeObserver(this);
    session_.console().removeLineListener(lineListener_);
    // The pages unregister from the session's settings models when they go:
    // delete them while the session still lives (the window's children would
    // otherwise be deleted after its members).
    delete cards_;
    cards_ = nullptr;
}

void DovraScreen::notify_of_state() {
    if (const StateRow* r = rowOf(get_state())) {
        back_->setEnabled(r->back);
        next_->setEnabled(r->next);
    }
    startup_->notify_of_state();
    magnitude_->notify_of_state();
    groupDelay_->notify_of_state();
    fixedFilter_->notify_of_state();
    optimization_->notify_of_state();
    activity_->notify_of_state();
}

void DovraScreen::reshow() {
    const StateRow* r = rowOf(get_state());
    if (r && r->card) {
        showCard(r->card);
    }
}

void DovraScreen::showCard(const char* name) {
    for (std::size_t i = 0; i < kCards.size(); ++i) {
        if (std::strcmp(kCards[i], name) == 0) {
            cards_->setCurrentIndex(static_cast<int>(i));
        }
    }
}

QString DovraScreen::currentCard() const {
    const int i = cards_->currentIndex();
    return i >= 0 ? QString::fromLatin1(kCards[static_cast<std::size_t>(i)]) : QString();
}

void DovraScreen::action(QPushButton* button) {
    const QString label = button->text();
    if (label == QLatin1String("Exit")) {
        exitProgram();
        return;
    }
    const bool nextPressed = label == QLatin1String("Next >>");
    const bool backPressed = label == QLatin1String("<< Back");
    const std::string state = get_state();
    std::string to;
    bool startThread = false;
    bool stopThread = false;
    const bool zPlane = session_.getDesignMethod() == DesignMethod::ZPlane;
    if (nextPressed) {
        if (state == wizard::kIdle) {
            to = wizard::kConfigureMagnitude;
        } else if (state == wizard::kConfigureMagnitude) {
            to = wizard::kConfigureGroupDelay;
        } else if (state == wizard::kConfigureGroupDelay) {
            to = wizard::kConfigureFixedFilter;
        } else if (state == wizard::kConfigureFixedFilter) {
            to = wizard::kDefineFilter;
        } else if (state == wizard::kDefineFilter) {
            session_.initProblem();
            if (zPlane) {
                to = wizard::kInitOptimization;
            } else {
                to = wizard::kReady;
                startThread = true;
            }
        } else if (state == wizard::kInitOptimization) {
            to = wizard::kReady;
            startThread = true;
        }
    } else if (backPressed) {
        if (state == wizard::kConfigureMagnitude) {
            to = wizard::kIdle;
        } else if (state == wizard::kConfigureGroupDelay) {
            to = wizard::kConfigureMagnitude;
        } else if (state == wizard::kConfigureFixedFilter) {
            to = wizard::kConfigureGroupDelay;
        } else if (state == wizard::kDefineFilter) {
            to = wizard::kConfigureFixedFilter;
        } else if (state == wizard::kInitOptimization) {
            to = wizard::kDefineFilter;
        } else if (state == wizard::kReady) {
            to = zPlane ? wizard::kInitOptimization : wizard::kDefineFilter;
            stopThread = true;
        }
    }
    if (!to.empty()) {
        if (startThread) {
            session_.start();
        }
        if (stopThread) {
            session_.stop();
        }
        set_state(to);
        notify_of_state();
        reshow();
    }
    if (DebugOn()) {
        session_.console().out("Dovra state =" + get_state());
    }
    notify_of_state();
}

bool DovraScreen::mayDiscardChanges(const QString& action) {
    if (!session_.hasUnsavedChanges()) {
        return true;
    }
    const QString text =
        QStringLiteral("The design task has changes that are not saved (Save As on the first "
                       "page saves them).\n\n%1 anyway and lose them?")
            .arg(action);
    return ask(QStringLiteral("Unsaved changes"), text);
}

bool DovraScreen::ask(const QString& title, const QString& text) {
    if (question_) {
        return question_(text);
    }
    return QMessageBox::question(this, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void DovraScreen::exitProgram() {
    if (!mayDiscardChanges(QStringLiteral("Exit"))) {
        return;
    }
    session_.stop();
    if (exitHandler_) {
        exitHandler_(0);
    } else {
        QCoreApplication::exit(0);
    }
}

void DovraScreen::closeEvent(QCloseEvent* event) {
    if (!mayDiscardChanges(QStringLiteral("Close the window"))) {
        event->ignore();
        return;
    }
    session_.stop();
    event->accept();
    if (exitHandler_) {
        exitHandler_(0);
    } else {
        QCoreApplication::exit(0);
    }
}

// The design thread raises a flag and posts a bare event to wake the window
// thread, which reads the flags when the event arrives: what a notice says
// travels in the atomics, not in the event queue.
void DovraScreen::updateMonitor() {
    if (!monitorPending_.exchange(true)) {
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }
}

void DovraScreen::done() {
    donePending_.store(true);
    QCoreApplication::postEvent(this, new QEvent(QEvent::User));
}

void DovraScreen::showLatestLine() {
    std::string line;
    LineKind kind;
    {
        std::lock_guard lock(lineMutex_);
        line = latestLine_;
        kind = latestKind_;
    }
    message_->setText(QString::fromStdString(line));
    message_->setToolTip(message_->text());
    message_->setStyleSheet(kind == LineKind::Error     ? QStringLiteral("color: #c00000;")
                            : kind == LineKind::Warning ? QStringLiteral("color: #a05000;")
                                                        : QString());
}

bool DovraScreen::messageIsError() const {
    std::lock_guard lock(lineMutex_);
    return latestKind_ == LineKind::Error;
}

void DovraScreen::customEvent(QEvent*) {
    if (linePending_.exchange(false)) {
        showLatestLine();
    }
    if (monitorPending_.exchange(false)) {
        redrawProgress();
    }
    if (donePending_.exchange(false)) {
        // The end of a run is shown at once, with its final figures.
        redrawTimer_->stop();
        lastRedraw_.restart();
        activity_->done();
    }
}

void DovraScreen::redrawProgress() {
    constexpr qint64 kInterval = 1000 / kRedrawsPerSecond;
    const qint64 since = lastRedraw_.isValid() ? lastRedraw_.elapsed() : kInterval;
    if (since < kInterval) {
        if (!redrawTimer_->isActive()) {
            redrawTimer_->start(static_cast<int>(kInterval - since));
        }
        return;
    }
    lastRedraw_.restart();
    activity_->updateMonitor();
}

} // namespace dovra::gui
