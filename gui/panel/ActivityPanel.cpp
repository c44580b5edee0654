#include "panel/ActivityPanel.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "panel/MonitorPanel.h"
#include "plot/AnimatedGraphs.h"
#include "plot/ZeroPolePlotGraph.h"
#include "screen/DovraScreen.h"

namespace dovra::gui {

using wizard::kPaused;
using wizard::kReady;
using wizard::kRunning;

namespace {

const char* const kExportTip = "Write the filter of the last run to a file: sections (CSV), C "
                               "header, Octave/MATLAB script or JSON";

// The save dialog of "Export...", made once; one name filter per format.
class ExportDialogChooser : public ExportChooser {
  public:
    explicit ExportDialogChooser(QWidget* owner)
        : dialog_(owner, QStringLiteral("Export the Filter")) {
        dialog_.setAcceptMode(QFileDialog::AcceptSave);
        dialog_.setFileMode(QFileDialog::AnyFile);
        dialog_.setOption(QFileDialog::DontUseNativeDialog);
        QStringList filters;
        for (const ExportFormatInfo& f : exportFormats()) {
            filters << exportNameFilter(f);
        }
        dialog_.setNameFilters(filters);
    }
    std::optional<ExportChoice> chooseExport() override {
        if (dialog_.exec() != QDialog::Accepted || dialog_.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return exportChoiceFor(dialog_.selectedFiles().constFirst(), dialog_.selectedNameFilter());
    }

  private:
    QFileDialog dialog_;
};

QString fromView(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

QString exportNameFilter(const ExportFormatInfo& format) {
    return fromView(format.description) + QStringLiteral(" (*") + fromView(format.suffix) +
           QLatin1Char(')');
}

ExportChoice exportChoiceFor(const QString& path, const QString& nameFilter) {
    const ExportFormatInfo* chosen = &exportFormats().front();
    for (const ExportFormatInfo& f : exportFormats()) {
        if (exportNameFilter(f) == nameFilter) {
            chosen = &f;
        }
    }
    ExportChoice c{path, chosen->format};
    if (QFileInfo(path).suffix().isEmpty()) {
        c.path += fromView(chosen->suffix);
    }
    return c;
}

ActivityPanel::ActivityPanel(DovraScreen& screen)
    : screen_(screen), exportChooser_(std::make_unique<ExportDialogChooser>(this)) {
    ActivitySettings& model = screen_.session().activity();

    auto* title = new QLabel(QStringLiteral("Design Process"));
    title->setFont(makeFont("Helvetica", true, 14));
    start_ = new QPushButton(QStringLiteral("Start"));
    start_->setObjectName("startStop");
    pause_ = new QPushButton(QStringLiteral("Pause"));
    pause_->setObjectName("pauseResume");
    for (QPushButton* b : {start_, pause_}) {
        b->setFont(makeFont("Dialog", true, 12));
    }
    pause_->setEnabled(false);
    export_ = new QPushButton(QStringLiteral("Export..."));
    export_->setObjectName("export");
    export_->setFont(makeFont("Dialog", true, 12));
    updateExportButton();
    auto* every = new QLabel(QStringLiteral("Status update every:"));
    refresh_ = new QLineEdit(qs(model.text()));
    refresh_->setObjectName("refreshRate");
    refresh_->setToolTip(QStringLiteral(
        "Generations between two updates of the monitor: a whole number from 1 to 100"));
    // Room for "100", the largest rate.
    setColumns(refresh_, 3);
    auto* generations = new QLabel(QStringLiteral("Generations"));
    monitor_ = new MonitorPanel(*this);
    plot(PlotWindow::Magnitude).box = new QCheckBox(QStringLiteral("Magnitude"));
    plot(PlotWindow::ZeroesAndPoles).box = new QCheckBox(QStringLiteral("Zeroes and Poles"));
    plot(PlotWindow::GroupDelay).box = new QCheckBox(QStringLiteral("Group Delay"));

    auto place = [this](QWidget* w, int x, int y, int width, int height, Fill fill) {
        constrain(w, x, y, width, height, fill, Anchor::Center, 1.0, 1.0, 5, 5, 0, 0);
    };
    place(title, 0, 0, 3, 1, Fill::Horizontal);
    place(start_, 0, 1, 2, 1, Fill::Horizontal);
    place(pause_, 2, 1, 2, 1, Fill::Horizontal);
    place(every, 0, 2, 1, 1, Fill::Horizontal);
    place(refresh_, 1, 2, 1, 1, Fill::Horizontal);
    place(generations, 2, 2, 1, 1, Fill::Horizontal);
    place(monitor_, 0, 3, 4, 8, Fill::Both);
    place(plot(PlotWindow::Magnitude).box, 0, 14, 1, 1, Fill::Horizontal);
    place(plot(PlotWindow::ZeroesAndPoles).box, 0, 15, 1, 1, Fill::Horizontal);
    place(plot(PlotWindow::GroupDelay).box, 0, 16, 1, 1, Fill::Horizontal);
    place(export_, 2, 14, 2, 1, Fill::Horizontal);

    // The rate may change during a run: the design thread's next slice takes it.
    connect(refresh_, &QLineEdit::textEdited, this, [this, &model](const QString& t) {
        model.setText(t.toStdString());
        screen_.session().refreshRateChanged();
    });
    // The settings may replace the rate (a text out of range) on either
    // thread; the field follows on this one.
    model.setListener([this, &model](int) {
        onPageThread([this, &model] { showText(refresh_, model.text()); });
    });
    for (QPushButton* b : {start_, pause_}) {
        connect(b, &QPushButton::clicked, this, [this, b] { action(b); });
    }
    connect(export_, &QPushButton::clicked, this, [this] { exportRun(); });
    const std::array<PlotWindow, 3> windows = {PlotWindow::Magnitude, PlotWindow::ZeroesAndPoles,
                                               PlotWindow::GroupDelay};
    for (PlotWindow w : windows) {
        connect(plot(w).box, &QCheckBox::clicked, this, [this, w] { togglePlotWindow(w); });
    }
}

ActivityPanel::~ActivityPanel() {
    screen_.session().activity().setListener({});
    // The windows go before the page they call back.
    magWindow_.dispose();
    zpWindow_.dispose();
    gdWindow_.dispose();
}

void ActivityPanel::notify_of_state() {
    state_ = screen_.get_state();
    for (std::size_t i = 0; i < plots_.size(); ++i) {
        if (plots_[i].shown) {
            restartPlotWindow(static_cast<PlotWindow>(i));
        }
    }
}

void ActivityPanel::enterState(const std::string& state) {
    screen_.set_state(state);
    screen_.notify_of_state();
}

void ActivityPanel::showReadyControls() {
    start_->setText(QStringLiteral("Start"));
    pause_->setText(QStringLiteral("Pause"));
    pause_->setEnabled(false);
}

void ActivityPanel::updateExportButton() {
    const std::string why = screen_.session().exportProblem();
    export_->setEnabled(why.empty());
    export_->setToolTip(why.empty() ? QString::fromUtf8(kExportTip)
                                    : QStringLiteral("Nothing to export: ") + qs(why));
}

void ActivityPanel::exportRun() {
    const std::optional<ExportChoice> choice = exportChooser_->chooseExport();
    if (!choice) {
        return;
    }
    // The session says on the console, and so on the message line, whether
    // the file was written.
    screen_.session().writeExport(choice->format, choice->path.toStdString());
}

void ActivityPanel::action(QPushButton* button) {
    const QString label = button->text();
    if (label == QLatin1String("Start") && state_ == kReady) {
        export_->setEnabled(false);
        // A classical design keeps the Start label and cannot be paused; it
        // ends through done().
        const bool search = screen_.session().getDesignMethod() == DesignMethod::ZPlane;
        const bool started = screen_.session().startRun([&] {
            enterState(kRunning);
            if (search) {
                start_->setText(QStringLiteral("Stop"));
                pause_->setEnabled(true);
            }
        });
        if (!started) {
            // The task cannot be run: nothing is searched and no done() will
            // come. The page returns to "Ready" at once; the monitor shows
            // the reason the session gave as the status.
            done();
        }
    } else if (label == QLatin1String("Stop") && (state_ == kRunning || state_ == kPaused)) {
        enterState(kReady);
        showReadyControls();
        screen_.stop_DE();
        updateExportButton();
    } else if (label == QLatin1String("Pause") && state_ == kRunning) {
        enterState(kPaused);
        pause_->setText(QStringLiteral("Resume"));
        screen_.pause_DE();
    } else if (label == QLatin1String("Resume") && state_ == kPaused) {
        enterState(kRunning);
        pause_->setText(QStringLiteral("Pause"));
        screen_.resume_DE();
    }
    monitor_->update();
}

int ActivityPanel::getRefreshRate() {
    return screen_.session().getRefreshRate();
}

void ActivityPanel::setRefreshRate(int n) {
    screen_.session().setRefreshRate(n);
}

int ActivityPanel::getGeneration() const {
    return screen_.getGeneration();
}
int ActivityPanel::getEvaluation() const {
    return screen_.getEvaluation();
}
double ActivityPanel::getMinimum() const {
    return screen_.getMinimum();
}
std::string ActivityPanel::getStatus() const {
    return screen_.getStatus();
}

std::string ActivityPanel::getPhase() const {
    return phaseText(screen_.getPhase());
}

std::string ActivityPanel::phaseText(int phase) {
    return phase == 2 ? "(refinement)" : " ";
}

QColor ActivityPanel::getBackgroundColor() const {
    return Screen::lightGrey();
}

ProgressSnapshot ActivityPanel::progress() const {
    return screen_.session().snapshot();
}

void ActivityPanel::updateMonitor() {
    monitor_->update();
    for (std::size_t i = 0; i < plots_.size(); ++i) {
        if (plots_[i].shown) {
            refreshPlotWindow(static_cast<PlotWindow>(i));
        }
    }
}

void ActivityPanel::done() {
    // The notice of a run's end is queued behind the user's clicks. When it
    // arrives after the user has left the run (Stop, then "<< Back") or after
    // a newer run has been started, it only refreshes the display.
    const bool inRun = state_ == kRunning || state_ == kPaused || state_ == kReady;
    if (inRun && !progress().ready) {
        enterState(kReady);
        showReadyControls();
    }
    updateExportButton();
    updateMonitor();
}

void ActivityPanel::togglePlotWindow(PlotWindow w) {
    // The window follows the shown flag, not the box's own state.
    PlotSwitch& s = plot(w);
    if (!s.shown) {
        openPlotWindow(w);
        s.shown = true;
    } else {
        closePlotWindow(w);
        s.shown = false;
    }
    s.box->setChecked(s.shown);
    update();
    monitor_->update();
}

void ActivityPanel::deletePlotWindow(PlotWindow w) {
    PlotSwitch& s = plot(w);
    if (s.shown) {
        closePlotWindow(w);
    }
    s.shown = false;
    s.box->setChecked(false);
}

void ActivityPanel::openPlotWindow(PlotWindow w) {
    switch (w) {
    case PlotWindow::Magnitude:
        magWindow_.open(*this, screen_.session());
        break;
    case PlotWindow::ZeroesAndPoles:
        zpWindow_.open(*this, screen_.session());
        break;
    case PlotWindow::GroupDelay:
        gdWindow_.open(*this, screen_.session());
        break;
    }
}

PlotScreen* ActivityPanel::plotWindow(PlotWindow w) const {
    switch (w) {
    case PlotWindow::Magnitude:
        return magWindow_.get();
    case PlotWindow::ZeroesAndPoles:
        return zpWindow_.get();
    case PlotWindow::GroupDelay:
        return gdWindow_.get();
    }
    return nullptr;
}

void ActivityPanel::closePlotWindow(PlotWindow w) {
    switch (w) {
    case PlotWindow::Magnitude:
        magWindow_.dispose();
        break;
    case PlotWindow::ZeroesAndPoles:
        zpWindow_.dispose();
        break;
    case PlotWindow::GroupDelay:
        gdWindow_.dispose();
        break;
    }
}

void ActivityPanel::restartPlotWindow(PlotWindow w) {
    if (PlotScreen* s = plotWindow(w)) {
        s->setInitFlag(1);
    }
}

void ActivityPanel::refreshPlotWindow(PlotWindow w) {
    if (PlotScreen* s = plotWindow(w)) {
        s->refreshImage();
    }
}

} // namespace dovra::gui
