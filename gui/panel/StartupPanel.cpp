#include "panel/StartupPanel.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "screen/AboutScreen.h"
#include "screen/DovraScreen.h"
#include "session/ConfigFile.h"

namespace dovra::gui {

namespace {

// The two dialogs of the page, made once. The save dialog proposes the name
// "Save"; the open dialog starts with an empty name (a file to open is
// chosen, not named) in the folder "Save" where there is one.
class DialogChooser : public FileChooser {
  public:
    explicit DialogChooser(QWidget* owner)
        : open_(owner, QStringLiteral("Open Configuration File")),
          save_(owner, QStringLiteral("Save Configuration File")) {
        open_.setAcceptMode(QFileDialog::AcceptOpen);
        open_.setFileMode(QFileDialog::ExistingFile);
        save_.setAcceptMode(QFileDialog::AcceptSave);
        save_.setFileMode(QFileDialog::AnyFile);
        for (QFileDialog* d : {&open_, &save_}) {
            d->setOption(QFileDialog::DontUseNativeDialog);
            d->setNameFilters(
                {QStringLiteral("Design tasks (*.cfg)"), QStringLiteral("All files (*)")});
        }
        if (QDir(QStringLiteral("Save")).exists()) {
            open_.setDirectory(QStringLiteral("Save"));
        }
        save_.selectFile(QStringLiteral("Save"));
    }
    QString chooseOpen() override { return run(open_); }
    QString chooseSave() override { return run(save_); }

  private:
    static QString run(QFileDialog& d) {
        if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) {
            return {};
        }
        return d.selectedFiles().constFirst();
    }
    QFileDialog open_;
    QFileDialog save_;
};

} // namespace

StartupPanel::StartupPanel(DovraScreen& screen, MagConstraintsDataBase&, MagConstraintsDataBase&,
                           GdConstraintsDataBase&, GdConstraintsDataBase&, FixedFilterDataBase&,
                           FixedFilterDataBase&)
    : screen_(screen), chooser_(std::make_unique<DialogChooser>(&screen)) {
    // The six tables are reached through the session, which the
    // configuration file reads and writes as a whole.
    aboutCheck_ = new QCheckBox(QStringLiteral("About"));
    auto* title = new QLabel(QStringLiteral("Dovra"));
    title->setFont(makeFont("Helvetica", true, 18));
    auto* configLabel = new QLabel(QStringLiteral("Configuration file  :"));
    configField_ = new QLineEdit;
    configField_->setReadOnly(true);
    setColumns(configField_, 20);
    load_ = new QPushButton(QStringLiteral("Load"));
    save_ = new QPushButton(QStringLiteral("Save As"));
    auto* resultsLabel = new QLabel(QStringLiteral("Results file  :"));
    resultsField_ = new QLineEdit(qs(screen_.session().getResultsFileName()));
    setColumns(resultsField_, 20);

    auto place = [this](QWidget* w, int x, int y, int width, Fill fill) {
        constrain(w, x, y, width, 1, fill, Anchor::Center, 1.0, 1.0, 5, 5, 0, 0);
    };
    place(aboutCheck_, 0, 1, 1, Fill::Both);
    place(title, 1, 1, 3, Fill::Horizontal);
    place(configLabel, 0, 2, 1, Fill::Horizontal);
    place(configField_, 1, 2, 1, Fill::Horizontal);
    place(load_, 2, 2, 1, Fill::Horizontal);
    place(save_, 3, 2, 1, Fill::Horizontal);
    place(resultsLabel, 0, 3, 1, Fill::Horizontal);
    place(resultsField_, 1, 3, 1, Fill::Horizontal);

    StartupSettings& model = screen_.session().startup();
    connect(resultsField_, &QLineEdit::textEdited, this,
            [&model](const QString& t) { model.setResultsFileName(t.toStdString()); });
    model.setListener([this, &model](int field) {
        onPageThread([this, &model, field] {
            if (field == StartupSettings::ResultsFileField) {
                showText(resultsField_, model.getResultsFileName());
            } else if (field == StartupSettings::ConfigFileField) {
                showText(configField_, model.getConfigFileName());
            }
        });
    });
    connect(load_, &QPushButton::clicked, this, [this] { openDatabase(); });
    connect(save_, &QPushButton::clicked, this, [this] { saveDatabase(); });
    connect(aboutCheck_, &QCheckBox::clicked, this, [this] { toggleAbout(); });
}

StartupPanel::~StartupPanel() {
    screen_.session().startup().setListener({});
    delete about_.data();
}

std::string StartupPanel::getResultsFileName() const {
    return screen_.session().getResultsFileName();
}

void StartupPanel::openDatabase() {
    const QString name = chooser_->chooseOpen();
    if (name.isEmpty() || !screen_.mayDiscardChanges(QStringLiteral("Load ") + name)) {
        return;
    }
    // A new load replaces what the dialog of the last one said.
    delete loadDialog_.data();
    dovra::LoadFailure failure;
    const std::string path = name.toStdString();
    const bool complete = dovra::openDatabase(screen_.session(), path, &failure);
    configField_->setText(name);
    if (complete) {
        // The monitor and the plots showed a filter of the task before.
        screen_.session().forgetRun();
        screen_.session().console().out("Configuration file loaded: " + path);
    }
    if (!complete) {
        // Not modal to the program's end: the user reads it and goes on. The
        // task is as it was; what could be read is there on request.
        const bool read = failure.line > 0;
        QString text =
            read ? QStringLiteral("%1 was not loaded: it is not a whole design task.\n\nFirst "
                                  "failing item, at line %2:\n%3\n\nThe task is as it was.")
                       .arg(name)
                       .arg(failure.line)
                       .arg(QString::fromStdString(failure.message))
                 : QStringLiteral("%1 could not be loaded.\n\n%2")
                       .arg(name, QString::fromStdString(failure.message));
        loadDialog_ =
            new QMessageBox(QMessageBox::Warning, QStringLiteral("Configuration file not loaded"),
                            text, QMessageBox::Ok, this);
        loadDialog_->setDefaultButton(QMessageBox::Ok);
        if (read) {
            QPushButton* partial = loadDialog_->addButton(QStringLiteral("Load what could be read"),
                                                          QMessageBox::ActionRole);
            connect(partial, &QPushButton::clicked, this, [this, path] {
                dovra::openDatabase(screen_.session(), path, nullptr,
                                    dovra::LoadMode::WhatCouldBeRead);
                screen_.session().forgetRun();
                screen_.notify_of_state();
            });
        }
        loadDialog_->setAttribute(Qt::WA_DeleteOnClose);
        loadDialog_->open();
    }
    // The pages show the tables and values just read.
    screen_.notify_of_state();
}

void StartupPanel::saveDatabase() {
    const QString name = chooser_->chooseSave();
    if (name.isEmpty()) {
        return;
    }
    const std::string path = name.toStdString();
    // The configuration file field keeps the name of the file loaded: it
    // changes only on Load. The message line names the file written.
    if (dovra::saveDatabase(screen_.session(), path)) {
        screen_.session().console().out("Configuration file saved: " + path);
    }
}

void StartupPanel::toggleAbout() {
    if (!aboutShown_) {
        about_ = new AboutScreen(*this, screen_);
        about_->resize(about_->sizeHint());
        about_->show();
        aboutShown_ = true;
    } else {
        delete about_.data();
        aboutShown_ = false;
    }
    aboutCheck_->setChecked(aboutShown_);
}

void StartupPanel::deleteAboutScreen() {
    if (about_) {
        about_->deleteLater();
    }
    about_ = nullptr;
    aboutShown_ = false;
    aboutCheck_->setChecked(false);
}

} // namespace dovra::gui
