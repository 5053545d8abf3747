// A long empty of the bins: the window keeps painting the status line and the busy pointer,
// while every handler waits until the empty is over and then runs in its turn.

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "emptying/mod_clean_up.h"
#include "fakes/empty_keeping_nothing.h"
#include "fakes/fakes.h"
#include "platform/win32/win32_handler_gate.h"
#include "tray/c_sys_tray.h"
#include "window_fixture.h"

#include <commctrl.h>

namespace tw {
namespace {

using win32_test::RenderedForm;

// Runs `call` on the user-interface thread when a message posted to it comes up in the queue.
class Mailbox {
  public:
    Mailbox() {
        window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr);
        SetWindowSubclass(window_, &Mailbox::proc, 1, reinterpret_cast<DWORD_PTR>(this));
        // Posted from the worker while the window runs an earlier call: never moved.
        calls_.reserve(16);
    }
    ~Mailbox() { DestroyWindow(window_); }
    HWND hwnd() const { return window_; }
    void post(std::function<void()> call) {
        calls_.push_back(std::move(call));
        PostMessageA(window_, WM_APP, calls_.size() - 1, 0);
    }

  private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) {
        if (message == WM_APP) {
            reinterpret_cast<Mailbox*>(data)->calls_[wParam]();
            return 0;
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }
    HWND window_;
    std::vector<std::function<void()>> calls_;
};

// A shell whose empty lasts until the test lets it end; it tells the user-interface thread
// when it has begun. Its query of a bin lasts until the window has answered a message.
struct SlowShell : test::FakeRecycleBinShell {
    Mailbox* mailbox = nullptr;
    std::function<void()> onStart;
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE answered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool releasedByTheWindow = false;
    bool answeredDuringTheQuery = false;
    ~SlowShell() override {
        CloseHandle(release);
        CloseHandle(answered);
    }
    std::int32_t queryRecycleBin(const std::string& rootPath, RecycleBinQuery& query) override {
        mailbox->post([this] { SetEvent(answered); });
        answeredDuringTheQuery = WaitForSingleObject(answered, 20000) == WAIT_OBJECT_0;
        return FakeRecycleBinShell::queryRecycleBin(rootPath, query);
    }
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath, std::uint32_t flags,
                                 const EmptyOrder& order, EmptyReport& report) override {
        mailbox->post(onStart);
        // Only a user-interface thread left blocked by the empty can miss the release.
        releasedByTheWindow = WaitForSingleObject(release, 20000) == WAIT_OBJECT_0;
        return FakeRecycleBinShell::emptyRecycleBin(owner, rootPath, flags, order, report);
    }
};

constexpr char kEmptying[] = "Deleting files from Recycling Bin... ";

// Whether the status frame has painted the empty's status; such a paint runs
// `onEmptyingPainted` once.
bool emptyingPainted = false;
std::function<void()> onEmptyingPainted;
LRESULT CALLBACK logPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
    if (message == WM_PAINT) {
        char text[256] = {};
        GetWindowTextA(window, text, sizeof text);
        if (std::string(text) == "Deleting files from Recycling Bin... ") {
            emptyingPainted = true;
            if (onEmptyingPainted) std::exchange(onEmptyingPainted, nullptr)();
        }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// The program's side of a tray notification, behind the window hook's trampoline.
std::vector<std::string>* order = nullptr;
const win32_platform::Win32Lifetime* lifetimeSeen = nullptr;
std::int32_t trayProc(WindowHandle, std::uint32_t message, std::uint32_t, std::int32_t) {
    if (message == kTrayCallbackMessage)
        order->push_back(lifetimeSeen->ended() ? "tray after the close" : "tray");
    return 0;
}

TEST(Win32LongEmpty, TheWindowPaintsTheStatusAndBusyPointerWhileHandlersWaitTheirTurn) {
    Mailbox mailbox;
    SlowShell slow;
    slow.mailbox = &mailbox;
    slow.drives = {{"C:\\", DriveType::Fixed, 20000}};
    RenderedForm r({}, &slow);
    r.loadAndShow();
    HWND status = r.window(r.form->Frame2);
    SetWindowSubclass(status, &logPaint, 7, 0);
    RECT frame{};
    GetWindowRect(status, &frame);
    SetCursorPos((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
    // A window of the program's that the tray's notifications reach through the window hook.
    HWND trayWindow =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    constexpr WindowHandle kTestTray = 77;
    r.windows.bind(kTestTray, trayWindow);
    std::vector<std::string> seen;
    order = &seen;
    lifetimeSeen = &r.lifetime;
    ASSERT_NE(r.windowHook.setWindowProc(kTestTray, &trayProc), nullptr);

    HCURSOR pointerDuring = nullptr;
    slow.onStart = [&] {
        pointerDuring = GetCursor();
        // A tray notification, a close request from the window manager and the user's click
        // on "Help" arrive; the empty ends at the status line's next paint, which comes after
        // all of them.
        PostMessageA(trayWindow, kTrayCallbackMessage, 0, WM_LBUTTONUP);
        PostMessageA(r.hwnd(), WM_CLOSE, 0, 0);
        RECT help{};
        GetWindowRect(r.window(r.form->PushButton1), &help);
        SetCursorPos((help.left + help.right) / 2, (help.top + help.bottom) / 2);
        INPUT click[2] = {};
        click[0].type = click[1].type = INPUT_MOUSE;
        click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, click, sizeof(INPUT));
        InvalidateRect(status, nullptr, FALSE);
        onEmptyingPainted = [&] {
            if (r.lifetime.ended() || !seen.empty() || !r.messageBox.shown.empty())
                seen.push_back("inside");
            SetEvent(slow.release);
        };
    };
    modCleanUp::EmptyTrash(*r.form, true);

    // Released only by the status line painted during the empty.
    EXPECT_TRUE(slow.answeredDuringTheQuery) << "the drives were queried on the window's thread";
    EXPECT_TRUE(slow.releasedByTheWindow);
    EXPECT_TRUE(emptyingPainted);
    EXPECT_EQ(pointerDuring, LoadCursorA(nullptr, IDC_WAIT));
    EXPECT_EQ(std::count_if(slow.calls.begin(), slow.calls.end(),
                            [](const std::string& c) { return c.starts_with("empty"); }),
              1);
    EXPECT_EQ(slow.drives[0].items, 0);
    EXPECT_EQ(r.form->Frame2.caption(), "Off.");
    EXPECT_TRUE(seen.empty()) << "a handler ran inside the empty";
    EXPECT_FALSE(r.lifetime.ended());

    r.pumpMessages();
    EXPECT_EQ(seen, std::vector<std::string>{"tray"});
    EXPECT_TRUE(r.lifetime.ended());

    // A quit posted during an empty ends nothing early and is not lost: the program's own loop
    // gets it afterwards. An empty that fails on the worker fails for its caller.
    slow.onStart = [] { PostQuitMessage(3); };
    slow.drives[0].items = 5;
    EXPECT_EQ(test::emptyKeepingNothing(r.backgroundBin, r.form->Form.handle(), "C:\\", 0),
              kShellOk);
    EXPECT_EQ(slow.drives[0].items, 0);
    MSG quit{};
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);
    slow.onStart = [] {};
    slow.throwOnEmpty = true;
    EXPECT_THROW(test::emptyKeepingNothing(r.backgroundBin, r.form->Form.handle(), "C:\\", 0),
                 std::runtime_error);

    r.windowHook.setWindowProc(kTestTray, nullptr);
    RemoveWindowSubclass(status, &logPaint, 7);
    DestroyWindow(trayWindow);
    onEmptyingPainted = nullptr;
    order = nullptr;
}

// A measure of the bins that gives the test its worker thread, whose end comes after the result
// is ready for the program's loop.
struct MeasuringShell : test::FakeRecycleBinShell {
    HANDLE worker = nullptr;
    HANDLE measuring = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ~MeasuringShell() override { CloseHandle(measuring); }
    TrashMeasure measureBins(std::int64_t keepSeconds) override {
        worker = OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId());
        SetEvent(measuring);
        return FakeRecycleBinShell::measureBins(keepSeconds);
    }
};

TEST(Win32Measure, TheResultComesFromTheProgramsLoopInItsTurnAndNeverAfterTheEnd) {
    using win32_platform::Win32BackgroundEmptyShell;
    Mailbox mailbox;
    MeasuringShell bin;
    bin.measureToGive.oldItems = 7;
    win32_platform::Win32Lifetime lifetime;
    std::vector<std::string> seen;
    const auto measure = [&](Win32BackgroundEmptyShell& shell, std::int64_t keepSeconds) {
        shell.measureBinsLater(keepSeconds, [&](const TrashMeasure& m) {
            seen.push_back("measure " + std::to_string(m.oldItems));
            PostQuitMessage(0);
        });
        ASSERT_EQ(WaitForSingleObject(bin.measuring, 20000), WAIT_OBJECT_0);
        ASSERT_EQ(WaitForSingleObject(bin.worker, 20000), WAIT_OBJECT_0);
        CloseHandle(bin.worker);
    };
    // The program's loop, running `handler` first.
    const auto run = [&](const std::function<void(Win32BackgroundEmptyShell&,
                                                  win32_platform::Win32EventPump&)>& handler) {
        win32_platform::Win32EventPump loop(&lifetime);
        Win32BackgroundEmptyShell shell(bin, loop);
        mailbox.post([&] { handler(shell, loop); });
        loop.run();
    };
    // Measured while a handler pumps (DoEvents): handed over once it has returned.
    run([&](Win32BackgroundEmptyShell& shell, win32_platform::Win32EventPump& loop) {
        measure(shell, 60);
        loop.waitForEvents(1.0);
        seen.push_back("handler");
    });
    // Measured during an empty, with a call waiting at the gate: handed over after that call.
    run([&](Win32BackgroundEmptyShell& shell, win32_platform::Win32EventPump& loop) {
        const GateHold empty(win32_platform::handlerGate());
        win32_platform::handlerGate().run(&seen, [&] { seen.push_back("waiting call"); });
        measure(shell, 0);
        loop.processEvents();
    });
    EXPECT_EQ(seen,
              (std::vector<std::string>{"handler", "measure 7", "waiting call", "measure 7"}));
    EXPECT_EQ(bin.measureKeepSeconds, (std::vector<std::int64_t>{60, 0}));

    // Measured as the program ends: never handed over.
    run([&](Win32BackgroundEmptyShell& shell, win32_platform::Win32EventPump&) {
        measure(shell, 0);
        lifetime.endProgram(0);
    });
    EXPECT_EQ(seen.size(), 4u);
}

// Help is open when a scheduled empty runs behind it: the window must not take input again
// (a second box could open over Help) until Help has closed.
TEST(Win32LongEmpty, AnOpenBoxKeepsTheWindowWaitingAcrossAScheduledEmpty) {
    Mailbox mailbox;
    test::FakeRecycleBinShell bin;
    bin.drives = {{"C:\\", DriveType::Fixed, 3}};
    RenderedForm r({}, &bin);
    r.loadAndShow();
    constexpr char kTitle[] = "Help under test";
    bool takesInputUnderTheBox = true;
    bool takesInputAfterTheEmpty = true;
    mailbox.post([&] {
        takesInputUnderTheBox = IsWindowEnabled(r.hwnd()) != FALSE;
        modCleanUp::EmptyTrash(*r.form, true);
        takesInputAfterTheEmpty = IsWindowEnabled(r.hwnd()) != FALSE;
        PostMessageA(FindWindowA(nullptr, kTitle), WM_COMMAND, IDOK, 0);
    });
    r.realBox.show("Help", kTitle, MsgButtons::Ok, MsgIcon::None);

    EXPECT_EQ(bin.drives[0].items, 0) << "the scheduled empty did not run under the box";
    EXPECT_FALSE(takesInputUnderTheBox);
    EXPECT_FALSE(takesInputAfterTheEmpty) << "the empty gave the window back its input";
    EXPECT_TRUE(IsWindowEnabled(r.hwnd()));
}

}  // namespace
}  // namespace tw
