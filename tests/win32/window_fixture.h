#pragma once

// Form1 rendered by the Win32 window host on the real system services, except two that a
// test has to see into: the settings (kept in memory, every write recorded) and the message
// boxes (recorded and answered at once, so that no test waits for a click).

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "fakes/memory_journal.h"
#include "fakes/recording_viewer.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_background_empty.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_cursor.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_instance.h"
#include "platform/win32/win32_lifetime.h"
#include "platform/win32/win32_locale.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_notification_area.h"
#include "platform/win32/win32_recycle_bin.h"
#include "platform/win32/win32_skin.h"
#include "platform/win32/win32_start_at_login.h"
#include "platform/win32/win32_window_hook.h"
#include "platform/win32/win32_window_renderer.h"
#include "platform/win32/win32_window_table.h"

namespace tw::win32_test {

class MemorySettings : public SettingsStore {
  public:
    std::optional<std::string> read(const std::string&, const std::string&,
                                    const std::string& key) override {
        const auto found = values.find(key);
        return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    void write(const std::string&, const std::string&, const std::string& key,
               const std::string& value) override {
        values[key] = value;
        writes.emplace_back(key, value);
    }
    // The values written to `key`, in order.
    std::vector<std::string> writesOf(const std::string& key) const {
        std::vector<std::string> out;
        for (const auto& [k, v] : writes) {
            if (k == key) out.push_back(v);
        }
        return out;
    }
    std::map<std::string, std::string> values;
    std::vector<std::pair<std::string, std::string>> writes;
};

class RecordingMessageBox : public MessageBox {
  public:
    MsgAnswer show(const std::string& text, const std::string&, MsgButtons buttons,
                   MsgIcon) override {
        shown.push_back(text);
        return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
    std::vector<std::string> shown;
};

// Handles the waiting messages as the program's loop does, keyboard navigation included.
inline void pump(HWND dialog) {
    MSG msg;
    for (int round = 0; round < 5; ++round) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (dialog && IsDialogMessageA(dialog, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

// The real notification area, which a test can make go away.
class SwitchableNotificationArea : public NotificationArea {
  public:
    explicit SwitchableNotificationArea(NotificationArea& real) : real_(real) {}
    std::int32_t shellNotifyIcon(std::uint32_t message, const ShellRecord& record) override {
        return real_.shellNotifyIcon(message, record);
    }
    bool isAvailable() const override { return available && real_.isAvailable(); }
    bool available = true;

  private:
    NotificationArea& real_;
};

inline int& formsMade() {
    static int count = 0;
    return count;
}

struct RenderedForm {
    // `taskbarCreated` stands in for the notification area's re-adding of its icon; `shell`, when
    // given, for the system's Recycle Bin. The empty runs on a worker thread, as in the program.
    explicit RenderedForm(std::function<void()> taskbarCreated = {},
                          RecycleBinShell* shell = nullptr)
        : backgroundBin(shell ? *shell : recycleBin, pumpService) {
        form = std::make_unique<Form1>(Services{
            clock, pumpService, messageBox, settings, locale, backgroundBin, tray, windowHook,
            startAtLogin, files, instance, skin, cursors, lifetime, journal, viewer});
        win32_platform::WindowRenderer::Options options;
        options.queryUnload = [this] { form->Form_QueryUnload(); };
        options.ended = [this] { return lifetime.ended(); };
        options.tray = {.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated"),
                        .taskbarCreated = std::move(taskbarCreated),
                        .available = [this] { return tray.isAvailable(); },
                        .lost = [this] { form->NotificationAreaLost(); }};
        options.modalBoxes = &realBox.open();
        renderer = std::make_unique<win32_platform::WindowRenderer>(form->Form, std::move(options));
        realBox.setOwner(renderer->hwnd());
        realBox.setAllClosed([this] { renderer->syncInput(); });
        windows.bind(kMainWindowHandle, renderer->hwnd());
        windows.bind(kTrayWindowHandle, renderer->trayHwnd());
        pumpService.setDialogWindow(renderer->hwnd());
    }
    ~RenderedForm() {
        renderer.reset();
        form.reset();
    }

    HWND hwnd() const { return renderer->hwnd(); }
    HWND window(const controls::Control& control) const { return renderer->controlWindow(control); }
    // Loaded and shown as WinMain does, with the window in front so that the focus moves.
    void loadAndShow() {
        form->Form_Load();
        form->Form.setVisible(true);
        pump(hwnd());
        SetForegroundWindow(hwnd());
        pump(hwnd());
    }
    void pumpMessages() const { pump(hwnd()); }

    win32_platform::Win32WindowTable windows;
    win32_platform::Win32Clock clock;
    win32_platform::Win32Locale locale;
    win32_platform::Win32Files files;
    win32_platform::Win32StartAtLogin startAtLogin;
    win32_platform::Win32RecycleBinShell recycleBin{windows};
    win32_platform::Win32Lifetime lifetime;
    win32_platform::Win32EventPump pumpService{&lifetime};
    win32_platform::Win32BackgroundEmptyShell backgroundBin;
    win32_platform::Win32WindowHook windowHook{windows};
    win32_platform::Win32NotificationArea notificationArea{windows};
    SwitchableNotificationArea tray{notificationArea};
    RecordingMessageBox messageBox;
    // A real box, owned by the window, for what the program does behind an open box.
    win32_platform::Win32MessageBox realBox;
    MemorySettings settings;
    // A lock of its own name per form: the forms of one test run are not second copies.
    win32_platform::Win32InstanceLock instance{"Local\\Tidewell.WindowTests." +
                                               std::to_string(++formsMade())};
    win32_platform::Win32NoSkin skin;
    win32_platform::Win32CursorLoader cursors;
    test::MemoryJournal journal;
    test::RecordingViewer viewer;
    std::unique_ptr<Form1> form;
    std::unique_ptr<win32_platform::WindowRenderer> renderer;
};

}  // namespace tw::win32_test
