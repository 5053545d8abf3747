// Message boxes answered by a helper thread that finds the box and presses its button.

#include <gtest/gtest.h>

#include <memory>

#include "platform/win32/win32_message_box.h"
#include "services_test_window.h"

namespace tw::win32_platform {
namespace {

using win32_test::Helper;
using win32_test::TestWindow;

struct Pressed {
    HWND box = nullptr;
    HWND owner = nullptr;
    bool visible = false;
    std::wstring text;
};

std::wstring staticText(HWND box) {
    std::wstring text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (lstrcmpiW(className, L"Static") != 0) continue;
        wchar_t buffer[512] = {};
        GetWindowTextW(child, buffer, 512);
        text += buffer;
    }
    return text;
}

// Finds the box with `title` on `thread` and presses the button `id` as a user would. A box
// that stays invisible is answered all the same after a while, so that the test ends.
std::function<bool()> press(DWORD thread, const std::string& title, int id, Pressed& seen) {
    auto invisibleTries = std::make_shared<int>(0);
    return [=, &seen] {
        const HWND box = win32_test::findThreadWindow(thread, "#32770", title);
        if (box == nullptr) return false;
        if (!IsWindowVisible(box) && ++*invisibleTries < 40) return false;
        seen.box = box;
        seen.owner = GetWindow(box, GW_OWNER);
        seen.visible = IsWindowVisible(box) != FALSE;
        seen.text = staticText(box);
        const HWND button = GetDlgItem(box, id);
        if (button == nullptr) return false;
        SendMessageA(button, BM_CLICK, 0, 0);
        return true;
    };
}

TEST(Win32MessageBox, IsOwnedByTheShownMainWindowAndAnswersWithTheButtonPressed) {
    TestWindow main("Tidewell main", true);
    Win32MessageBox boxes;
    boxes.setOwner(main.hwnd());
    const DWORD thread = GetCurrentThreadId();

    Pressed seen;
    MsgAnswer answer;
    {
        Helper helper(press(thread, "Empty now?", IDNO, seen));
        answer = boxes.show(
            "Gr\xC3\xBC\xC3\x9F"
            "e\r\nEmpty the Recycle Bin now?",
            "Empty now?", MsgButtons::YesNo, MsgIcon::None);
    }
    EXPECT_EQ(answer, MsgAnswer::No);
    EXPECT_EQ(seen.owner, main.hwnd());
    // The text reached the box as the user's code page spells it.
    EXPECT_NE(seen.text.find(L"Gr\u00FC\u00DFe"), std::wstring::npos);

    {
        Helper helper(press(thread, "Again?", IDYES, seen));
        answer = boxes.show("Empty?", "Again?", MsgButtons::YesNo, MsgIcon::Warning);
    }
    EXPECT_EQ(answer, MsgAnswer::Yes);
}

TEST(Win32MessageBox, ShowsOnItsOwnWhileTheMainWindowIsInTheTray) {
    // A box owned by a hidden window would stay hidden with it, and nobody could answer it.
    TestWindow hidden("Tidewell hidden", false);
    Win32MessageBox boxes;
    boxes.setOwner(hidden.hwnd());
    Pressed seen;
    MsgAnswer answer;
    {
        Helper helper(press(GetCurrentThreadId(), "Done box", IDOK, seen));
        answer = boxes.show("Done.", "Done box", MsgButtons::Ok, MsgIcon::None);
    }
    EXPECT_EQ(answer, MsgAnswer::Ok);
    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(seen.owner, nullptr);
}

}  // namespace
}  // namespace tw::win32_platform
