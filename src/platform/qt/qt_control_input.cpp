#include "platform/qt/qt_control_input.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

#include "platform/qt/qt_units.h"

namespace tw::qt_platform {

namespace {

using namespace tw::controls;

// Runs the model's setter, then makes the widget show what the model holds afterwards: a
// handler may have refused or changed the user's value.
template <class Call>
void apply(RenderedControl& r, const ErrorReporter& report, Call&& call) {
    guarded(report, std::forward<Call>(call));
    syncControlWidget(r);
}

}  // namespace

void forwardControlInput(RenderedControl& r, ErrorReporter report) {
    QWidget* w = r.widget;
    switch (r.control->kind()) {
        case Kind::OptionButton:
            QObject::connect(
                static_cast<QRadioButton*>(w), &QRadioButton::toggled, w, [&r, report](bool on) {
                    if (!on) return;  // the one cleared by the group
                    apply(r, report,
                          [&] { static_cast<OptionButton&>(*r.control).setValue(true); });
                });
            break;
        case Kind::CheckBox: {
            auto* box = static_cast<QCheckBox*>(w);
            QObject::connect(box, &QCheckBox::clicked, w, [&r, report, box] {
                const int value = box->checkState() == Qt::Checked            ? 1
                                  : box->checkState() == Qt::PartiallyChecked ? 2
                                                                              : 0;
                apply(r, report, [&] { static_cast<CheckBox&>(*r.control).setValue(value); });
            });
            break;
        }
        case Kind::TextBox:
            QObject::connect(
                static_cast<QLineEdit*>(w), &QLineEdit::textEdited, w,
                [&r, report](const QString& text) {
                    r.selection.userEditing = true;
                    guarded(report, [&] { static_cast<TextBox&>(*r.control).setText(utf8(text)); });
                    r.selection.userEditing = false;
                    syncControlWidget(r);
                });
            break;
        case Kind::ComboBox:
            QObject::connect(
                static_cast<QComboBox*>(w), &QComboBox::activated, w, [&r, report](int index) {
                    apply(r, report,
                          [&] { static_cast<ComboBox&>(*r.control).setListIndex(index); });
                });
            break;
        case Kind::TimePicker:
            QObject::connect(
                static_cast<QTimeEdit*>(w), &QTimeEdit::timeChanged, w, [&r, report](QTime time) {
                    const TimeOfDay t{time.hour(), time.minute(), time.second()};
                    apply(r, report, [&] {
                        static_cast<TimePicker&>(*r.control).setValue(DateValue{std::nullopt, t});
                    });
                });
            break;
        case Kind::PushButton:
            QObject::connect(static_cast<QPushButton*>(w), &QPushButton::clicked, w, [&r, report] {
                guarded(report, [&] { static_cast<PushButton&>(*r.control).click(); });
            });
            break;
        default:
            break;
    }
}

}  // namespace tw::qt_platform
