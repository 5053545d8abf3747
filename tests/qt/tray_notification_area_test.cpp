#include <gtest/gtest.h>

#include <QColor>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <vector>

#include "platform/qt/qt_notification_area.h"
#include "platform/shared/window_table.h"
#include "tray/c_sys_tray.h"
#include "tray/shell_record.h"

namespace tw::qt_platform {
namespace {

constexpr WindowHandle kWindow = 2;

struct Received {
    WindowHandle window;
    std::uint32_t message;
    std::uint32_t wParam;
    std::int32_t lParam;
    bool operator==(const Received&) const = default;
};

std::vector<Received> g_received;
std::function<void(std::int32_t)> g_onNotification;

std::int32_t RecordingProc(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                           std::int32_t lParam) {
    g_received.push_back({window, message, wParam, lParam});
    if (g_onNotification) g_onNotification(lParam);
    return 0;
}

std::vector<std::int32_t> codes() {
    std::vector<std::int32_t> out;
    for (const Received& r : g_received) out.push_back(r.lParam);
    return out;
}

class QtTray : public ::testing::Test {
  protected:
    void SetUp() override {
        g_received.clear();
        g_onNotification = nullptr;
        windows.setWindowProc(kWindow, &RecordingProc);
    }
    void TearDown() override { g_onNotification = nullptr; }

    std::int32_t send(std::uint32_t message, const ShellRecordFields& fields) {
        return area.shellNotifyIcon(message, encodeShellRecord(fields));
    }
    void addIcon(std::optional<std::uint32_t> icon = kApplicationIconHandle) {
        ASSERT_EQ(send(kNimAdd, addIconRecord(kWindow, 0, icon, "Tidewell")), 1);
    }
    QSystemTrayIcon* tray() const { return area.trayIcon(kWindow, 0); }
    // Handles events until `done` holds; the deadline only keeps a broken build from hanging.
    bool processUntil(const std::function<bool()>& done) {
        QDeadlineTimer deadline(20000);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return done();
    }
    void processPending() { QCoreApplication::processEvents(); }

    WindowTable windows;
    QtNotificationArea area{windows};
};

TEST_F(QtTray, RecordsAddChangeAndDeleteTheIcon) {
    addIcon();
    ASSERT_NE(tray(), nullptr);
    EXPECT_TRUE(tray()->isVisible());
    EXPECT_EQ(tray()->toolTip(), "Tidewell");
    // The program's icon: a blue Q on light cyan, from the resources.
    const QImage image = tray()->icon().pixmap(16, 16).toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.pixelColor(0, 0).green(), 200);
    EXPECT_GT(image.pixelColor(0, 0).blue(), 200);

    EXPECT_EQ(send(kNimModify, modifyTipRecord(kWindow, 0, "Z\xC3\xBCrich")), 1);
    EXPECT_EQ(tray()->toolTip(), QString::fromUtf8("Z\xC3\xBCrich"));

    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    const std::uint32_t handle = area.registerIcon(QIcon(QPixmap::fromImage(red)));
    EXPECT_EQ(send(kNimModify, modifyIconRecord(kWindow, 0, handle)), 1);
    EXPECT_EQ(tray()->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
    // An unknown handle shows an empty slot rather than no icon at all.
    EXPECT_EQ(send(kNimModify, modifyIconRecord(kWindow, 0, 999)), 1);
    EXPECT_FALSE(tray()->icon().isNull());

    EXPECT_EQ(send(kNimDelete, deleteIconRecord(kWindow, 0)), 1);
    EXPECT_EQ(tray(), nullptr);
}

TEST_F(QtTray, RefusesWhatTheShellRefuses) {
    EXPECT_EQ(send(kNimModify, modifyTipRecord(kWindow, 0, "x")), 0);
    EXPECT_EQ(send(kNimDelete, deleteIconRecord(kWindow, 0)), 0);
    addIcon();
    EXPECT_EQ(send(kNimAdd, addIconRecord(kWindow, 0, 1, "again")), 0);
    EXPECT_EQ(tray()->toolTip(), "Tidewell");
    ShellRecordFields small = modifyTipRecord(kWindow, 0, "x");
    small.cbSize = 88;
    EXPECT_EQ(send(kNimModify, small), 0);
    EXPECT_EQ(area.shellNotifyIcon(7, encodeShellRecord(modifyTipRecord(kWindow, 0, "x"))), 0);
    EXPECT_EQ(tray()->toolTip(), "Tidewell");
}

TEST_F(QtTray, ClicksBecomeTheShellsCodesDeliveredLaterInOrder) {
    addIcon();
    emit tray()->activated(QSystemTrayIcon::Trigger);
    emit tray()->activated(QSystemTrayIcon::Context);
    emit tray()->activated(QSystemTrayIcon::DoubleClick);
    emit tray()->activated(QSystemTrayIcon::MiddleClick);
    emit tray()->activated(QSystemTrayIcon::Unknown);
    EXPECT_TRUE(g_received.empty());  // never inside Qt's own signal
    processPending();
    EXPECT_EQ(codes(),
              (std::vector<std::int32_t>{0x201, 0x202, 0x204, 0x205, 0x203, 0x207, 0x208}));
    for (const Received& r : g_received) {
        EXPECT_EQ(r.window, kWindow);
        EXPECT_EQ(r.message, kTrayCallbackMessage);
        EXPECT_EQ(r.wParam, 0u);
    }
}

TEST_F(QtTray, NotificationsForADeletedIconAreDropped) {
    addIcon();
    // The handler of the button-down takes the icon out: its button-up is not delivered.
    g_onNotification = [this](std::int32_t code) {
        if (code == 0x201) send(kNimDelete, deleteIconRecord(kWindow, 0));
    };
    emit tray()->activated(QSystemTrayIcon::Trigger);
    processPending();
    EXPECT_EQ(codes(), std::vector<std::int32_t>{0x201});

    // Queued for the old icon, not delivered to a new one with the same identity.
    g_onNotification = nullptr;
    g_received.clear();
    addIcon();
    emit tray()->activated(QSystemTrayIcon::Context);
    send(kNimDelete, deleteIconRecord(kWindow, 0));
    addIcon();
    processPending();
    EXPECT_TRUE(g_received.empty());
}

TEST_F(QtTray, AnIconAddedWithoutCallbackMessageStaysSilent) {
    ShellRecordFields fields = addIconRecord(kWindow, 0, 1, "quiet");
    fields.uFlags &= ~kNifMessage;
    fields.uCallbackMessage = 0;
    ASSERT_EQ(send(kNimAdd, fields), 1);
    emit tray()->activated(QSystemTrayIcon::Trigger);
    processPending();
    EXPECT_TRUE(g_received.empty());
}

TEST_F(QtTray, BalloonRunsOutItsTimeThenReportsTimeout) {
    addIcon();
    EXPECT_EQ(send(kNimModify, balloonRecord(kWindow, 0, "has been minimized", "Tidewell", 30)), 1);
    const QtNotificationArea::Balloon shown = area.balloon(kWindow, 0);
    EXPECT_TRUE(shown.showing);
    EXPECT_EQ(shown.title, "Tidewell");
    EXPECT_EQ(shown.text, "has been minimized");
    EXPECT_EQ(shown.timeoutMs, 30);

    ASSERT_TRUE(processUntil([] { return !g_received.empty(); }));
    EXPECT_EQ(codes(), std::vector<std::int32_t>{0x404});
    EXPECT_FALSE(area.balloon(kWindow, 0).showing);

    // Without a time of its own the balloon gets the shell's default.
    send(kNimModify, balloonRecord(kWindow, 0, "text", "title", 0));
    EXPECT_EQ(area.balloon(kWindow, 0).timeoutMs, 10000);
}

TEST_F(QtTray, ClickOnTheBalloonReportsTheClickOnce) {
    addIcon();
    send(kNimModify, balloonRecord(kWindow, 0, "text", "Tidewell", 60000));
    emit tray()->messageClicked();
    emit tray()->messageClicked();  // the balloon is gone; a late click is not reported
    processPending();
    EXPECT_EQ(codes(), std::vector<std::int32_t>{0x405});
}

TEST_F(QtTray, ClearingTheBalloonStopsItsTimer) {
    addIcon();
    send(kNimModify, balloonRecord(kWindow, 0, "text", "Tidewell", 40));
    const ShellRecordFields cleared =
        clearedBalloonRecord(balloonRecord(kWindow, 0, "text", "Tidewell", 40));
    EXPECT_EQ(send(kNimModify, cleared), 1);
    EXPECT_FALSE(area.balloon(kWindow, 0).showing);

    // Well past the cleared balloon's time, nothing has been reported. (Timers fire in the
    // order of their deadlines, so this does not depend on the machine's speed.)
    bool later = false;
    QTimer::singleShot(300, [&later] { later = true; });
    ASSERT_TRUE(processUntil([&later] { return later; }));
    EXPECT_TRUE(g_received.empty());
}

}  // namespace
}  // namespace tw::qt_platform
