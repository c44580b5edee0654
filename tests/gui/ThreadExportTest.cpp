// "Export..." on the activity page of the real window: off until a run has
// ended with a filter, then the file and format the dialog gives are written
// (the suffix of the chosen format added to a bare name), the same text the
// core makes from the session's run; a file that cannot be written is said
// on the message line and leaves nothing; a Stop leaves a run to export that
// says it was stopped; a cancelled dialog writes nothing.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "gui/support/PinnedFonts.h"
#include "gui/support/QuietOffscreen.h"

#include "panel/ActivityPanel.h"
#include "panel/StartupPanel.h"
#include "screen/DovraScreen.h"

using dovra::ExportFormat;
using dovra::gui::ActivityPanel;
using dovra::gui::DovraScreen;
using dovra::gui::ExportChoice;

namespace {

constexpr int kRunTimeoutMs = 240000;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Answers the dialog with a choice fixed beforehand (none: cancelled) and
// counts how often it was asked.
class ChooserDouble : public dovra::gui::ExportChooser {
  public:
    ChooserDouble(std::optional<ExportChoice> answer, int* calls)
        : answer_(std::move(answer)), calls_(calls) {}
    std::optional<ExportChoice> chooseExport() override {
        ++*calls_;
        return answer_;
    }

  private:
    std::optional<ExportChoice> answer_;
    int* calls_;
};

const dovra::ExportFormatInfo& infoOf(ExportFormat f) {
    return dovra::exportFormatInfo(f);
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    std::ostringstream out_;
    std::ostringstream err_;

    void loadToReady(DovraScreen& s, const char* example) {
        s.setExitHandler([](int) {});
        s.resize(450, 400);
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        const QString path = QStringLiteral(DOVRA_SOURCE_DIR "/examples/") + example;
        s.startupPanel().setFileChooser(std::make_unique<dovra::gui::NamedFileChooser>(path));
        QTest::mouseClick(s.startupPanel().loadButton(), Qt::LeftButton);
        s.session().setResultsFileName(dir_.filePath(QStringLiteral("results.out")).toStdString());
        s.session().setSeed(3);
        for (int i = 0; i < 6 && s.get_state() != "Ready"; ++i) {
            QTest::mouseClick(s.nextButton(), Qt::LeftButton);
        }
        QCOMPARE(qs(s.get_state()), QStringLiteral("Ready"));
    }

    /// Clicks Export with the dialog answering choice; returns the calls.
    int clickExport(ActivityPanel& a, std::optional<ExportChoice> choice) {
        int calls = 0;
        a.setExportChooser(std::make_unique<ChooserDouble>(std::move(choice), &calls));
        QTest::mouseClick(a.exportButton(), Qt::LeftButton);
        return calls;
    }

  private slots:
    void initTestCase() {
        dovra::test::quietOffscreen();
        dovra::test::pinFonts();
        QVERIFY(dir_.isValid());
    }

    // One name filter per format; the filter chosen gives the format and,
    // for a bare name, the suffix.
    void nameFiltersPickTheFormat() {
        QStringList filters;
        for (const dovra::ExportFormatInfo& f : dovra::exportFormats()) {
            const QString filter = dovra::gui::exportNameFilter(f);
            filters << filter;
            const ExportChoice bare = dovra::gui::exportChoiceFor(QStringLiteral("/x/lp"), filter);
            QCOMPARE(bare.format, f.format);
            QCOMPARE(bare.path, QStringLiteral("/x/lp") + QString::fromUtf8(f.suffix.data()));
            const ExportChoice named =
                dovra::gui::exportChoiceFor(QStringLiteral("/x/lp.txt"), filter);
            QCOMPARE(named.path, QStringLiteral("/x/lp.txt"));
            QCOMPARE(named.format, f.format);
        }
        QCOMPARE(filters.size(), 4);
        QCOMPARE(filters.at(1), QStringLiteral("C header (*.h)"));
        QCOMPARE(filters.removeDuplicates(), 0);
    }

    void exportAfterARun() {
        DovraScreen s(out_, err_);
        loadToReady(s, "butterworth-lowpass.cfg");
        ActivityPanel& a = s.activityPanel();
        QCOMPARE(a.exportButton()->text(), QStringLiteral("Export..."));
        QVERIFY(!a.exportButton()->isEnabled());
        QVERIFY(a.exportButton()->toolTip().contains(QLatin1String("no run to export")));

        QTest::mouseClick(a.startButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(a.exportButton()->isEnabled(), kRunTimeoutMs);
        QCOMPARE(qs(s.get_state()), QStringLiteral("Ready"));

        // A bare name with the C header's filter: "lp.h", the core's text.
        const QString bare = dir_.filePath(QStringLiteral("lp"));
        QCOMPARE(clickExport(a, dovra::gui::exportChoiceFor(
                                    bare, dovra::gui::exportNameFilter(infoOf(ExportFormat::C)))),
                 1);
        const QString header = bare + QStringLiteral(".h");
        std::string error;
        const auto expected = dovra::exportText(ExportFormat::C, s.session().exportInput(),
                                                header.toStdString(), error);
        QVERIFY2(expected.has_value(), error.c_str());
        QCOMPARE(readFile(header), QByteArray::fromStdString(*expected));
        QVERIFY(readFile(header).startsWith("/* lp.h: a filter designed by Dovra."));
        QCOMPARE(s.messageLine()->text(), QStringLiteral("Export written: ") + header);

        // A folder that is not there: said on the message line, no file.
        const QString gone = dir_.filePath(QStringLiteral("gone/lp.json"));
        clickExport(a, ExportChoice{gone, ExportFormat::Json});
        QVERIFY(!QFile::exists(gone));
        QVERIFY2(s.messageLine()->text().startsWith(QStringLiteral("Export not written: ") + gone),
                 qPrintable(s.messageLine()->text()));

        // Cancelled: asked, nothing written.
        const int before = static_cast<int>(QDir(dir_.path()).entryList(QDir::Files).size());
        QCOMPARE(clickExport(a, std::nullopt), 1);
        QCOMPARE(static_cast<int>(QDir(dir_.path()).entryList(QDir::Files).size()), before);
    }

    // A search stopped on its way: Export is on, and the JSON says the run
    // was stopped, never that it succeeded.
    void exportAfterStop() {
        DovraScreen s(out_, err_);
        loadToReady(s, "lowpass.cfg");
        ActivityPanel& a = s.activityPanel();
        // Slowed down, so that the run is still searching when Stop comes.
        s.session().setPassSleep(std::chrono::milliseconds(10));
        QTest::mouseClick(a.startButton(), Qt::LeftButton);
        QVERIFY(!a.exportButton()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(s.session().snapshot().evaluation > 0, kRunTimeoutMs);
        QCOMPARE(a.startButton()->text(), QStringLiteral("Stop"));
        QTest::mouseClick(a.startButton(), Qt::LeftButton);
        QVERIFY(a.exportButton()->isEnabled());

        const QString json = dir_.filePath(QStringLiteral("stopped.json"));
        clickExport(a, ExportChoice{json, ExportFormat::Json});
        const auto j = nlohmann::json::parse(readFile(json).toStdString());
        const std::string status = j["status"];
        if (status != "Design successful") {
            // Unless the search had already met its scheme when Stop came.
            QCOMPARE(qs(status), QStringLiteral("Stopped before the design ended"));
        }
        QCOMPARE(qs(status), qs(s.session().exportInput().snapshot.status));
        QCOMPARE(j["run"]["evaluations"].get<int>(), s.session().snapshot().evaluation);
    }
};

QTEST_MAIN(ExportTest)
#include "ThreadExportTest.moc"
