#pragma once
// The last wizard page: Start, Pause, Resume and Stop of a design run, how
// often the progress display is refreshed, the text monitor of the run and
// the switches of the three animated plot windows. All run control goes
// through the main window; the design thread never reaches this page except
// through the main window's queued calls of updateMonitor and done.

#include <QColor>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "panel/MyPanel.h"
#include "report/Export.h"
#include "run/ProgressSnapshot.h"
#include "screen/PlotScreens.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace dovra::gui {

class DovraScreen;
class MonitorPanel;

/// The file and format of an export, as the user chose them.
struct ExportChoice {
    QString path;
    ExportFormat format = ExportFormat::Json;
};

/// The name filter of an export format in the file dialog:
/// "C header (*.h)".
QString exportNameFilter(const ExportFormatInfo& format);
/// The choice a file dialog's answer stands for: the format of the selected
/// name filter (the first one when it is none of them), and the path with the
/// format's suffix added when the name has no suffix of its own.
ExportChoice exportChoiceFor(const QString& path, const QString& nameFilter);

/// Asks the user for an export's file and format; nothing means cancelled.
/// The page uses a file dialog with one name filter per format; tests put a
/// double in its place.
class ExportChooser {
  public:
    virtual ~ExportChooser() = default;
    virtual std::optional<ExportChoice> chooseExport() = 0;
};

class ActivityPanel : public MyPanel {
  public:
    /// The animated plot windows the page switches on and off.
    enum class PlotWindow { Magnitude, ZeroesAndPoles, GroupDelay };

    explicit ActivityPanel(DovraScreen& screen);
    ~ActivityPanel() override;

    /// Copies the wizard state; each shown plot window starts its animation anew.
    void notify_of_state() override;

    /// A click on the Start/Stop or the Pause/Resume button, recognised by
    /// its label together with the state.
    void action(QPushButton* button);

    /// The refresh field read by the activity settings (1 to 100; anything
    /// else becomes 10, which the field then shows).
    int getRefreshRate();
    void setRefreshRate(int n);

    int getGeneration() const;
    int getEvaluation() const;
    double getMinimum() const;
    std::string getStatus() const;
    std::string getState() const { return state_; }
    /// "(refinement)" in the quantized phase, otherwise one blank.
    std::string getPhase() const;
    static std::string phaseText(int phase);
    QColor getBackgroundColor() const;
    /// The run figures and status of one moment, for the monitor.
    ProgressSnapshot progress() const;

    /// Repaints the monitor (and the shown plot windows); window thread.
    void updateMonitor();
    /// End of a run: back to "Ready"; window thread.
    void done();

    /// "Export...": the last run's filter written to the file and in the
    /// format the chooser gives; the message line says how it went.
    void exportRun();
    void setExportChooser(std::unique_ptr<ExportChooser> chooser) {
        exportChooser_ = std::move(chooser);
    }

    /// Called by a plot window that the user closes.
    void deleteMagTsScreen() { deletePlotWindow(PlotWindow::Magnitude); }
    void deleteZpScreen() { deletePlotWindow(PlotWindow::ZeroesAndPoles); }
    void deleteGdScreen() { deletePlotWindow(PlotWindow::GroupDelay); }
    bool plotWindowShown(PlotWindow w) const { return plot(w).shown; }
    /// The window shown for a switch, none when it is off.
    PlotScreen* plotWindow(PlotWindow w) const;

    QPushButton* startButton() const { return start_; }
    QPushButton* pauseButton() const { return pause_; }
    /// Enabled once a run has ended with a filter to export.
    QPushButton* exportButton() const { return export_; }
    QLineEdit* refreshField() const { return refresh_; }
    MonitorPanel* monitor() const { return monitor_; }
    QCheckBox* plotBox(PlotWindow w) const { return plot(w).box; }

  private:
    struct PlotSwitch {
        QCheckBox* box = nullptr;
        bool shown = false;
    };
    PlotSwitch& plot(PlotWindow w) { return plots_[static_cast<std::size_t>(w)]; }
    const PlotSwitch& plot(PlotWindow w) const { return plots_[static_cast<std::size_t>(w)]; }

    void enterState(const std::string& state);
    /// Labels "Start" and "Pause", Pause disabled, refresh field enabled.
    void showReadyControls();
    /// Export enabled when the session has a run to export; its tooltip says
    /// why not otherwise.
    void updateExportButton();
    void togglePlotWindow(PlotWindow w);
    void deletePlotWindow(PlotWindow w);

    // The animated plot windows: openPlotWindow creates one (given this
    // page and the session), sizes it to its preferred size and shows it;
    // closePlotWindow disposes of it; restartPlotWindow is its
    // setInitFlag(1); refreshPlotWindow its refreshImage().
    void openPlotWindow(PlotWindow w);
    void closePlotWindow(PlotWindow w);
    void restartPlotWindow(PlotWindow w);
    void refreshPlotWindow(PlotWindow w);

    DovraScreen& screen_;
    std::string state_;
    QPushButton* start_;
    QPushButton* pause_;
    QPushButton* export_;
    std::unique_ptr<ExportChooser> exportChooser_;
    QLineEdit* refresh_;
    MonitorPanel* monitor_;
    std::array<PlotSwitch, 3> plots_{};
    PlotWindowSlot<MagTsAnimatedPlotScreen> magWindow_;
    PlotWindowSlot<ZpAnimatedPlotScreen> zpWindow_;
    PlotWindowSlot<GdAnimatedPlotScreen> gdWindow_;
};

} // namespace dovra::gui
