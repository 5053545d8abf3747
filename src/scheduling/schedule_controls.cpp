// The handlers of the "Empty Schedule" frame: each change is stored at once.

#include <algorithm>
#include <string>

#include "app/form1.h"
#include "app/product.h"
#include "app/settings.h"
#include "model/interval_count.h"
#include "model/keep_recent.h"

namespace tw {

namespace {

// The picker holds a time of day, not the date it starts with before the load restores it.
// Asked of the value rather than of its text, whose separator is the locale's (some write
// 22.00.00).
bool holdsTime(const controls::TimePicker& picker) {
    return picker.value().time.has_value();
}

}  // namespace

ScheduleMode Form1::chosenMode() const {
    if (Option1.value()) return ScheduleMode::Weekly;
    if (Option2.value()) return ScheduleMode::Daily;
    if (Option3.value()) return ScheduleMode::Every;
    return ScheduleMode::None;
}

void Form1::restartCountdown() {
    SecondsElapsed = 0;
    FindDuration();
}

void Form1::Option1_Click() {
    policy_.mode = chosenMode();
    if (holdsTime(dtpWeekly)) restartCountdown();
    dtpWeekly.setEnabled(true);
    cboWeekly.setEnabled(true);
    storeOptions();
}

void Form1::Option2_Click() {
    policy_.mode = chosenMode();
    if (holdsTime(dtpWeekly)) restartCountdown();
    dtpWeekly.setEnabled(true);
    cboWeekly.setEnabled(false);
    storeOptions();
}

void Form1::Option3_Click() {
    policy_.mode = chosenMode();
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
    policy_.weekday = cboWeekly.listIndex();
    write(keys::kWeekly, cboWeekly.text());
}
void Form1::cboWeekly_Click() {
    cboWeekly_Change();
}

void Form1::dtpWeekly_Change() {
    const DateValue& value = dtpWeekly.value();
    // A picker that holds a date, with or without a time, holds no daily moment.
    policy_.dailyTime = value.date ? std::nullopt : value.time;
    write(keys::kWeeklyTime, pickerText());
    if (policy_.mode == ScheduleMode::Daily && holdsTime(dtpWeekly)) restartCountdown();
}
void Form1::dtpWeekly_Click() {
    dtpWeekly_Change();
}

void Form1::Text11_Change() {
    showCount(Text11, policy_.everyHours);
    write(keys::kText11, Text11.text());
}
void Form1::Text2_Change() {
    showCount(Text2, policy_.everyMinutes);
    write(keys::kText2, Text2.text());
}
void Form1::Text3_Change() {
    showCount(Text3, policy_.everyDays);
    write(keys::kText3, Text3.text());
}
void Form1::Text4_Change() {
    showKeepDays();
    write(keys::kKeepDays, Text4.text());
}

// What the user types counts once the focus leaves the box; what the program puts in, at once.
void Form1::showCount(const controls::TextBox& box, BoxValue<double>& count) {
    count.show(ReadIntervalCount(box.text(), services_.locale.decimalSeparator()),
               Form.focused() == &box);
}
void Form1::takeShownCounts() {
    const std::string sep = services_.locale.decimalSeparator();
    policy_.everyHours.show(ReadIntervalCount(Text11.text(), sep), false);
    policy_.everyMinutes.show(ReadIntervalCount(Text2.text(), sep), false);
    policy_.everyDays.show(ReadIntervalCount(Text3.text(), sep), false);
}
void Form1::showKeepDays() {
    policy_.keep.show(ReadKeepSeconds(Text4.text(), services_.locale.decimalSeparator()),
                      Form.focused() == &Text4);
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
    policy_.everyHours.commit();
}
void Form1::Text2_LostFocus() {
    checkNumericEntry(Text2);
    policy_.everyMinutes.commit();
}
void Form1::Text3_LostFocus() {
    checkNumericEntry(Text3);
    policy_.everyDays.commit();
}
void Form1::Text4_LostFocus() {
    // A count of days: -1 is a number, so the interval boxes' words would not say what is wrong.
    checkNumericEntry(Text4, "Enter a number of days, 0 or more.");
    policy_.keep.commit();
}

void Form1::checkNumericEntry(controls::TextBox& box, const char* warning) {
    // Handing the focus back makes the box it went to lose it in turn; without this guard two
    // boxes holding letters would pass warnings back and forth without end.
    if (checkingEntry_) return;
    if (ReadIntervalCount(box.text(), services_.locale.decimalSeparator())) return;
    checkingEntry_ = true;
    services_.messageBox.show(warning, AppTitle, MsgButtons::Ok, MsgIcon::None);
    Form.setFocus(box);
    checkingEntry_ = false;
}

void Form1::Text2_MouseMove() {
    setDefaultPointerUnlessBusy();
}

}  // namespace tw
