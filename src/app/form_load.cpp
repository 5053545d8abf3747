// The start-up sequence: refuse a second copy, dress the window, restore every choice.

#include "app/app_title.h"
#include "app/form1.h"
#include "app/product.h"
#include "app/settings.h"
#include "model/interval_count.h"
#include "model/keep_recent.h"
#include "model/trash_limit.h"
#include "runtime/calendar.h"
#include "runtime/error_trap.h"
#include "runtime/errors.h"
#include "runtime/number_text.h"

namespace tw {

std::string Form1::read(const std::string& key, const std::string& defaultValue) {
    return ReadSetting(services_.settings, kMakerName, kProductName, key, defaultValue);
}

std::optional<std::string> Form1::stored(const std::string& key) {
    return services_.settings.read(kMakerName, kProductName, key);
}

void Form1::write(const std::string& key, const std::string& value) {
    WriteSetting(services_.settings, kMakerName, kProductName, key, value);
}

bool Form1::FileExists(const std::string& path) {
    try {
        return services_.files.modificationTime(path).has_value();
    } catch (const std::exception&) {
        return false;
    }
}

void Form1::SetAppTitle() {
    AppTitle = DeriveAppTitle(kProductName);
}

void Form1::ApplySkin() {
    Files& files = services_.files;
    const std::string folder = files.programFolder() + files.separator() + "x";
    if (files.listFiles(folder, "o.cjs").empty()) return;
    Form.setBackColor(controls::kButtonFace);
    for (controls::Control* c : Form.controls()) {
        switch (c->kind()) {
            case controls::Kind::OptionButton:
            case controls::Kind::CheckBox:
            case controls::Kind::Frame:
            case controls::Kind::Label:
                c->setBackColor(controls::kButtonFace);
                break;
            default:
                break;
        }
    }
    SkinEngine& skin = services_.skin;
    skin.loadSkin(folder + files.separator() + "o.cjs", "");
    skin.setApplyOptions(skin.applyOptions() | 1);
    skin.setOption(5, true);
    skin.setOption(10, true);
    skin.applyWindow(Form.handle());
}

// The load's steps share one trap: its report names the procedure and the statement's number.
void Form1::Form_Load() {
    ErrorTrap trap(errorBox(services_.messageBox), "Form1", "Form_Load");
    if (refuseSecondCopy(trap)) return;
    trap.run(104, [&] { Loading = true; });
    dressWindow(trap);
    const std::string state = restoreSwitch(trap);
    restoreStartupOptions(trap);
    const DailyTimeRead daily = restoreSchedule(trap, state == "On");
    Loading = false;
    startRestoredSchedule(trap, state, daily);
    restoreKeepDays(trap);
    restoreTrashLimit(trap);
}

bool Form1::refuseSecondCopy(ErrorTrap& trap) {
    bool anotherCopy = false;
    trap.run(100, [&] { anotherCopy = services_.instance.anotherCopyRunning(); });
    if (anotherCopy) trap.run(102, [&] { services_.lifetime.endProgram(0); });
    return anotherCopy;
}

void Form1::dressWindow(ErrorTrap& trap) {
    trap.run(106, [&] { ApplySkin(); });
    const std::string pointerFile =
        services_.files.programFolder() + services_.files.separator() + "HAND-M.CUR";
    if (!trap.test(108, [&] { return !FileExists(pointerFile); })) {
        trap.run(110, [&] {
            services_.cursors.loadCursor(pointerFile);
            Form.setHasCustomPointer(true);
        });
    }
    trap.run(132, [&] {
        Form.setCaption(kProductName);
        Form.setHasIcon(true);
        SetAppTitle();
    });
}

std::string Form1::restoreSwitch(ErrorTrap& trap) {
    std::string s;
    trap.run(134, [&] { s = read(keys::kStartStopState, "Off"); });
    if (trap.test(136, [&] { return s == "Off"; })) {
        trap.run(138, [&] { PushButton4.setCaption("Turn On"); });
        trap.run(140, [&] { Frame2.setCaption("Off."); });
        trap.run(142, [&] { Timer1.setInterval(0); });
    } else if (trap.test(144, [&] { return s == "On"; })) {
        trap.run(146, [&] { PushButton4.setCaption("Turn Off"); });
        trap.run(148, [&] { Timer1.setInterval(1000); });
    } else {
        // Neither state: the countdown stays stopped, and the status line must not say it runs.
        trap.run(140, [&] { Frame2.setCaption("Off."); });
    }
    return s;
}

void Form1::restoreStartupOptions(ErrorTrap& trap) {
    trap.run(150, [&] { cSysTray1.setTrayTip(kProductName); });
    trap.run(152, [&] { cSysTray1.setInTray(true); });
    trap.run(154, [&] {
        Check4.setValue(read(keys::kWindowsStartup, "Off") == "On" ? 1 : 0);
        if (Check4.value() == 1) keepStartingAtLogin();
    });
    trap.run(156, [&] { Check8.setValue(read(keys::kMinimized, "Off") == "On" ? 1 : 0); });
    if (trap.test(158, [&] { return Check8.value() == 1; })) {
        trap.run(160, [&] { Form.setWindowState(controls::WindowState::Minimized); });
    }
}

// The boxes show what the settings hold, and the policy takes it as in force: a box whose
// text was already there raises no change.
Form1::DailyTimeRead Form1::restoreSchedule(ErrorTrap& trap, bool switchedOn) {
    const std::string sep = services_.locale.decimalSeparator();
    trap.run(162, [&] { Option1.setValue(TextToBool(read(keys::kOption1, "0"), sep)); });
    trap.run(164, [&] { Option2.setValue(TextToBool(read(keys::kOption2, "0"), sep)); });
    trap.run(166, [&] { Option3.setValue(TextToBool(read(keys::kOption3, "1"), sep)); });
    policy_.mode = chosenMode();
    DailyTimeRead daily;
    daily.dailyOn = switchedOn && Option2.value();
    daily.restored = trap.run(168, [&] {
        const auto text = stored(keys::kWeeklyTime);
        std::optional<DateValue> value =
            text ? services_.locale.parseDateTime(*text)
                 : DateValue{std::nullopt, TimeOf(services_.clock.now())};
        // Only the time of day means anything here; a text without one can't be restored. A
        // daily schedule that is on is turned off for want of it below, with a box that says
        // so: the error box would be a second one.
        if (!value || !value->time) {
            if (!daily.dailyOn) throw typeMismatchError();
            value = DateValue{std::nullopt, TimeOf(services_.clock.now())};
        } else {
            daily.read = text.has_value();
        }
        dtpWeekly.setValue(DateValue{std::nullopt, value->time});
    });
    // The box has told that the stored time can't be read. The picker takes the present time,
    // as when none is stored, and its change handler stores that, so the next start is clean.
    if (!daily.restored) {
        trap.run(168, [&] {
            dtpWeekly.setValue(DateValue{std::nullopt, TimeOf(services_.clock.now())});
        });
    }
    trap.run(170, [&] { cboWeekly.setText(read(keys::kWeekly, "Monday")); });
    trap.run(172, [&] { Text11.setText(read(keys::kText11, "0")); });
    trap.run(174, [&] { Text2.setText(read(keys::kText2, "0")); });
    trap.run(176, [&] { Text3.setText(read(keys::kText3, "1")); });
    policy_.weekday = cboWeekly.listIndex();
    const DateValue& picked = dtpWeekly.value();
    policy_.dailyTime = picked.date ? std::nullopt : picked.time;
    takeShownCounts();
    return daily;
}

void Form1::startRestoredSchedule(ErrorTrap& trap, const std::string& state,
                                  const DailyTimeRead& daily) {
    // A daily empty falls at the time the user chose, never at one put in for want of it: such
    // a schedule does not run. The switch is stored as off too, or the next start would take
    // the time now stored for the user's choice.
    if (daily.dailyOn && !daily.read) {
        stopSchedule();
        write(keys::kStartStopState, "Off");
        if (daily.restored) {
            services_.messageBox.show(
                "The time of the daily empty could not be read from the settings, so the "
                "schedule has been turned off. Check the time and turn the schedule on again.",
                AppTitle, MsgButtons::Ok, MsgIcon::Warning);
        }
        return;
    }
    trap.run(178, [&] {
        if (state == "On") {
            SecondsElapsed = 0;
            FindDuration();
        }
    });
    // A restored schedule whose countdown could not be computed does not run; the stored
    // switch is left as the user set it, so the next start tries again.
    if (state == "On" && !countdownReady_) stopSchedule();
}

// The box keeps what it read, so the user sees what is wrong; scheduled empties delete
// nothing while it holds no number of days.
void Form1::restoreKeepDays(ErrorTrap& trap) {
    trap.run(180, [&] {
        Text4.setText(read(keys::kKeepDays, "0"));
        policy_.keep.show(ReadKeepSeconds(Text4.text(), services_.locale.decimalSeparator()),
                          false);
        if (policy_.keep.inForce()) return;
        services_.messageBox.show(
            "The number of days under \"Keep Recent Items\" could not be read from the "
            "settings. Scheduled empties delete nothing until a number of days is entered there.",
            AppTitle, MsgButtons::Ok, MsgIcon::Warning);
    });
}

// As the floor: shown as stored; while it holds no number the Trash is kept to no size.
void Form1::restoreTrashLimit(ErrorTrap& trap) {
    trap.run(182, [&] {
        Text5.setText(read(keys::kMaxTrashGB, "0"));
        policy_.limit.show(ReadLimitBytes(Text5.text(), services_.locale.decimalSeparator()),
                           false);
        if (policy_.limit.inForce()) return;
        services_.messageBox.show(
            "The size under \"Trash Size\" could not be read from the settings. Nothing is "
            "removed for the Trash's size until a number of GB is entered there.",
            AppTitle, MsgButtons::Ok, MsgIcon::Warning);
    });
}

}  // namespace tw
