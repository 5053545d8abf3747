#include "platform/qt/qt_control_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

#include "platform/qt/qt_frame_box.h"
#include "platform/qt/qt_progress_box.h"
#include "platform/qt/qt_units.h"

namespace tw::qt_platform {

namespace {

// Drops the time-zone field ("t", "tt", ...) of a QLocale time format, outside quotes.
QString withoutTimeZone(const QString& format) {
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) continue;
        out += c;
    }
    return out.simplified();
}

QWidget* newWidget(const controls::Control& control, QWidget* parent) {
    using controls::Kind;
    switch (control.kind()) {
        case Kind::Frame:
            return new FrameBox(parent);
        case Kind::Label: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case Kind::OptionButton:
            return new QRadioButton(parent);
        case Kind::CheckBox:
            return new QCheckBox(parent);
        case Kind::TextBox:
            return new QLineEdit(parent);
        case Kind::ComboBox: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(false);
            return combo;
        }
        case Kind::TimePicker: {
            auto* picker = new QTimeEdit(parent);
            picker->setDisplayFormat(pickerDisplayFormat());
            return picker;
        }
        case Kind::PushButton: {
            auto* button = new QPushButton(parent);
            button->setAutoDefault(false);
            return button;
        }
        case Kind::ProgressBar: {
            auto* bar = new ProgressBox(parent);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            return bar;
        }
        case Kind::Window:
        case Kind::Timer:
            break;
    }
    return nullptr;
}

}  // namespace

QString pickerDisplayFormat() {
    const QString format = withoutTimeZone(QLocale::system().timeFormat(QLocale::LongFormat));
    const bool complete = format.contains(QLatin1Char('h'), Qt::CaseInsensitive) &&
                          format.contains(QLatin1Char('m')) && format.contains(QLatin1Char('s'));
    return complete ? format : QStringLiteral("HH:mm:ss");
}

QWidget* createControlWidget(const controls::Control& control, QWidget* parent) {
    QWidget* widget = newWidget(control, parent);
    if (!widget) return nullptr;
    widget->setObjectName(qs(control.name()));
    widget->setGeometry(pixelRect(control.geometry()));
    // Every control reports the pointer moving over it; the model decides who reacts. A move
    // that a control ignores must not reach its frame or the window behind it.
    widget->setMouseTracking(true);
    widget->setAttribute(Qt::WA_NoMousePropagation);
    return widget;
}

}  // namespace tw::qt_platform
