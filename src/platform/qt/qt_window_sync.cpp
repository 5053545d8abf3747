#include "platform/qt/qt_window_sync.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "platform/qt/qt_builtin_pictures.h"
#include "platform/qt/qt_cursor_loader.h"
#include "platform/qt/qt_readable_text.h"
#include "platform/qt/qt_units.h"

namespace tw::qt_platform {

namespace {

QCursor pointerCursor(int pointer, const QtCursorLoader* cursors) {
    if (pointer == controls::kPointerHourglass) return QCursor(Qt::WaitCursor);
    if (pointer == controls::kPointerCustom && cursors && cursors->cursor()) {
        return *cursors->cursor();
    }
    return QCursor(Qt::ArrowCursor);
}

// The window's pointer governs the pointer over every control on it; the ordinary pointer
// gives each control its own back (the text cursor over text fields).
void applyPointer(HostWindow& window, int pointer, const QtCursorLoader* cursors) {
    const QCursor cursor = pointerCursor(pointer, cursors);
    const bool ordinary = pointer == controls::kPointerDefault;
    if (ordinary) {
        window.unsetCursor();
    } else {
        window.setCursor(cursor);
    }
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (!ordinary) {
            child->setCursor(cursor);
        } else if (qobject_cast<QLineEdit*>(child)) {
            child->setCursor(Qt::IBeamCursor);
        } else {
            child->unsetCursor();
        }
    }
}

void centre(HostWindow& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window.move(area.x() + (area.width() - window.width()) / 2,
                area.y() + (area.height() - window.height()) / 2);
}

}  // namespace

void syncWindowLook(const controls::Window& model, HostWindow& window, WindowMirror& mirror,
                    const QtCursorLoader* cursors) {
    if (window.windowTitle() != qs(model.caption())) window.setWindowTitle(qs(model.caption()));
    if (mirror.hasIcon != int(model.hasIcon())) {
        window.setWindowIcon(model.hasIcon() ? applicationIcon() : QIcon());
        mirror.hasIcon = model.hasIcon();
    }
    const QColor background = qtColor(model.backColor());
    if (window.palette().color(QPalette::Window) != background || !window.autoFillBackground()) {
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, background);
        keepTextReadable(palette, background);
        window.setPalette(palette);
        window.setAutoFillBackground(true);
    }
    const QFont font = qtFont(model.font());
    if (!(window.font() == font)) window.setFont(font);
    if (window.testAttribute(Qt::WA_ForceDisabled) == model.enabled()) {
        window.setEnabled(model.enabled());
    }
    if (mirror.pointer != model.mousePointer() ||
        mirror.customPointer != model.hasCustomPointer()) {
        applyPointer(window, model.mousePointer(), cursors);
        mirror.pointer = model.mousePointer();
        mirror.customPointer = model.hasCustomPointer();
    }
}

void syncWindowShown(const controls::Window& model, HostWindow& window, WindowMirror& mirror) {
    const bool minimised = model.windowState() == controls::WindowState::Minimized;
    if (!model.visible()) {
        // The state waits for the next show: on X11, taking the minimised state off a hidden
        // window maps it behind Qt's back (an empty frame that Qt thinks is hidden).
        if (window.isVisible()) window.hide();
        return;
    }
    if (!mirror.placed) {
        centre(window);
        mirror.placed = true;
    }
    if (minimised) {
        if (!window.isVisible() || !window.isMinimized()) window.showMinimized();
    } else if (!window.isVisible() || window.isMinimized()) {
        window.showNormal();
    }
}

}  // namespace tw::qt_platform
