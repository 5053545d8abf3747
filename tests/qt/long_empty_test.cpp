// A long empty of the bins: the window keeps painting the status line and the busy pointer,
// while every handler waits until the empty is over and then runs in its turn.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <chrono>
#include <future>

#include "emptying/mod_clean_up.h"
#include "fakes/fakes.h"
#include "platform/qt/qt_background_empty.h"
#include "platform/qt/qt_handler_gate.h"
#include "platform/qt/qt_window_renderer.h"

namespace tw {
namespace {

// A shell whose empty lasts until the test lets it end; it tells the user-interface thread
// when it has begun.
struct SlowShell : test::FakeRecycleBinShell {
    std::function<void()> onStart;
    std::promise<void> release;
    bool releasedByTheWindow = false;
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath,
                                 std::uint32_t flags) override {
        QMetaObject::invokeMethod(qApp, onStart, Qt::QueuedConnection);
        // Only a user-interface thread left blocked by the empty can miss the release.
        releasedByTheWindow =
            release.get_future().wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        return FakeRecycleBinShell::emptyRecycleBin(owner, rootPath, flags);
    }
};

// The captions that the status frame has painted.
struct PaintLog : QObject {
    std::vector<QString> titles;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            titles.push_back(static_cast<QGroupBox*>(watched)->title());
        return false;
    }
};

TEST(LongEmpty, TheWindowPaintsTheStatusAndBusyPointerWhileHandlersWaitTheirTurn) {
    test::Harness h;
    SlowShell slow;
    slow.drives = {{"/", DriveType::Fixed, 100000}};
    qt_platform::BackgroundEmptyShell shell(slow);
    Form1 form(Services{h.clock, h.pump, h.boxes, h.settings, h.locale, shell, h.tray, h.hook,
                        h.startAtLogin, h.files, h.instance, h.skin, h.cursors, h.lifetime});
    qt_platform::WindowRenderer renderer(form.Form,
                                         {[&] { form.Form_QueryUnload(); }, nullptr, nullptr, {}});
    form.Form_Load();
    form.Form.setVisible(true);
    QApplication::processEvents();
    QWidget& window = renderer.window();
    PaintLog painted;
    renderer.widget(form.Frame2)->installEventFilter(&painted);

    std::vector<QString> paintedDuring;
    Qt::CursorShape pointerDuring = Qt::ArrowCursor;
    std::vector<std::string> order;
    slow.onStart = [&] {
        paintedDuring = painted.titles;
        pointerDuring = window.cursor().shape();
        // A tray notification and a close request from the window manager arrive.
        qt_platform::runHandler(&window, [&] {
            order.push_back(h.lifetime.ended.empty() ? "tray" : "tray after the close");
        });
        QCoreApplication::postEvent(&window, new QCloseEvent);
        QMetaObject::invokeMethod(
            qApp,
            [&] {
                if (!h.lifetime.ended.empty() || !order.empty()) order.push_back("inside");
                slow.release.set_value();
            },
            Qt::QueuedConnection);
    };
    modCleanUp::EmptyTrash(form, true);

    EXPECT_TRUE(slow.releasedByTheWindow);
    EXPECT_NE(std::find(paintedDuring.begin(), paintedDuring.end(),
                        QStringLiteral("Deleting files from Recycling Bin... ")),
              paintedDuring.end());
    EXPECT_EQ(pointerDuring, Qt::WaitCursor);
    EXPECT_EQ(std::count(slow.calls.begin(), slow.calls.end(), "empty all 7"), 1);
    EXPECT_EQ(slow.drives[0].items, 0);
    EXPECT_EQ(form.Frame2.caption(), "Off.");
    EXPECT_TRUE(order.empty()) << "a handler ran inside the empty";
    EXPECT_TRUE(h.lifetime.ended.empty());

    QApplication::processEvents();
    EXPECT_EQ(order, std::vector<std::string>{"tray"});
    EXPECT_EQ(h.lifetime.ended, std::vector<int>{0});
}

}  // namespace
}  // namespace tw
