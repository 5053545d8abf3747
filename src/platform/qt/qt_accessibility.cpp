#include "platform/qt/qt_accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
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

// A drop-down list with a name of its own. Qt's own interface for a drop-down list names it by
// its current entry on Linux, so a reader would say "Monday" where the user needs "Weekly:";
// this one gives the name, keeps the entry as the value, and keeps the list and its actions.
class NamedListAccessible : public QAccessibleWidget {
  public:
    explicit NamedListAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return box()->accessibleName();
        if (t == QAccessible::Value) return box()->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == box()->view() ? 0 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction()) return;
        if (box()->view()->isVisible()) {
            box()->hidePopup();
        } else {
            box()->showPopup();
        }
    }

  private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (auto* frame = qobject_cast<QGroupBox*>(object);
        frame && frame->property(kStatusLineProperty).toBool()) {
        return new StatusLineAccessible(frame);
    }
    if (auto* box = qobject_cast<QComboBox*>(object);
        box && !box->isEditable() && !box->accessibleName().isEmpty()) {
        return new NamedListAccessible(box);
    }
    return nullptr;
}

}  // namespace

void describeForAssistiveTechnology(QWidget& widget, const controls::Control& control) {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
    const QString name = qs(control.accessibleName()).trimmed();
    if (!name.isEmpty()) widget.setAccessibleName(name);
    if (control.announcesCaption() && qobject_cast<QGroupBox*>(&widget)) {
        widget.setProperty(kStatusLineProperty, true);
    }
}

}  // namespace tw::qt_platform
