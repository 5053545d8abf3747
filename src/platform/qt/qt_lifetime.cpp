#include "platform/qt/qt_lifetime.h"

#include <QApplication>
#include <QWidget>

namespace tw::qt_platform {

void QtLifetime::endHost(int exitCode) {
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    QCoreApplication::exit(exitCode);
}

}  // namespace tw::qt_platform
