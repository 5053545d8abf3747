// A long empty of the bins: the window keeps painting the status line and the busy pointer,
// while every handler waits until the empty is over and then runs in its turn.

#include <gtest/gtest.h>

#include <private/qguiapplication_p.h>
#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QGroupBox>
#include <QWindow>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <utility>

#include "emptying/mod_clean_up.h"
#include "fakes/empty_keeping_nothing.h"
#include "fakes/fakes.h"
#include "platform/qt/qt_background_empty.h"
#include "platform/qt/qt_handler_gate.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_window_renderer.h"

namespace tw {
namespace {

// A shell whose empty lasts until the test lets it end; it tells the user-interface thread
// when it has begun. Its query of a bin lasts until the window has answered a call.
struct SlowShell : test::FakeRecycleBinShell {
    std::function<void()> onStart;
    std::promise<void> release;
    bool answeredDuringTheQuery = true;
    std::int32_t queryRecycleBin(const std::string& rootPath, RecycleBinQuery& query) override {
        std::promise<void> answered;
        QMetaObject::invokeMethod(
            qApp, [&] { answered.set_value(); }, Qt::QueuedConnection);
        answeredDuringTheQuery =
            answeredDuringTheQuery &&
            answered.get_future().wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        return FakeRecycleBinShell::queryRecycleBin(rootPath, query);
    }
    void endNextEmptyAtOnce() {
        release = {};
        release.set_value();
    }
    bool releasedByTheWindow = false;
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath, std::uint32_t flags,
                                 const EmptyOrder& order, EmptyReport& report) override {
        QMetaObject::invokeMethod(qApp, onStart, Qt::QueuedConnection);
        // Only a user-interface thread left blocked by the empty can miss the release.
        releasedByTheWindow =
            release.get_future().wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        return FakeRecycleBinShell::emptyRecycleBin(owner, rootPath, flags, order, report);
    }
};

// The captions that the status frame has painted; `next` runs after the next paint.
struct PaintLog : QObject {
    std::vector<QString> titles;
    std::function<void()> next;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            titles.push_back(static_cast<QGroupBox*>(watched)->title());
            if (next)
                QMetaObject::invokeMethod(qApp, std::exchange(next, {}), Qt::QueuedConnection);
        }
        return false;
    }
};

// Key presses as the application delivers them (to each object on their way), and whether
// one came while handlers were held.
struct KeyLog : QObject {
    int presses = 0;
    bool servedWhileHeld = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            ++presses;
            servedWhileHeld = servedWhileHeld || qt_platform::handlersHeld();
        }
        return false;
    }
};

// The window on the fakes, its bin behind the host's background shell: loaded and shown.
struct ShownForm {
    explicit ShownForm(RecycleBinShell& bin)
        : shell(bin),
          form(Services{h.clock, h.pump, h.boxes, h.settings, h.locale, shell, h.tray, h.hook,
                        h.startAtLogin, h.files, h.instance, h.skin, h.cursors, h.lifetime,
                        h.journal, h.viewer}),
          renderer(form.Form, {[this] { form.Form_QueryUnload(); }, nullptr, nullptr, {}}) {
        form.Form_Load();
        form.Form.setVisible(true);
        QApplication::processEvents();
    }
    test::Harness h;
    qt_platform::BackgroundEmptyShell shell;
    Form1 form;
    qt_platform::WindowRenderer renderer;
};

TEST(LongEmpty, TheWindowPaintsTheStatusAndBusyPointerWhileHandlersWaitTheirTurn) {
    SlowShell slow;
    slow.drives = {{"/", DriveType::Fixed, 100000}};
    ShownForm shown(slow);
    auto& [h, shell, form, renderer] = shown;
    QWidget& window = renderer.window();
    PaintLog painted;
    renderer.widget(form.Frame2)->installEventFilter(&painted);

    KeyLog keys;
    qApp->installEventFilter(&keys);

    std::vector<QString> paintedDuring;
    Qt::CursorShape pointerDuring = Qt::ArrowCursor;
    bool shownAfterTheClose = false;
    std::vector<std::string> order;
    auto record = [&](const std::string& name) {
        return [&order, name, &h] {
            order.push_back(h.lifetime.ended.empty() ? name : name + " after the close");
        };
    };
    slow.onStart = [&] {
        pointerDuring = window.cursor().shape();
        // The user presses a key (one that changes nothing); a tray notification and a call for
        // an object gone before its turn arrive.
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window.windowHandle(), QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
        qt_platform::runHandler(&window, record("tray"));
        auto* gone = new QObject;
        qt_platform::runHandler(gone, record("gone"));
        delete gone;
        // Once the status line has been painted, the window manager minimises the window and
        // asks it to close, a second tray notification arrives, and the empty ends.
        auto later = [&] {
            paintedDuring = painted.titles;
            window.setWindowState(Qt::WindowMinimized);
            QMetaObject::invokeMethod(
                qApp, [&] { window.windowHandle()->close(); }, Qt::QueuedConnection);
            QMetaObject::invokeMethod(
                qApp,
                [&] {
                    qt_platform::runHandler(&window, record("second tray"));
                    shownAfterTheClose = window.isVisible();
                    if (!h.lifetime.ended.empty() || !order.empty() || form.MinimizedToTray) {
                        order.push_back("inside");
                    }
                    slow.release.set_value();
                },
                Qt::QueuedConnection);
        };
        if (painted.titles.empty()) {
            painted.next = later;
        } else {
            QMetaObject::invokeMethod(qApp, later, Qt::QueuedConnection);
        }
    };
    painted.titles.clear();
    modCleanUp::EmptyTrash(form, true);

    EXPECT_TRUE(slow.answeredDuringTheQuery) << "the drives were queried on the window's thread";
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
    EXPECT_TRUE(shownAfterTheClose) << "the close request did not wait for the empty";
    EXPECT_FALSE(keys.servedWhileHeld) << "the user's input was served during the empty";

    // Before the held calls have had their turn, a handler empties a second bin, and a new
    // call arrives after that: the held calls run neither inside that empty nor behind the
    // new call.
    bool heldRanInsideTheSecond = true;
    slow.onStart = [&] { heldRanInsideTheSecond = !order.empty(); };
    slow.endNextEmptyAtOnce();
    test::emptyKeepingNothing(shell, form.Form.handle(), "/", 0);
    EXPECT_FALSE(heldRanInsideTheSecond);
    qt_platform::runHandler(&window, record("new"));

    QApplication::processEvents();
    EXPECT_EQ(order, (std::vector<std::string>{"tray", "second tray after the close",
                                               "new after the close"}));
    EXPECT_EQ(h.lifetime.ended, std::vector<int>{0});
    EXPECT_GT(keys.presses, 0) << "the key press was served after the empty";

    // A call held by an empty runs once it is over, with nothing else arriving.
    slow.onStart = [&] { qt_platform::runHandler(&window, record("last")); };
    slow.endNextEmptyAtOnce();
    test::emptyKeepingNothing(shell, form.Form.handle(), "/", 0);
    QApplication::processEvents();
    EXPECT_EQ(order.back(), "last after the close");

    // An empty that fails on the worker fails for its caller, and holds nothing after it.
    slow.onStart = [] {};
    slow.throwOnEmpty = true;
    slow.endNextEmptyAtOnce();
    EXPECT_THROW(test::emptyKeepingNothing(shell, form.Form.handle(), "/", 0), std::runtime_error);
    EXPECT_FALSE(qt_platform::handlersHeld());
    qApp->removeEventFilter(&keys);
}

// Help is open when a scheduled empty runs behind it: the window must not take input again
// (a second box could open over Help) until Help has closed.
TEST(LongEmpty, AnOpenBoxKeepsTheWindowWaitingAcrossAScheduledEmpty) {
    test::FakeRecycleBinShell bin;
    bin.drives = {{"/", DriveType::Fixed, 3}};
    ShownForm shown(bin);
    auto& [h, shell, form, renderer] = shown;
    QWindow* window = renderer.window().windowHandle();
    auto blocked = [&] { return QGuiApplicationPrivate::instance()->isWindowBlocked(window); };
    qt_platform::QtMessageBox help;
    help.setOwner(&renderer.window());
    bool blockedUnderTheBox = false;
    bool blockedAfterTheEmpty = false;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            blockedUnderTheBox = blocked();
            modCleanUp::EmptyTrash(form, true);
            blockedAfterTheEmpty = blocked();
            if (QWidget* box = QApplication::activeModalWidget()) box->close();
        },
        Qt::QueuedConnection);
    help.show("Help", "Help", MsgButtons::Ok, MsgIcon::None);

    EXPECT_EQ(bin.drives[0].items, 0) << "the scheduled empty did not run under the box";
    EXPECT_TRUE(blockedUnderTheBox);
    EXPECT_TRUE(blockedAfterTheEmpty) << "the empty gave the window back its input";
    EXPECT_FALSE(blocked());
}

// A shell whose measure lasts until the test lets it end, and tells on which thread it ran.
struct SlowMeasureShell : test::FakeRecycleBinShell {
    std::promise<void> release;
    std::thread::id ranOn;
    TrashMeasure measureBins(std::int64_t keepSeconds) override {
        ranOn = std::this_thread::get_id();
        release.get_future().wait();
        return FakeRecycleBinShell::measureBins(keepSeconds);
    }
};

// Counts the queued calls the application delivers: a result posted from a worker is one.
struct QueuedCalls : QObject {
    int seen = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        seen += event->type() == QEvent::MetaCall;
        return false;
    }
    // Serves events until one more queued call has been delivered.
    void serveOne() {
        const int before = seen;
        while (seen == before) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
};

// The measure's result arrives on the window's thread, behind the calls that an empty held
// and never inside it; never once the shell is gone or the event loop is over.
TEST(LongEmpty, AMeasureRunsAwayAndArrivesAsAHandlerInItsTurn) {
    SlowMeasureShell slow;
    slow.measureToGive.oldBytes = 42;
    QueuedCalls queued;
    qApp->installEventFilter(&queued);
    QObject window;
    std::vector<std::string> order;
    auto shell = std::make_unique<qt_platform::BackgroundEmptyShell>(slow);
    const auto measure = [&](std::int64_t keepSeconds, bool release) {
        slow.release = {};
        shell->measureBinsLater(keepSeconds, [&](const TrashMeasure& m) {
            order.push_back("measure " + std::to_string(m.oldBytes) +
                            (qt_platform::handlersHeld() ? " inside" : ""));
        });
        if (release) slow.release.set_value();
    };
    {
        const qt_platform::HandlerHold emptying;
        qt_platform::runHandler(&window, [&] { order.push_back("tray"); });
        measure(7, true);
        queued.serveOne();
        EXPECT_TRUE(order.empty()) << "a handler ran inside the empty";
    }
    QApplication::processEvents();
    EXPECT_EQ(order, (std::vector<std::string>{"tray", "measure 42"}));
    EXPECT_NE(slow.ranOn, std::this_thread::get_id());
    EXPECT_EQ(slow.measureKeepSeconds, std::vector<std::int64_t>{7});

    // Gone before its result had its turn: the result is dropped.
    measure(0, true);
    shell.reset();
    QApplication::processEvents();
    EXPECT_EQ(order.size(), 2u);

    // The event loop ends while a measure runs: its result is never handed over.
    shell = std::make_unique<qt_platform::BackgroundEmptyShell>(slow);
    measure(0, false);
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    QApplication::exec();
    slow.release.set_value();
    queued.serveOne();
    QApplication::processEvents();
    EXPECT_EQ(order.size(), 2u);
    qApp->removeEventFilter(&queued);
}

}  // namespace
}  // namespace tw
