// Tidewell on the Linux desktop: builds the services and the window, runs the load handler,
// shows the window (or leaves it in the tray) and runs the event loop.

#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>

#include "app/form1.h"
#include "app/product.h"
#include "platform/linux/autostart_file.h"
#include "platform/linux/journal_location.h"
#include "platform/linux/locale_formats.h"
#include "platform/linux/own_file.h"
#include "platform/linux/program_files.h"
#include "platform/linux/system_clock.h"
#include "platform/linux/trash_shell.h"
#include "platform/qt/qt_background_empty.h"
#include "platform/qt/qt_cursor_loader.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_handler_gate.h"
#include "platform/qt/qt_instance_lock.h"
#include "platform/qt/qt_lifetime.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_notification_area.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_skin_engine.h"
#include "platform/qt/qt_text_viewer.h"
#include "platform/qt/qt_tray_watch.h"
#include "platform/qt/qt_window_renderer.h"
#include "platform/shared/error_reporter.h"
#include "platform/shared/journal_file.h"
#include "platform/shared/window_table.h"

#if defined(__SANITIZE_ADDRESS__)
// The D-Bus library keeps its connection data until the process ends; not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
#endif

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Without a display Qt would only print its own plugin errors and abort.
bool haveDisplay() {
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tw;
    if (!haveDisplay()) {
        std::fputs(
            "Tidewell needs a graphical desktop: neither DISPLAY nor WAYLAND_DISPLAY is set.\n"
            "To try it without one, run it on a virtual X server (Xvfb): xvfb-run -a tidewell\n",
            stderr);
        return 1;
    }
    QApplication app(argc, argv);
    // Closing the window hides nothing away: the program ends through its close handler,
    // and a window hidden in the tray is not a reason to quit.
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(QStringLiteral("tidewell"));

    linux_platform::LinuxClock clock;
    linux_platform::LinuxLocale locale;
    linux_platform::LinuxFiles files;
    linux_platform::AutostartFile startAtLogin;
    linux_platform::LinuxRecycleBinShell trash;
    qt_platform::BackgroundEmptyShell recycleBin(trash);
    WindowTable windowHook;
    qt_platform::QtNotificationArea notificationArea(windowHook);
    qt_platform::QtLifetime lifetime;
    qt_platform::QtEventPump pump(&lifetime);
    qt_platform::QtMessageBox messageBox;
    // A settings file that can't be used or saved is told in a box, once.
    qt_platform::QtSettingsStore settings([&](const std::string& message) {
        guarded({},
                [&] { messageBox.show(message, kProductName, MsgButtons::Ok, MsgIcon::Warning); });
    });
    qt_platform::QtInstanceLock instance;
    qt_platform::QtSkinEngine skin;
    qt_platform::QtCursorLoader cursors;
    linux_platform::LinuxOwnFiles ownFiles;
    JournalFile journal(linux_platform::JournalLocation(), ownFiles);
    qt_platform::QtTextViewer textViewer;

    Form1 form(Services{clock, pump, messageBox, settings, locale, recycleBin, notificationArea,
                        windowHook, startAtLogin, files, instance, skin, cursors, lifetime, journal,
                        textViewer});

    // A handler without an error trap of its own failed: say so and carry on.
    const ErrorReporter report = [&](const std::string& description) {
        reportToStderr(description);
        guarded({}, [&] {
            messageBox.show(description, kProductName, MsgButtons::Ok, MsgIcon::Warning);
        });
    };
    qt_platform::WindowRenderer renderer(
        form.Form, {[&form] { form.Form_QueryUnload(); }, &cursors, &lifetime, report});
    messageBox.setOwner(&renderer.window());
    skin.attach(form.Form.handle(), &renderer.window());
    // The window can't be lost: a second launch shows it, and so does losing the tray.
    const auto asHandler = [&](void (Form1::*handler)()) {
        return [&, handler] { guarded(report, [&] { (form.*handler)(); }); };
    };
    instance.onShowRequest = [&, show = asHandler(&Form1::ShowRunningCopy)] {
        qt_platform::runHandler(&renderer.window(), show);
    };
    qt_platform::TrayWatch trayWatch(
        renderer.window(), [&] { return notificationArea.isAvailable(); },
        asHandler(&Form1::NotificationAreaLost));

    // Logging off or shutting down is a close request like the close box.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&](QSessionManager&) {
        qt_platform::runHandler(&app, [&] {
            if (!lifetime.ended()) guarded(report, [&] { form.Form_QueryUnload(); });
        });
    });

    guarded(report, [&] { form.Form_Load(); });
    // A second copy ends during the load, before anything is shown.
    if (lifetime.ended()) return lifetime.exitCode();
    // Showing raises Resize, which sends a window minimised during the load into the tray.
    guarded(report, [&] { form.Form.setVisible(true); });
    if (lifetime.ended()) return lifetime.exitCode();
    return QApplication::exec();
}
