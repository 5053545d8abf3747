#include "platform/qt/qt_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGroupBox>

#include "platform/qt/qt_units.h"

namespace tw::qt_platform {

namespace {

constexpr const char* kStatusLineProperty = "tidewellStatusLine";

// A frame whose caption is the program's status: a status bar named by its caption. Qt tells
// assistive technology of each new caption (a name change), which screen readers announce
// for a status bar.
class StatusLineAccessible : public QAccessibleWidget {
  public:
    explicit StatusLineAccessible(QGroupBox* frame)
        : QAccessibleWidget(frame, QAccessible::StatusBar) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return static_cast<QGroupBox*>(widget())->title();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* statusLineFactory(const QString&, QObject* object) {
    auto* frame = qobject_cast<QGroupBox*>(object);
    if (!frame || !frame->property(kStatusLineProperty).toBool()) return nullptr;
    return new StatusLineAccessible(frame);
}

}  // namespace

void describeForAssistiveTechnology(QWidget& widget, const controls::Control& control) {
    const QString name = qs(control.accessibleName()).trimmed();
    if (!name.isEmpty()) widget.setAccessibleName(name);
    if (control.announcesCaption() && qobject_cast<QGroupBox*>(&widget)) {
        static const bool installed = [] {
            QAccessible::installFactory(statusLineFactory);
            return true;
        }();
        (void)installed;
        widget.setProperty(kStatusLineProperty, true);
    }
}

}  // namespace tw::qt_platform
