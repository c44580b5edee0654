#include "screen/OffscreenMessages.h"

#include <QString>
#include <QtGlobal>

namespace dovra::gui {

namespace {

QtMessageHandler previous = nullptr;

void filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg &&
        (message.startsWith(QLatin1String("This plugin does not support")) ||
         message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))) {
        return;
    }
    if (previous != nullptr) {
        previous(type, context, message);
    }
}

} // namespace

void quietOffscreenMessages() {
    QtMessageHandler current = qInstallMessageHandler(filter);
    if (current != filter) {
        previous = current;
    }
}

} // namespace dovra::gui
