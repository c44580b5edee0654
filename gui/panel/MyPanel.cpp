#include "panel/MyPanel.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QLineEdit>
#include <QMetaObject>
#include <QThread>
#include <cmath>

namespace dovra::gui {

MyPanel::MyPanel(QWidget* parent) : QWidget(parent), grid_(makeGrid(this)) {}

void MyPanel::constrain(QWidget* component, int gridx, int gridy, int gridwidth, int gridheight,
                        Fill fill, Anchor anchor, double weightx, double weighty, int top, int left,
                        int bottom, int right) {
    gui::constrain(*grid_, component, gridx, gridy, gridwidth, gridheight, fill, anchor, weightx,
                   weighty, top, left, bottom, right);
}

double MyPanel::remove_artifact(double x) {
    return std::floor(x * 1e10) * 1e-10;
}

void MyPanel::onPageThread(std::function<void()> f) {
    if (QThread::currentThread() == thread()) {
        f();
    } else {
        QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
    }
}

void MyPanel::showText(QLineEdit* field, const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (field->text() != t) {
        field->setText(t);
    }
}

void MyPanel::setColumns(QLineEdit* field, int columns) {
    const QFontMetrics fm(field->font());
    field->setMinimumWidth(columns * fm.horizontalAdvance(QLatin1Char('0')) + 12);
}

} // namespace dovra::gui
