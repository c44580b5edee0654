#include "gui/support/QuietOffscreen.h"

#include <QString>
#include <QtGlobal>

namespace dovra::test {

namespace {

QtMessageHandler previous = nullptr;

void filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support"))) {
        return;
    }
    if (previous != nullptr) {
        previous(type, context, message);
    }
}

} // namespace

void quietOffscreen() {
    QtMessageHandler current = qInstallMessageHandler(filter);
    if (current != filter) {
        previous = current;
    }
}

} // namespace dovra::test
