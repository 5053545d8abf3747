#pragma once

// Form1: the program's one window. It owns the controls, the countdown state and one member
// function per handler; each subsystem folder defines the handlers it owns.

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "app/error_box.h"
#include "model/empty_cause.h"
#include "model/empty_policy.h"
#include "platform/controls/controls.h"
#include "platform/services/clock.h"
#include "platform/services/cursor.h"
#include "platform/services/event_pump.h"
#include "platform/services/files.h"
#include "platform/services/instance.h"
#include "platform/services/journal.h"
#include "platform/services/lifetime.h"
#include "platform/services/locale.h"
#include "platform/services/message_box.h"
#include "platform/services/notification_area.h"
#include "platform/services/recycle_bin_shell.h"
#include "platform/services/settings_store.h"
#include "platform/services/skin.h"
#include "platform/services/start_at_login.h"
#include "platform/services/text_viewer.h"
#include "platform/services/window_hook.h"
#include "tray/c_sys_tray.h"

namespace tw {

// Everything the window needs from the host, handed in by main() or by a test.
struct Services {
    Clock& clock;
    EventPump& pump;
    MessageBox& messageBox;
    SettingsStore& settings;
    Locale& locale;
    RecycleBinShell& recycleBin;
    NotificationArea& notificationArea;
    WindowHook& windowHook;
    StartAtLogin& startAtLogin;
    Files& files;
    InstanceLock& instance;
    SkinEngine& skin;
    CursorLoader& cursors;
    Lifetime& lifetime;
    Journal& journal;
    TextViewer& textViewer;
};

class Form1 {
  public:
    explicit Form1(Services services);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    Services& services() { return services_; }
    // What scheduled empties may do, as last committed in the window.
    const EmptyPolicy& policy() const { return policy_; }

    // --- The window and its controls, in the order the window creates them. ---
    controls::Window Form;
    controls::Frame Frame4;
    controls::OptionButton Option1;
    controls::ComboBox cboWeekly;
    controls::OptionButton Option2;
    controls::OptionButton Option3;
    controls::TextBox Text11;
    controls::TextBox Text2;
    controls::TextBox Text3;
    controls::TimePicker dtpWeekly;
    controls::Label Label5;
    controls::Label Label4;
    controls::Label Label3;
    controls::PushButton PushButton1;
    controls::Frame Frame3;
    controls::CheckBox Check4;
    controls::CheckBox Check8;
    controls::Frame Frame2;
    controls::ProgressBar ProgressBar1;
    controls::PushButton PushButton4;
    controls::PushButton PushButton2;
    controls::Frame Frame5;
    controls::Label Label6;
    controls::TextBox Text4;
    controls::Label Label7;
    controls::PushButton PushButton5;
    controls::Frame Frame6;
    controls::Label Label8;
    controls::TextBox Text5;
    controls::Label Label9;
    controls::Timer Timer1;
    cSysTray cSysTray1;

    // --- Countdown state. ---
    std::int32_t SecondsToNextEmpty = 0;
    std::int32_t SecondsElapsed = 0;
    bool Loading = false;
    bool MinimizedToTray = false;
    std::string AppTitle;

    // --- Scheduling (scheduling/). ---
    void FindDuration();
    void Timer1_Timer();
    void UpdateProgress(std::int32_t total, std::int32_t elapsed);
    void PushButton4_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void cboWeekly_Change();
    void cboWeekly_Click();
    void dtpWeekly_Change();
    void dtpWeekly_Click();
    void Text11_Change();
    void Text2_Change();
    void Text3_Change();
    void Text11_GotFocus();
    void Text2_GotFocus();
    void Text3_GotFocus();
    void Text11_LostFocus();
    void Text2_LostFocus();
    void Text3_LostFocus();
    void Text2_MouseMove();
    // The "Keep Recent Items" box: days of deletions that scheduled empties keep.
    void Text4_Change();
    void Text4_GotFocus();
    void Text4_LostFocus();
    // The text of the time picker's value, as the date-to-text conversion gives it.
    std::string pickerText() const;

    // --- Emptying (emptying/). ---
    // The empty the countdown ran down to: no box, the floor of the policy.
    void EmptyOnSchedule();
    // "Trash Size": the limit's box; and, while the schedule runs, the Trash measured away from
    // the window's thread at start and every 10 minutes (each tick asks; `now` forces one, as
    // when the window is shown), its oldest items removed when it holds more than the limit.
    void Text5_Change();
    void Text5_GotFocus();
    void Text5_LostFocus();
    void MeasureTrash(bool now = false, bool mayPurge = true);
    void TrashMeasured(const TrashMeasure& measure, std::int64_t keepSeconds, bool mayPurge);
    // The schedule went off: no preview, and a measure at once when it is on again.
    void StopMeasuringTrash();
    void PushButton2_Click();
    // "Show Journal": the journal of empties in the desktop's viewer, or where it will be.
    void PushButton5_Click();
    // After a scheduled empty: a failure (empty for none) is told without a box, in the
    // status line's tooltip and, the first time of its kind, in a balloon at the tray icon.
    void TellScheduledEmpty(const std::string& failure,
                            const char* what = "The scheduled empty failed: ");
    // The status line's tooltip: the last failure's text, when there is one, a Trash that
    // can't be kept under its size, then what the next scheduled empty would do.
    void ShowStatusTip();
    // A journal that can't be written (`trouble` says why; empty when it was) is told once per
    // run: in a box after an asked empty; after a scheduled one in a balloon at the tray icon,
    // unless none can be shown or the empty's own failure has it, and then after the next.
    void TellJournalTrouble(const std::string& trouble, bool Silent, bool emptied);
    // Writes the empty begun at `began` to the journal; empties in a row that found nothing
    // share one line. Never raises: returns why it could not be written, or nothing.
    std::string JournalEmpty(const LocalDateTime& began, EmptyCause cause, const EmptyOrder& order,
                             const EmptyReport& report, bool emptied, const std::string& failure);

    // --- Window and lifecycle (app/). ---
    void Form_Load();
    void Form_Resize();
    void Form_QueryUnload();
    void Form_MouseMove();
    void cSysTray1_MouseUp(std::int16_t Button, std::int32_t Id);
    void Check8_Click();
    void PushButton1_Click();
    void PushButton_MouseMove();
    void Frame_MouseMove();
    void ApplySkin();
    void SetAppTitle();
    bool FileExists(const std::string& path);
    // Asked by the host: a second launch shows this copy's window, as a click on the tray icon
    // does, restoring it from the task bar too; a notification area that went away while the
    // window hid behind its icon gives the window back, minimised on the task bar.
    void ShowRunningCopy();
    void NotificationAreaLost();

    // --- Start at login (startup/). ---
    void Check4_Click();

  private:
    // The load's steps, in order. Each is handed the load's trap.
    struct DailyTimeRead {
        bool dailyOn = false;   // the switch is on with "Daily:" chosen
        bool restored = false;  // the picker took a time without an error box
        bool read = false;      // ... and it is the stored one, not the present time
    };
    bool refuseSecondCopy(ErrorTrap& trap);
    void dressWindow(ErrorTrap& trap);
    std::string restoreSwitch(ErrorTrap& trap);
    void restoreStartupOptions(ErrorTrap& trap);
    DailyTimeRead restoreSchedule(ErrorTrap& trap, bool switchedOn);
    void startRestoredSchedule(ErrorTrap& trap, const std::string& state,
                               const DailyTimeRead& daily);
    void restoreKeepDays(ErrorTrap& trap);
    void restoreTrashLimit(ErrorTrap& trap);

    // The constructor's steps, in order: the window as the designer made it.
    void readTrayProperties();
    void setCaptions();
    void setFontsAndAlignment();
    void nameBoxesForAssistiveTechnology();
    void setDesignState();
    void addControls();
    void connectHandlers();

    // The settings of this program: application "Quendra", section "Tidewell".
    std::string read(const std::string& key, const std::string& defaultValue);
    // The stored text, or nothing when the key holds none.
    std::optional<std::string> stored(const std::string& key);
    void write(const std::string& key, const std::string& value);
    void storeOptions();
    // The schedule's option buttons as a mode; and a box's text as shown in the policy.
    ScheduleMode chosenMode() const;
    void showCount(const controls::TextBox& box, BoxValue<double>& count);
    void showKeepDays();
    void showTrashLimit();
    // The interval boxes' counts as shown are in force, numbers or not.
    void takeShownCounts();
    void restartCountdown();
    // The switch falls to off: a schedule whose countdown could not be computed must not run.
    void stopSchedule();
    void checkNumericEntry(controls::TextBox& box,
                           const char* warning = "Must be a numeric entry.");
    // Start at login (startup/): whether an entry starts a copy of this program that is still
    // there; at load, make it so for a ticked box; after a failure, say so and show the box
    // as it really is.
    bool startsAtLogin();
    void keepStartingAtLogin();
    void showStartAtLoginAsItIs(bool wanted, const std::string& error);
    void setDefaultPointerUnlessBusy();

    Services services_;
    // True once FindDuration has computed the countdown of the present schedule; false from
    // the start of each computation until it succeeds. No tick counts or empties without it.
    bool countdownReady_ = false;
    // Boot-clock reading that the countdown has been credited up to, and the timer serial it
    // belongs to; see Timer1_Timer.
    double tickAnchor_ = 0;
    unsigned tickSerial_ = 0;
    bool tickAnchored_ = false;
    // Set while a numeric-entry warning is up, so that the box that the focus passes to does
    // not start a warning of its own.
    bool checkingEntry_ = false;
    EmptyPolicy policy_;
    // The kinds of failure of scheduled empties told since the last one that went well.
    std::set<std::string> emptyFailuresTold_;
    bool journalTroubleTold_ = false;
    // The empties in a row, up to the last, that found nothing, and when the first began.
    std::uint64_t journalNothingRun_ = 0;
    LocalDateTime journalNothingSince_{};
    // The Trash's measure while the schedule runs.
    struct SizeWatch {
        std::optional<double> askedAt;  // boot clock, when the last measure was asked for
        bool measuring = false;
        // Told when the items too recent to remove alone pass the limit; once, in a balloon.
        std::string pastLimit;
        bool pastLimitTold = false;
        std::string preview;  // what the next scheduled empty would do
    };
    SizeWatch sizeWatch_;
    std::string statusFailure_;  // the status line's tooltip before the preview
    // Set while the start-up box is put back to match what is registered.
    bool syncingStartup_ = false;
};

}  // namespace tw
