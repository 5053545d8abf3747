#include "platform/qt/qt_lifetime.h"

#include <QApplication>
#include <QWidget>

namespace tw::qt_platform {

void QtLifetime::endProgram(int exitCode) {
    if (ended_) return;
    ended_ = true;
    exitCode_ = exitCode;
    // hide(), not close(): closing would ask the window's close handler again.
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    QCoreApplication::exit(exitCode);
}

}  // namespace tw::qt_platform
