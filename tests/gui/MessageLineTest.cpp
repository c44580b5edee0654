// The window says what the console says: the message line at the bottom shows
// the latest line the session wrote for the user (errors in red), and a file
// that did not load completely brings up a dialog naming its first failing item.

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "gui/support/PinnedFonts.h"
#include "gui/support/QuietOffscreen.h"

#include "panel/StartupPanel.h"
#include "report/PrintOut.h"
#include "screen/DovraScreen.h"
#include "session/ConfigFile.h"

using dovra::gui::DovraScreen;

class MessageLineTest : public QObject {
    Q_OBJECT

  private:
    std::ostringstream out_;
    std::ostringstream err_;

  private slots:
    void initTestCase() {
        dovra::test::quietOffscreen();
        dovra::test::pinFonts();
    }

    // A value replaced on loading, and one replaced without a console line:
    // both name their field.
    void replacedFieldIsShownWithItsName() {
        DovraScreen s(out_, err_);
        s.show();
        s.session().setDesignIdentifierIdx(9);
        QCOMPARE(s.messageLine()->text(),
                 QStringLiteral("Warning! design method index 9 out of range (0 to 7), using 0"));
        QVERIFY(!s.messageIsError());
        s.session().setNP(5);
        QCOMPARE(s.session().getNP(), 10);
        QCOMPARE(s.messageLine()->text(),
                 QStringLiteral("Warning! population size 5 out of range (10 to 1000), using 10"));
    }

    void garbageFileBringsUpADialog() {
        QTemporaryDir dir;
        const QString garbage = dir.filePath("garbage.cfg");
        std::ofstream(garbage.toStdString()) << "this is\nnot a task\n";
        DovraScreen s(out_, err_);
        s.show();
        QVERIFY(dovra::openDatabase(s.session(), DOVRA_SOURCE_DIR "/examples/lowpass.cfg"));
        dovra::gui::StartupPanel& p = s.startupPanel();
        p.setFileChooser(std::make_unique<dovra::gui::NamedFileChooser>(garbage));
        QTest::mouseClick(p.loadButton(), Qt::LeftButton);

        // The message line and the dialog name the same first item and line;
        // the task is as it was.
        QVERIFY(s.messageIsError());
        QVERIFY(s.messageLine()->styleSheet().contains("#c00000"));
        QCOMPARE(s.messageLine()->text(),
                 QStringLiteral("Configuration file not loaded: line 1: NumberFormatException in "
                                "upper magnitude section: For input string: \"this is\"; the task "
                                "is as it was"));
        QCOMPARE(s.session().magUpper().getSize(), 4);
        QMessageBox* box = p.loadDialog();
        QVERIFY(box != nullptr);
        QVERIFY(box->isVisible());
        QVERIFY(box->text().startsWith(garbage + " was not loaded"));
        QVERIFY(box->text().contains(
            "First failing item, at line 1:\nNumberFormatException in upper magnitude section: "
            "For input string: \"this is\""));
        // What could be read is a second choice, never the default.
        QAbstractButton* partial = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == QStringLiteral("Load what could be read")) {
                partial = b;
            }
        }
        QVERIFY(partial != nullptr);
        QVERIFY(box->defaultButton() != partial);
        partial->click();
        QCOMPARE(s.session().magUpper().getSize(), 0);
        QCOMPARE(s.messageLine()->text().left(34),
                 QStringLiteral("Configuration file loaded in part:"));

        // A complete file brings up none. What was read in part is a task
        // no file holds: loading over it asks first.
        int asked = 0;
        s.setQuestion([&](const QString& text) {
            ++asked;
            return text.contains(QLatin1String("Load ")) && text.endsWith("lose them?");
        });
        p.setFileChooser(std::make_unique<dovra::gui::NamedFileChooser>(
            QStringLiteral(DOVRA_SOURCE_DIR "/examples/lowpass.cfg")));
        QTest::mouseClick(p.loadButton(), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QVERIFY(p.loadDialog() == nullptr);
        QCOMPARE(s.session().magUpper().getSize(), 4);
        // Loaded, it is saved: the next load asks nothing.
        QTest::mouseClick(p.loadButton(), Qt::LeftButton);
        QCOMPARE(asked, 1);
    }

    void unwritableResultsFileIsShownInRed() {
        DovraScreen s(out_, err_);
        s.show();
        s.session().setResultsFileName("/dev/full");
        QVERIFY(!s.session().printOut().printResult(s.session().reportInput()));
        QCOMPARE(
            s.messageLine()->text(),
            QStringLiteral(
                "Results file not written: /dev/full (cannot write: No space left on device)"));
        QVERIFY(s.messageIsError());

        QTemporaryDir dir;
        const std::string written = dir.filePath("run.out").toStdString();
        s.session().setResultsFileName(written);
        QVERIFY(s.session().printOut().printResult(s.session().reportInput()));
        QCOMPARE(s.messageLine()->text(),
                 QString::fromStdString("Results file written: " + written));
        QVERIFY(!s.messageIsError());
    }
};

QTEST_MAIN(MessageLineTest)
#include "MessageLineTest.moc"
