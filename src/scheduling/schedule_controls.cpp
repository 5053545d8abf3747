// The handlers of the "Empty Schedule" frame: each change is stored at once.

#include <algorithm>
#include <string>

#include "app/form1.h"
#include "app/product.h"
#include "app/settings.h"
#include "scheduling/interval_count.h"
#include "scheduling/keep_recent.h"

namespace tw {

namespace {

// The picker holds a time of day, not the date it starts with before the load restores it.
// Asked of the value rather than of its text, whose separator is the locale's (some write
// 22.00.00).
bool holdsTime(const controls::TimePicker& picker) {
    return picker.value().time.has_value();
}

}  // namespace

void Form1::restartCountdown() {
    SecondsElapsed = 0;
    FindDuration();
}

void Form1::Option1_Click() {
    if (holdsTime(dtpWeekly)) restartCountdown();
    dtpWeekly.setEnabled(true);
    cboWeekly.setEnabled(true);
    storeOptions();
}

void Form1::Option2_Click() {
    if (holdsTime(dtpWeekly)) restartCountdown();
    dtpWeekly.setEnabled(true);
    cboWeekly.setEnabled(false);
    storeOptions();
}

void Form1::Option3_Click() {
    SecondsElapsed = 0;
    dtpWeekly.setEnabled(false);
    cboWeekly.setEnabled(false);
    storeOptions();
}

void Form1::storeOptions() {
    write(keys::kOption1, BoolToText(Option1.value()));
    write(keys::kOption2, BoolToText(Option2.value()));
    write(keys::kOption3, BoolToText(Option3.value()));
}

void Form1::cboWeekly_Change() {
    write(keys::kWeekly, cboWeekly.text());
}
void Form1::cboWeekly_Click() {
    cboWeekly_Change();
}

void Form1::dtpWeekly_Change() {
    write(keys::kWeeklyTime, pickerText());
    if (Option2.value() && holdsTime(dtpWeekly)) restartCountdown();
}
void Form1::dtpWeekly_Click() {
    dtpWeekly_Change();
}

void Form1::Text11_Change() {
    write(keys::kText11, Text11.text());
}
void Form1::Text2_Change() {
    write(keys::kText2, Text2.text());
}
void Form1::Text3_Change() {
    write(keys::kText3, Text3.text());
}
void Form1::Text4_Change() {
    write(keys::kKeepDays, Text4.text());
}

void Form1::Text11_GotFocus() {
    Text11.setSelection(0, static_cast<int>(Text11.text().size()));
}
void Form1::Text2_GotFocus() {
    Text2.setSelection(0, static_cast<int>(Text2.text().size()));
}
void Form1::Text3_GotFocus() {
    Text3.setSelection(0, static_cast<int>(Text3.text().size()));
}
void Form1::Text4_GotFocus() {
    Text4.setSelection(0, static_cast<int>(Text4.text().size()));
}

void Form1::Text11_LostFocus() {
    checkNumericEntry(Text11);
}
void Form1::Text2_LostFocus() {
    checkNumericEntry(Text2);
}
void Form1::Text3_LostFocus() {
    checkNumericEntry(Text3);
}
void Form1::Text4_LostFocus() {
    checkNumericEntry(Text4);
    // Leaving the box puts a number in force; leaving it without one (the warning takes the
    // focus back) changes nothing.
    if (auto seconds = ReadKeepSeconds(Text4.text(), services_.locale.decimalSeparator())) {
        keepSecondsInForce_ = seconds;
    }
}

// Each keystroke is stored, so while the user types, the box may hold half a number: "3" on
// the way to "30", "0" on the way to "0.5". Until the focus leaves the box, a scheduled empty
// keeps at least the floor last in force, and nothing goes where none was.
std::optional<std::int64_t> Form1::ScheduledKeepSeconds() const {
    const std::optional<std::int64_t> typed =
        ReadKeepSeconds(Text4.text(), services_.locale.decimalSeparator());
    if (Form.focused() != &Text4) return typed;
    if (!keepSecondsInForce_ || !typed) return keepSecondsInForce_;
    return std::max(*typed, *keepSecondsInForce_);
}

void Form1::checkNumericEntry(controls::TextBox& box) {
    // Handing the focus back makes the box it went to lose it in turn; without this guard two
    // boxes holding letters would pass warnings back and forth without end.
    if (checkingEntry_) return;
    if (ReadIntervalCount(box.text(), services_.locale.decimalSeparator())) return;
    checkingEntry_ = true;
    services_.messageBox.show("Must be a numeric entry.", AppTitle, MsgButtons::Ok, MsgIcon::None);
    Form.setFocus(box);
    checkingEntry_ = false;
}

void Form1::Text2_MouseMove() {
    setDefaultPointerUnlessBusy();
}

}  // namespace tw
