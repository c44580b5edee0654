#pragma once
// The first page: the product title, "Load" and "Save As" of a configuration
// file, the results file name and the about box.

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <memory>
#include <utility>

#include "data/Tables.h"
#include "panel/MyPanel.h"
#include "screen/AboutScreen.h"

class QCheckBox;
class QFileDialog;
class QLineEdit;
class QPushButton;

namespace dovra::gui {

class DovraScreen;

/// Asks the user for a file name; an empty name means cancelled. The page
/// uses file dialogs; tests put a double in their place.
class FileChooser {
  public:
    virtual ~FileChooser() = default;
    virtual QString chooseOpen() = 0;
    virtual QString chooseSave() = 0;
};

/// Answers with names fixed beforehand, for runs without a user: the
/// screenshot renderer and the window tests. An empty name is a cancel.
class NamedFileChooser : public FileChooser {
  public:
    explicit NamedFileChooser(QString open, QString save = {})
        : open_(std::move(open)), save_(std::move(save)) {}
    QString chooseOpen() override { return open_; }
    QString chooseSave() override { return save_; }

  private:
    QString open_;
    QString save_;
};

class StartupPanel : public MyPanel {
  public:
    StartupPanel(DovraScreen& screen, MagConstraintsDataBase& magUpper,
                 MagConstraintsDataBase& magLower, GdConstraintsDataBase& gdUpper,
                 GdConstraintsDataBase& gdLower, FixedFilterDataBase& ffNumerator,
                 FixedFilterDataBase& ffDenominator);
    ~StartupPanel() override;

    std::string getResultsFileName() const;
    /// "Load": a file chosen in the open dialog is read; its name is shown.
    void openDatabase();
    /// "Save As": the task is written to a file chosen in the save dialog.
    void saveDatabase();
    /// The about box was closed by the user.
    void deleteAboutScreen();
    void notify_of_state() override {}

    void setFileChooser(std::unique_ptr<FileChooser> chooser) { chooser_ = std::move(chooser); }
    bool aboutShown() const { return aboutShown_; }
    AboutScreen* aboutScreen() const { return about_; }

    QCheckBox* aboutBox() const { return aboutCheck_; }
    QLineEdit* configField() const { return configField_; }
    QLineEdit* resultsField() const { return resultsField_; }
    QPushButton* loadButton() const { return load_; }
    QPushButton* saveButton() const { return save_; }
    /// The dialog that names the first failing item of a file that did not
    /// load completely (none when the last load was complete or it was closed).
    QMessageBox* loadDialog() const { return loadDialog_; }

  private:
    void toggleAbout();

    DovraScreen& screen_;
    std::unique_ptr<FileChooser> chooser_;
    QCheckBox* aboutCheck_;
    QLineEdit* configField_;
    QLineEdit* resultsField_;
    QPointer<QMessageBox> loadDialog_;
    QPushButton* load_;
    QPushButton* save_;
    QPointer<AboutScreen> about_;
    bool aboutShown_ = false;
};

} // namespace dovra::gui
