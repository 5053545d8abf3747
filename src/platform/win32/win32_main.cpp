// Tidewell on Windows: builds the services and the window, runs the load handler, shows the
// window (or leaves it in the tray) and runs the message loop.

#include "platform/win32/win32_api.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/form1.h"
#include "app/product.h"
#include "platform/shared/error_reporter.h"
#include "platform/shared/journal_file.h"
#include "platform/win32/win32_background_empty.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_cursor.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_instance.h"
#include "platform/win32/win32_journal_location.h"
#include "platform/win32/win32_lifetime.h"
#include "platform/win32/win32_locale.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_notification_area.h"
#include "platform/win32/win32_own_file.h"
#include "platform/win32/win32_recycle_bin.h"
#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_settings_store.h"
#include "platform/win32/win32_skin.h"
#include "platform/win32/win32_start_at_login.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_text_viewer.h"
#include "platform/win32/win32_window_hook.h"
#include "platform/win32/win32_window_renderer.h"
#include "platform/win32/win32_window_table.h"

namespace {

void initCommonControls() {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_STANDARD_CLASSES | ICC_DATE_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES;
    InitCommonControlsEx(&classes);
}

// A GUI program has no console: the debugger's output as well as stderr (Wine shows both).
void reportToDebugger(const std::string& description) {
    const std::string line = "Tidewell: " + description + "\n";
    OutputDebugStringA(tw::win32_platform::toAnsi(line).c_str());
    tw::reportToStderr(description);
}

HICON trayIcon() {
    return static_cast<HICON>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(tw::win32_platform::kIconResourceId),
        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace tw;
    using namespace tw::win32_platform;
    // A COM apartment of its own: screen readers receive the controls' names as COM objects.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    initCommonControls();

    Win32WindowTable windows;
    Win32Clock clock;
    Win32Locale locale;
    Win32Files files;
    Win32StartAtLogin startAtLogin;
    Win32Lifetime lifetime;
    Win32EventPump pump(&lifetime);
    Win32RecycleBinShell shell(windows);
    Win32BackgroundEmptyShell recycleBin(shell, pump);
    Win32WindowHook windowHook(windows);
    Win32NotificationArea notificationArea(windows);
    Win32MessageBox messageBox;
    Win32InstanceLock instance;
    Win32NoSkin skin;
    Win32CursorLoader cursors;
    // A handler without an error trap of its own failed: say so and carry on.
    const ErrorReporter report = [&](const std::string& description) {
        reportToDebugger(description);
        guarded({}, [&] {
            messageBox.show(description, kProductName, MsgButtons::Ok, MsgIcon::Warning);
        });
    };
    Win32SettingsStore settings(report);
    Win32OwnFiles ownFiles;
    JournalFile journal(JournalLocation(), ownFiles);
    Win32TextViewer textViewer;

    Form1 form(Services{clock, pump, messageBox, settings, locale, recycleBin, notificationArea,
                        windowHook, startAtLogin, files, instance, skin, cursors, lifetime, journal,
                        textViewer});

    WindowRenderer renderer(
        form.Form,
        {.queryUnload = [&form] { form.Form_QueryUnload(); },
         .customPointer = [&cursors] { return cursors.cursor(); },
         .ended = [&lifetime] { return lifetime.ended(); },
         .reportError = report,
         .tray = {.taskbarCreatedMessage = notificationArea.taskbarCreatedMessage(),
                  .taskbarCreated = [&notificationArea] { notificationArea.onTaskbarCreated(); },
                  .available = [&notificationArea] { return notificationArea.isAvailable(); },
                  .lost = [&form] { form.NotificationAreaLost(); }},
         .showRequests = {.isRequest =
                              [&instance](UINT message, WPARAM wParam) {
                                  return instance.isShowRequest(message, wParam);
                              },
                          .show = [&form] { form.ShowRunningCopy(); }},
         .modalBoxes = &messageBox.open()});
    // The core's handles name these windows from now on; the tray's hook subclasses the real
    // tray window.
    windows.bind(kMainWindowHandle, renderer.hwnd());
    windows.bind(kTrayWindowHandle, renderer.trayHwnd());
    notificationArea.setIcon(kApplicationIconHandle, trayIcon());
    messageBox.setOwner(renderer.hwnd());
    messageBox.setAllClosed([&renderer] { renderer.syncInput(); });
    pump.setDialogWindow(renderer.hwnd());

    guarded(report, [&] { form.Form_Load(); });
    // A second copy ends during the load, before anything is shown (it has asked the running
    // copy to show its window).
    if (lifetime.ended()) return lifetime.exitCode();
    // Showing raises Resize, which sends a window minimised during the load into the tray.
    guarded(report, [&] { form.Form.setVisible(true); });
    if (lifetime.ended()) return lifetime.exitCode();
    return pump.run();
}
