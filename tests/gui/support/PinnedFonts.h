#pragma once
// The window's fonts ("Helvetica", "Dialog", "Courier") are whatever the
// machine's font configuration gives for those names: DejaVu on a bare
// machine, the URW fonts where fonts-urw-base35 is installed. Tests that read
// painted pixels pin them to the DejaVu files that install-deps installs, so
// that every machine draws the same pixels. Call from initTestCase.

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QtTest>

namespace dovra::test {

inline void pinFonts() {
    const QString dir = QStringLiteral("/usr/share/fonts/truetype/dejavu/");
    for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansMono.ttf",
                             "DejaVuSansMono-Bold.ttf"}) {
        QVERIFY2(QFontDatabase::addApplicationFont(dir + QLatin1String(file)) >= 0,
                 qPrintable(QStringLiteral("font file missing: ") + dir + QLatin1String(file)));
    }
    const QString sans = QStringLiteral("DejaVu Sans");
    const QString mono = QStringLiteral("DejaVu Sans Mono");
    for (const char* family : {"Helvetica", "Dialog", "SansSerif", "Arial"}) {
        QFont::removeSubstitutions(QLatin1String(family));
        QFont::insertSubstitution(QLatin1String(family), sans);
    }
    QFont::removeSubstitutions(QStringLiteral("Courier"));
    QFont::insertSubstitution(QStringLiteral("Courier"), mono);
    QFont standard(sans);
    standard.setPixelSize(12);
    QApplication::setFont(standard);
}

} // namespace dovra::test
