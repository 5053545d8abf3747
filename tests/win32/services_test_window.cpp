#include "services_test_window.h"

#include <map>
#include <utility>

namespace tw::win32_test {

namespace {

constexpr const char* kClassName = "TidewellServicesTestWindow";

struct Seen {
    int count = 0;
    WPARAM lastWParam = 0;
    LPARAM lastLParam = 0;
};
std::map<std::pair<HWND, UINT>, Seen> g_seen;

LRESULT CALLBACK ownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Seen& seen = g_seen[{window, message}];
    ++seen.count;
    seen.lastWParam = wParam;
    seen.lastLParam = lParam;
    if (message == TestWindow::kProbeMessage) return TestWindow::kOwnAnswer;
    return DefWindowProcA(window, message, wParam, lParam);
}

void registerClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &ownProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassA(&wc);
    registered = true;
}

}  // namespace

TestWindow::TestWindow(const char* title, bool visible) {
    registerClass();
    hwnd_ = CreateWindowExA(0, kClassName, title, WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    if (visible) {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
    }
}

TestWindow::~TestWindow() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

int TestWindow::seen(UINT message) const {
    const auto it = g_seen.find({hwnd_, message});
    return it == g_seen.end() ? 0 : it->second.count;
}

LPARAM TestWindow::lastLParam(UINT message) const {
    const auto it = g_seen.find({hwnd_, message});
    return it == g_seen.end() ? 0 : it->second.lastLParam;
}

WPARAM TestWindow::lastWParam(UINT message) const {
    const auto it = g_seen.find({hwnd_, message});
    return it == g_seen.end() ? 0 : it->second.lastWParam;
}

WNDPROC TestWindow::ownProcedure() {
    return &ownProc;
}

Helper::Helper(std::function<bool()> find, double seconds)
    : find_(std::move(find)), timeoutMs_(static_cast<DWORD>(seconds * 1000)) {
    thread_ = CreateThread(nullptr, 0, &Helper::run, this, 0, nullptr);
}

Helper::~Helper() {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
}

DWORD WINAPI Helper::run(void* self) {
    auto* helper = static_cast<Helper*>(self);
    const ULONGLONG deadline = GetTickCount64() + helper->timeoutMs_;
    while (GetTickCount64() < deadline) {
        if (helper->find_()) {
            helper->succeeded_ = true;
            return 0;
        }
        Sleep(50);
    }
    return 1;
}

namespace {

struct Search {
    const char* className;
    const std::string* title;
    HWND found = nullptr;
};

BOOL CALLBACK match(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    char className[64] = {};
    char title[256] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (std::string(className) == search->className && *search->title == title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND findThreadWindow(DWORD threadId, const char* className, const std::string& title) {
    Search search{className, &title};
    EnumThreadWindows(threadId, &match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace tw::win32_test
