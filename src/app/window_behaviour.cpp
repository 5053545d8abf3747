// The window's own behaviour: minimise into the tray, restore, close, help and pointers.

#include "app/form1.h"
#include "app/product.h"
#include "app/settings.h"
#include "runtime/error_trap.h"

namespace tw {

namespace {

constexpr const char* kBalloonText =
    "has been minimized to the system tray.\r\n"
    "Click on the blue 'Q' icon (Q for Quendra) to bring the software back.";

}  // namespace

void Form1::Form_Resize() {
    if (Form.windowState() != controls::WindowState::Minimized || MinimizedToTray) return;
    // Without a notification area a hidden window could never come back: leave it minimised
    // on the task bar instead.
    if (!services_.notificationArea.isAvailable()) return;
    Form.setVisible(false);
    Form.setWindowState(controls::WindowState::Normal);
    MinimizedToTray = true;
    cSysTray1.ShowBalloon(kBalloonText, kProductName, 5, true);
}

void Form1::cSysTray1_MouseUp(std::int16_t, std::int32_t) {
    Form.setVisible(true);
    Form.activate();
    MinimizedToTray = false;
    // What the next empty would do, fresh for the user who came to look.
    MeasureTrash(true);
}

void Form1::ShowRunningCopy() {
    if (Form.windowState() == controls::WindowState::Minimized) {
        Form.setWindowState(controls::WindowState::Normal);
    }
    cSysTray1_MouseUp(0, 0);
}

void Form1::NotificationAreaLost() {
    if (!MinimizedToTray) return;
    MinimizedToTray = false;
    // Minimised first, so that it never flashes up at full size; Resize leaves it on the task
    // bar while there is no notification area.
    Form.setWindowState(controls::WindowState::Minimized);
    Form.setVisible(true);
}

void Form1::Form_QueryUnload() {
    Timer1.setTimerEnabled(false);
    cSysTray1.setInTray(false);
    services_.pump.processEvents();
    services_.pump.processEvents();
    services_.lifetime.endProgram(0);
}

void Form1::Check8_Click() {
    write(keys::kMinimized, Check8.value() == 1 ? "On" : "Off");
}

void Form1::PushButton1_Click() {
    ErrorTrap trap(errorBox(services_.messageBox), "Form1", "PushButton1_Click");
    trap.run(100, [&] {
        services_.messageBox.show(
            std::string("Questions? Please contact Team Quendra at ") + kContactPage, AppTitle,
            MsgButtons::Ok, MsgIcon::None);
    });
}

void Form1::setDefaultPointerUnlessBusy() {
    if (Form.mousePointer() != controls::kPointerHourglass) {
        Form.setMousePointer(controls::kPointerDefault);
    }
}

void Form1::PushButton_MouseMove() {
    if (Form.mousePointer() != controls::kPointerHourglass) {
        Form.setMousePointer(controls::kPointerCustom);
    }
}

void Form1::Frame_MouseMove() {
    setDefaultPointerUnlessBusy();
}
void Form1::Form_MouseMove() {
    setDefaultPointerUnlessBusy();
}

}  // namespace tw
