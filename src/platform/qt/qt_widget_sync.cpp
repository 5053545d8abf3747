#include "platform/qt/qt_widget_sync.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <string_view>

#include "platform/qt/qt_frame_box.h"
#include "platform/qt/qt_progress_box.h"
#include "platform/qt/qt_readable_text.h"
#include "platform/qt/qt_units.h"

namespace tw::qt_platform {

namespace {

using namespace tw::controls;

void syncCommon(RenderedControl& r) {
    const Control& c = *r.control;
    QWidget& w = *r.widget;
    if (w.testAttribute(Qt::WA_ForceDisabled) == c.enabled()) w.setEnabled(c.enabled());
    if (w.isHidden() == c.visible()) w.setVisible(c.visible());
    if (w.toolTip() != qs(c.toolTip())) w.setToolTip(qs(c.toolTip()));
    if (r.font != c.font()) {
        r.font = c.font();
        const QFont font = qtFont(c.font());
        if (!(w.font() == font)) w.setFont(font);
    }
    if (paintsBackColor(c.kind())) {
        // Buttons (option buttons, check boxes) fill with the Button role, the rest Window.
        const QPalette::ColorRole role = w.backgroundRole();
        const QColor color = qtColor(c.backColor());
        if (w.palette().color(role) != color) {
            QPalette palette = w.palette();
            palette.setColor(role, color);
            keepTextReadable(palette, color);
            w.setPalette(palette);
        }
        // A control of its container's colour lets the container show through, so that the
        // style's own shading of a frame stays even behind it.
        const bool own = !c.container() || c.container()->backColor() != c.backColor();
        if (w.autoFillBackground() != own) w.setAutoFillBackground(own);
    }
}

void syncOption(RenderedControl& r) {
    const auto& option = static_cast<const OptionButton&>(*r.control);
    auto& radio = static_cast<QRadioButton&>(*r.widget);
    const QSignalBlocker block(&radio);
    if (radio.text() != qs(option.caption())) radio.setText(qs(option.caption()));
    if (radio.isChecked() == option.value()) return;
    // An exclusive group refuses to clear its last checked button; the model may clear all.
    const bool exclusive = r.group && r.group->exclusive();
    if (exclusive && !option.value()) r.group->setExclusive(false);
    radio.setChecked(option.value());
    if (exclusive && !option.value()) r.group->setExclusive(true);
}

void syncCheck(RenderedControl& r) {
    const auto& check = static_cast<const CheckBox&>(*r.control);
    auto& box = static_cast<QCheckBox&>(*r.widget);
    const QSignalBlocker block(&box);
    if (box.text() != qs(check.caption())) box.setText(qs(check.caption()));
    const CheckMark mark = checkMark(check);
    const Qt::CheckState state = mark == CheckMark::Checked ? Qt::Checked
                                 : mark == CheckMark::Grey  ? Qt::PartiallyChecked
                                                            : Qt::Unchecked;
    if (box.checkState() != state) box.setCheckState(state);
    // A user's click only ever checks or clears.
    if (state != Qt::PartiallyChecked && box.isTristate()) box.setTristate(false);
}

void syncText(RenderedControl& r) {
    const auto& text = static_cast<const TextBox&>(*r.control);
    auto& edit = static_cast<QLineEdit&>(*r.widget);
    const QSignalBlocker block(&edit);
    const Qt::Alignment align = text.centred() ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
    if (edit.alignment() != align) edit.setAlignment(align);
    const bool textChanged = edit.text() != qs(text.text());
    if (textChanged) edit.setText(qs(text.text()));
    if (!r.selection.update(text, textChanged)) return;
    const auto [start, end] = selectionShown(text, [](std::string_view utf8) {
        return static_cast<int>(QString::fromUtf8(utf8.data(), std::ssize(utf8)).size());
    });
    if (end > start) {
        edit.setSelection(start, end - start);
    } else {
        edit.setCursorPosition(start);
    }
}

void syncCombo(RenderedControl& r) {
    const auto& combo = static_cast<const ComboBox&>(*r.control);
    auto& box = static_cast<QComboBox&>(*r.widget);
    const QSignalBlocker block(&box);
    const auto& items = combo.items();
    bool same = box.count() == static_cast<int>(items.size());
    for (int i = 0; same && i < box.count(); ++i) {
        same = box.itemText(i) == qs(items[static_cast<std::size_t>(i)]);
    }
    if (!same) {
        box.clear();
        for (const std::string& item : items) box.addItem(qs(item));
    }
    if (box.currentIndex() != combo.listIndex()) box.setCurrentIndex(combo.listIndex());
}

void syncPicker(RenderedControl& r) {
    const auto& picker = static_cast<const TimePicker&>(*r.control);
    auto& edit = static_cast<QTimeEdit&>(*r.widget);
    const QSignalBlocker block(&edit);
    const TimeOfDay t = shownTime(picker);
    const QTime time(t.hour, t.minute, t.second);
    if (time.isValid() && edit.time() != time) edit.setTime(time);
}

void syncProgress(RenderedControl& r) {
    const auto& progress = static_cast<const ProgressBar&>(*r.control);
    auto& bar = static_cast<ProgressBox&>(*r.widget);
    const BarShown shown = barShown(progress);
    bar.setRange(shown.min, shown.max);
    bar.setPosition(shown.position);
}

}  // namespace

void syncControlWidget(RenderedControl& r) {
    syncCommon(r);
    const QString caption = qs(r.control->caption());
    switch (r.control->kind()) {
        case Kind::Frame: {
            static_cast<FrameBox&>(*r.widget).setCaption(caption);
            break;
        }
        case Kind::Label: {
            auto& label = static_cast<QLabel&>(*r.widget);
            if (label.text() != caption) label.setText(caption);
            break;
        }
        case Kind::PushButton: {
            auto& button = static_cast<QPushButton&>(*r.widget);
            if (button.text() != caption) button.setText(caption);
            break;
        }
        case Kind::OptionButton:
            syncOption(r);
            break;
        case Kind::CheckBox:
            syncCheck(r);
            break;
        case Kind::TextBox:
            syncText(r);
            break;
        case Kind::ComboBox:
            syncCombo(r);
            break;
        case Kind::TimePicker:
            syncPicker(r);
            break;
        case Kind::ProgressBar:
            syncProgress(r);
            break;
        case Kind::Window:
        case Kind::Timer:
            break;
    }
}

}  // namespace tw::qt_platform
