// The startup page driven by clicks and key strokes: Load and Save As through
// a file chooser double, cancelling, the results file field and the about box.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "gui/support/PinnedFonts.h"
#include "gui/support/QuietOffscreen.h"

#include "panel/FilterRealizationPanel.h"
#include "panel/StartupPanel.h"
#include "screen/AboutScreen.h"
#include "screen/DovraScreen.h"
#include "session/ConfigFile.h"

using dovra::gui::DovraScreen;
using dovra::gui::StartupPanel;

namespace {

// Answers the dialogs with the names it was given; an empty name is a cancel.
class ChooserDouble : public dovra::gui::FileChooser {
  public:
    ChooserDouble(QString open, QString save, int* calls)
        : open_(std::move(open)), save_(std::move(save)), calls_(calls) {}
    QString chooseOpen() override {
        ++*calls_;
        return open_;
    }
    QString chooseSave() override {
        ++*calls_;
        return save_;
    }

  private:
    QString open_;
    QString save_;
    int* calls_;
};

std::string readAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A check box reacts to clicks on its mark and text only, which need not be
// the middle of a box stretched over its cell.
void clickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {},
                      QPoint(box->sizeHint().width() / 2, box->height() / 2));
}

const QString kExample = QStringLiteral(DOVRA_SOURCE_DIR "/examples/allpass-equaliser.cfg");

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

  private:
    std::ostringstream out_;
    std::ostringstream err_;

  private slots:
    void initTestCase() {
        dovra::test::quietOffscreen();
        dovra::test::pinFonts();
    }

    void fieldsStartAsTheyShould() {
        DovraScreen s(out_, err_);
        StartupPanel& p = s.startupPanel();
        QCOMPARE(p.resultsField()->text(), QStringLiteral("Dovra.out"));
        QVERIFY(p.configField()->text().isEmpty());
        QVERIFY(p.configField()->isReadOnly());
        QVERIFY(!p.aboutBox()->isChecked());
        QCOMPARE(p.loadButton()->text(), QStringLiteral("Load"));
        QCOMPARE(p.saveButton()->text(), QStringLiteral("Save As"));
    }

    void resultsFieldReachesTheReport() {
        DovraScreen s(out_, err_);
        s.show();
        QLineEdit* f = s.startupPanel().resultsField();
        f->selectAll();
        QTest::keyClicks(f, "run1.out");
        QCOMPARE(s.startupPanel().getResultsFileName(), std::string("run1.out"));
        QCOMPARE(s.session().getResultsFileName(), std::string("run1.out"));
        // An empty name is kept as typed.
        f->selectAll();
        QTest::keyClick(f, Qt::Key_Delete);
        QCOMPARE(s.session().getResultsFileName(), std::string());
    }

    void loadShowsTheTaskAndItsName() {
        DovraScreen s(out_, err_);
        s.show();
        int calls = 0;
        StartupPanel& p = s.startupPanel();
        p.setFileChooser(std::make_unique<ChooserDouble>(kExample, QString(), &calls));
        QTest::mouseClick(p.loadButton(), Qt::LeftButton);
        QCOMPARE(calls, 1);
        QCOMPARE(p.configField()->text(), kExample);
        QCOMPARE(s.session().magUpper().getSize(), 2);
        QCOMPARE(s.session().ffNumerator().getSize(), 4);
        QCOMPARE(s.session().getNP(), 60);

        // The last run was of another task: its status and check are gone.
        s.session().setStatus("Design successful");
        QTest::mouseClick(p.loadButton(), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(s.session().snapshot().status), QStringLiteral("O.k."));
        QCOMPARE(s.session().snapshot().generation, 0);

        // A change not saved: Load asks, and "No" keeps the task as it is.
        int asked = 0;
        s.setQuestion([&asked](const QString&) {
            ++asked;
            return false;
        });
        s.session().optimization().setNP(45);
        QTest::mouseClick(p.loadButton(), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QCOMPARE(s.session().getNP(), 45);
        QCOMPARE(calls, 3);
    }

    // Made as small as it goes, the window keeps every page's widgets apart:
    // no two visible widgets of a page overlap, and none is cut to nothing.
    void noOverlapAtTheMinimumSize() {
        DovraScreen s(out_, err_);
        s.setExitHandler([](int) {});
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        s.resize(1, 1);
        QTest::qWait(50);
        qInfo("minimum window size %dx%d", s.width(), s.height());
        for (int page = 0; page < 7; ++page) {
            QCoreApplication::processEvents();
            QList<QWidget*> shown;
            for (QWidget* w : s.findChildren<QWidget*>()) {
                const bool leaf = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                                  qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w);
                // Blank labels only give a grid its columns (they lie under
                // the widget that spans them).
                const auto* label = qobject_cast<QLabel*>(w);
                const bool spacer = label && label->text().trimmed().isEmpty() &&
                                    label->objectName() != QLatin1String("messageLine");
                if (leaf && !spacer && w->isVisible() && w->window() == &s) {
                    shown << w;
                }
            }
            for (QWidget* a : shown) {
                const QRect ra(a->mapTo(&s, QPoint(0, 0)), a->size());
                QVERIFY2(a->width() > 4 && a->height() > 4, qPrintable(a->objectName()));
                for (QWidget* b : shown) {
                    const QRect rb(b->mapTo(&s, QPoint(0, 0)), b->size());
                    if (a < b && !a->isAncestorOf(b) && !b->isAncestorOf(a)) {
                        QVERIFY2(!ra.intersects(rb),
                                 qPrintable(QStringLiteral("page %1: %2 \"%3\" and %4 \"%5\"")
                                                .arg(page)
                                                .arg(a->metaObject()->className())
                                                .arg(a->property("text").toString())
                                                .arg(b->metaObject()->className())
                                                .arg(b->property("text").toString())));
                    }
                }
            }
            QTest::mouseClick(s.nextButton(), Qt::LeftButton);
        }
    }

    // Alt+N and Alt+B walk the pages as Next and Back do.
    void keysForNextAndBack() {
        DovraScreen s(out_, err_);
        s.show();
        s.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s));
        QCOMPARE(QString::fromStdString(s.get_state()), QStringLiteral("Idle"));
        QTest::keyClick(&s, Qt::Key_N, Qt::AltModifier);
        QCOMPARE(QString::fromStdString(s.get_state()), QStringLiteral("ConfigureMagnitude"));
        QTest::keyClick(&s, Qt::Key_B, Qt::AltModifier);
        QCOMPARE(QString::fromStdString(s.get_state()), QStringLiteral("Idle"));
        // Back is off on the first page: the key does nothing there.
        QTest::keyClick(&s, Qt::Key_B, Qt::AltModifier);
        QCOMPARE(QString::fromStdString(s.get_state()), QStringLiteral("Idle"));
    }

    // Every example's method is shown in the realization page's choice after
    // Load (the Remez example left it blank when the list had no Remez).
    void loadShowsTheMethodOfEveryExample() {
        const QDir examples(QStringLiteral(DOVRA_SOURCE_DIR "/examples"));
        for (const QString& name : examples.entryList({QStringLiteral("*.cfg")})) {
            DovraScreen s(out_, err_);
            int calls = 0;
            s.startupPanel().setFileChooser(
                std::make_unique<ChooserDouble>(examples.filePath(name), QString(), &calls));
            QTest::mouseClick(s.startupPanel().loadButton(), Qt::LeftButton);
            const QComboBox* choice = s.filterRealizationPanel().designMethodChoice();
            QCOMPARE(choice->currentIndex(), s.session().getDesignIdentifierIdx());
            QVERIFY2(choice->currentText() ==
                         QString::fromStdString(s.session().getDesignIdentifier()),
                     qPrintable(name));
        }
    }

    void cancelledDialogsChangeNothing() {
        QTemporaryDir dir;
        DovraScreen s(out_, err_);
        s.show();
        int calls = 0;
        StartupPanel& p = s.startupPanel();
        p.setFileChooser(std::make_unique<ChooserDouble>(kExample, QString(), &calls));
        QTest::mouseClick(p.loadButton(), Qt::LeftButton);
        const std::string before = readAll(kExample);

        p.setFileChooser(std::make_unique<ChooserDouble>(QString(), QString(), &calls));
        QTest::mouseClick(p.loadButton(), Qt::LeftButton);
        QTest::mouseClick(p.saveButton(), Qt::LeftButton);
        QCOMPARE(calls, 3);
        QCOMPARE(p.configField()->text(), kExample);
        QCOMPARE(s.session().magUpper().getSize(), 2);
        QVERIFY(QDir(dir.path()).isEmpty());
        QCOMPARE(readAll(kExample), before);
    }

    void savedTaskLoadsBackTheSame() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString saved = dir.filePath("task.cfg");
        int calls = 0;
        {
            DovraScreen s(out_, err_);
            s.show();
            StartupPanel& p = s.startupPanel();
            p.setFileChooser(std::make_unique<ChooserDouble>(kExample, saved, &calls));
            QTest::mouseClick(p.loadButton(), Qt::LeftButton);
            QCOMPARE(s.messageLine()->text(),
                     QStringLiteral("Configuration file loaded: ") + kExample);
            QTest::mouseClick(p.saveButton(), Qt::LeftButton);
            // Saving does not change the name of the loaded file; the
            // message line names the file written.
            QCOMPARE(p.configField()->text(), kExample);
            QCOMPARE(s.messageLine()->text(), QStringLiteral("Configuration file saved: ") + saved);
        }
        QVERIFY(QFile::exists(saved));
        DovraScreen t(out_, err_);
        t.show();
        t.startupPanel().setFileChooser(std::make_unique<ChooserDouble>(saved, QString(), &calls));
        QTest::mouseClick(t.startupPanel().loadButton(), Qt::LeftButton);
        QCOMPARE(t.startupPanel().configField()->text(), saved);
        // Saved again, the task is the same file text.
        const QString again = dir.filePath("again.cfg");
        QVERIFY(dovra::saveDatabase(t.session(), again.toStdString()));
        QCOMPARE(readAll(again), readAll(saved));
        QCOMPARE(t.session().ffDenominator().getSize(), 4);
    }

    void missingFileIsReportedAndTheTaskKept() {
        std::ostringstream out;
        DovraScreen t(out, err_);
        t.show();
        int calls = 0;
        StartupPanel& p = t.startupPanel();
        p.setFileChooser(std::make_unique<ChooserDouble>(kExample, QString(), &calls));
        QTest::mouseClick(p.loadButton(), Qt::LeftButton);
        const QString missing = QStringLiteral("/nonexistent/dovra/task.cfg");
        p.setFileChooser(std::make_unique<ChooserDouble>(missing, QString(), &calls));
        QTest::mouseClick(p.loadButton(), Qt::LeftButton);
        QVERIFY(QString::fromStdString(out.str()).contains("FileNotFoundException: " + missing));
        QCOMPARE(t.session().magUpper().getSize(), 2);
    }

    void aboutOpensClosesAndFollowsItsFrame() {
        DovraScreen s(out_, err_);
        s.show();
        StartupPanel& p = s.startupPanel();
        clickBox(p.aboutBox());
        QVERIFY(p.aboutShown());
        QPointer<dovra::gui::AboutScreen> about = p.aboutScreen();
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("About Dovra"));
        QCOMPARE(about->text(), QStringLiteral("Dovra (Dovra) Version 2.4\n"));
        // Cannot be edited, yet black and selectable (not disabled).
        auto* area = about->findChild<QPlainTextEdit*>();
        QVERIFY(area->isReadOnly() && area->isEnabled());
        QVERIFY(area->textInteractionFlags() & Qt::TextSelectableByMouse);
        QVERIFY(p.aboutBox()->isChecked());

        // A second click closes it.
        clickBox(p.aboutBox());
        QVERIFY(!p.aboutShown());
        QVERIFY(!p.aboutBox()->isChecked());
        QTRY_VERIFY(about.isNull());

        // Closed by its frame: the box turns off, the next click opens a new one.
        clickBox(p.aboutBox());
        about = p.aboutScreen();
        QVERIFY(about);
        about->close();
        QVERIFY(!p.aboutShown());
        QVERIFY(!p.aboutBox()->isChecked());
        QTRY_VERIFY(about.isNull());
        clickBox(p.aboutBox());
        QVERIFY(p.aboutShown());
        QVERIFY(p.aboutScreen() != nullptr);

        // Escape closes it as its frame does.
        about = p.aboutScreen();
        about->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(about));
        QTest::keyClick(about, Qt::Key_Escape);
        QTRY_VERIFY(about.isNull());
        QVERIFY(!p.aboutShown() && !p.aboutBox()->isChecked());
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
