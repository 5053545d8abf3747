#include "platform/win32/win32_window_renderer.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/shared/control_mirror.h"
#include "platform/win32/win32_accessibility.h"
#include "platform/win32/win32_control_input.h"
#include "platform/win32/win32_control_windows.h"
#include "platform/win32/win32_handler_gate.h"
#include "platform/win32/win32_units.h"

namespace tw::win32_platform {

using namespace tw::controls;

namespace {

constexpr char kWindowClass[] = "TidewellWindow";
constexpr char kTrayClass[] = "TidewellTray";
constexpr char kRendererProperty[] = "TidewellRenderer";
constexpr UINT_PTR kSubclassId = 1;
// Command ids start above the dialog manager's IDOK and IDCANCEL.
constexpr int kFirstControlId = 100;

// Posted to the main window so that the work runs after the handler that asked for it.
constexpr UINT kShowMessage = WM_APP + 1;
constexpr UINT kFocusMessage = WM_APP + 2;
constexpr UINT kStateMessage = WM_APP + 3;

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

void registerClasses() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXA main{};
    main.cbSize = sizeof main;
    main.lpfnWndProc = &DefWindowProcA;  // replaced once the renderer is attached
    main.hInstance = GetModuleHandleA(nullptr);
    main.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    main.lpszClassName = kWindowClass;
    RegisterClassExA(&main);
    WNDCLASSEXA tray{};
    tray.cbSize = sizeof tray;
    tray.lpfnWndProc = &DefWindowProcA;
    tray.hInstance = GetModuleHandleA(nullptr);
    tray.lpszClassName = kTrayClass;
    RegisterClassExA(&tray);
    registered = true;
}

// The closed height of a drop-down list follows its font; set its selection field so that the
// whole box has the height of the design.
void fitComboHeight(HWND combo, int wanted) {
    // What the field's height reads back and what makes the box how high differ between
    // systems: correct the height asked for by what is still missing, a few times at most.
    LRESULT field = SendMessageA(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 4 && field > 0; ++attempt) {
        RECT rect{};
        GetWindowRect(combo, &rect);
        const int now = rect.bottom - rect.top;
        if (now == wanted || field + (wanted - now) <= 0) return;
        field += wanted - now;
        SendMessageA(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

}  // namespace

WindowRenderer::WindowRenderer(Window& model, Options options)
    : model_(model),
      options_(std::move(options)),
      gdi_(systemDpi()),
      showRequests_({options_.showRequests.isRequest, [this] {
                         if (!ended() && options_.showRequests.show)
                             guarded(options_.reportError, options_.showRequests.show);
                     }}) {
    createWindows();
    buildControls();
    setTabOrder();
    model_.hostActivate = [this] {
        if (showPending_) {
            activatePending_ = true;
        } else {
            activate();
        }
    };
    model_.setObserver([this] { syncWindow(); });
    syncWindow();
}

WindowRenderer::~WindowRenderer() {
    handlerGate().drop(this);
    model_.detachHost();
    timers_.clear();
    trayWatch_.reset();
    for (auto& r : rendered_)
        RemoveWindowSubclass(r->hwnd, &WindowRenderer::controlProc, kSubclassId);
    // Before the window procedure goes: the tooltip control unhooks itself from the windows.
    DestroyWindow(toolTips_);
    RemovePropA(hwnd_, kRendererProperty);
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
    DestroyWindow(hwnd_);
    DestroyWindow(tray_);
}

void WindowRenderer::createWindows() {
    registerClasses();
    const RECT client = pixelRect(model_.geometry(), gdi_.dpi());
    RECT frame{0, 0, client.right - client.left, client.bottom - client.top};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    hwnd_ = CreateWindowExA(0, kWindowClass, "", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    SetPropA(hwnd_, kRendererProperty, this);
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowRenderer::windowProc));
    // The controls' tips, shown also while the window is inactive, wrapped at its width.
    toolTips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SendMessageA(toolTips_, TTM_SETMAXTIPWIDTH, 0, client.right - client.left);
    // A window of its own for the tray's notifications: hidden, never on the task bar.
    tray_ = CreateWindowExA(WS_EX_TOOLWINDOW, kTrayClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    TrayWatch::Callbacks tray = options_.tray;
    if (tray.lost) {
        tray.lost = [this] {
            if (!ended() && !model_.visible()) guarded(options_.reportError, options_.tray.lost);
        };
    }
    if (tray.taskbarCreated) {
        tray.taskbarCreated = [this] {
            guarded(options_.reportError, options_.tray.taskbarCreated);
        };
    }
    trayWatch_ = std::make_unique<TrayWatch>(hwnd_, std::move(tray));
}

HWND WindowRenderer::controlWindow(const Control& control) const {
    if (&control == &model_) return hwnd_;
    const auto found = byControl_.find(&control);
    return found == byControl_.end() ? nullptr : found->second->hwnd;
}

RenderedControl* WindowRenderer::rendered(HWND window) const {
    const auto found = byWindow_.find(window);
    return found == byWindow_.end() ? nullptr : found->second;
}

bool WindowRenderer::ended() const {
    return options_.ended && options_.ended();
}

void WindowRenderer::buildControls() {
    int id = kFirstControlId;
    for (Control* c : model_.controls()) {
        if (c->kind() == Kind::Timer) {
            auto& timer = static_cast<Timer&>(*c);
            timers_.push_back(std::make_unique<TimerDriver>(timer, options_.reportError));
            TimerDriver* driver = timers_.back().get();
            timer.setObserver([driver] { driver->sync(); });
            continue;
        }
        HWND w = createControlWindow(*c, hwnd_, id, gdi_.dpi());
        if (!w) continue;
        auto r = std::make_unique<RenderedControl>();
        r->control = c;
        r->hwnd = w;
        r->id = id++;
        r->toolTips = toolTips_;
        RenderedControl* raw = r.get();
        rendered_.push_back(std::move(r));
        byControl_[c] = raw;
        byWindow_[w] = raw;
        SetWindowSubclass(w, &WindowRenderer::controlProc, kSubclassId,
                          reinterpret_cast<DWORD_PTR>(this));
        sync(*raw);
        if (c->kind() == Kind::ComboBox) {
            const RECT place = windowPixelRect(*c, gdi_.dpi());
            fitComboHeight(w, place.bottom - place.top);
        }
        c->setObserver([this, raw] { sync(*raw); });
    }
}

void WindowRenderer::setTabOrder() {
    // The dialog manager walks the z-order: tab stops first, by tab index, then the rest,
    // with the group boxes at the bottom under the controls they frame.
    std::vector<RenderedControl*> order;
    for (const auto& r : rendered_) order.push_back(r.get());
    const auto rank = [](const RenderedControl* r) {
        const Kind kind = r->control->kind();
        return isTabStop(kind) ? 0 : kind == Kind::Frame ? 2 : 1;
    };
    std::stable_sort(order.begin(), order.end(), [&](const auto* a, const auto* b) {
        if (rank(a) != rank(b)) return rank(a) < rank(b);
        return a->control->tabIndex() < b->control->tabIndex();
    });
    HWND after = HWND_TOP;
    for (RenderedControl* r : order) {
        SetWindowPos(r->hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = r->hwnd;
    }
    if (!order.empty() && rank(order.front()) == 0) firstTabStop_ = order.front()->hwnd;
}

void WindowRenderer::sync(RenderedControl& r) {
    syncControlWindow(r, gdi_);
    if (paintsBackColor(r.control->kind())) InvalidateRect(r.hwnd, nullptr, TRUE);
}

bool WindowRenderer::takesInput() const {
    const ModalBoxes* boxes = options_.modalBoxes;
    return boxes ? boxes->takesInput(model_.enabled()) : model_.enabled();
}

void WindowRenderer::syncInput() {
    syncWindowLook(model_, hwnd_, mirror_, takesInput());
}

void WindowRenderer::syncWindow() {
    syncWindowLook(model_, hwnd_, mirror_, takesInput());
    syncPointer();
    if (!ended()) {
        if (model_.visible() && !IsWindowVisible(hwnd_)) {
            scheduleShow();
        } else {
            showPending_ = false;
            syncWindowShown(model_, hwnd_, mirror_);
        }
    }
    syncFocus();
    trayWatch_->follow(!ended() && !model_.visible());
}

void WindowRenderer::runModelHandler(std::function<void()> call) {
    handlerGate().run(this, [this, call = std::move(call)] {
        if (!ended()) guarded(options_.reportError, call);
    });
}

void WindowRenderer::syncPointer() {
    if (mirror_.pointer == model_.mousePointer()) return;
    mirror_.pointer = model_.mousePointer();
    // Over the window the new pointer shows at once, not at the next move of the mouse.
    POINT at{};
    GetCursorPos(&at);
    HWND under = WindowFromPoint(at);
    if (under && (under == hwnd_ || IsChild(hwnd_, under))) {
        SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
}

void WindowRenderer::scheduleShow() {
    // Showing waits for the running handler to finish: the model's Resize, raised on the
    // show, may hide the window into the tray at once, and then it must never appear.
    if (showPending_) return;
    showPending_ = true;
    PostMessageA(hwnd_, kShowMessage, 0, 0);
}

void WindowRenderer::showNow() {
    if (!showPending_) return;
    showPending_ = false;
    if (ended() || !model_.visible()) return;
    syncWindowShown(model_, hwnd_, mirror_);
    if (!shownOnce_) {
        shownOnce_ = true;
        // The lowest tab index has the focus when the window first opens.
        if (!savedFocus_ && firstTabStop_) SetFocus(firstTabStop_);
    }
    if (activatePending_) activate();
}

void WindowRenderer::activate() {
    activatePending_ = false;
    if (ended() || !IsWindowVisible(hwnd_)) return;
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
    BringWindowToTop(hwnd_);
}

void WindowRenderer::syncFocus() {
    const Control* focused = model_.focused();
    if (focused == focusMirrored_) return;
    focusMirrored_ = focused;
    if (!focused) return;
    HWND w = controlWindow(*focused);
    if (!w || w == hwnd_) return;
    savedFocus_ = w;
    if (IsWindowVisible(hwnd_) && GetFocus() != w) SetFocus(w);
}

void WindowRenderer::reportFocus(WPARAM index) {
    if (ended() || index >= rendered_.size()) return;
    RenderedControl& r = *rendered_[index];
    // The focus went on before this report ran: only where it is now counts.
    if (GetFocus() != r.hwnd) return;
    savedFocus_ = r.hwnd;
    focusMirrored_ = r.control;
    guarded(options_.reportError, [&] { model_.setFocus(*r.control); });
    syncFocus();
}

void WindowRenderer::forwardWindowState() {
    if (ended()) return;
    const WindowState state = IsIconic(hwnd_) ? WindowState::Minimized : WindowState::Normal;
    // Only a visible window is minimised or restored by the user; a hidden one only carries
    // the state the model gave it.
    if (!IsWindowVisible(hwnd_) || state == model_.windowState()) return;
    guarded(options_.reportError, [&] { model_.setWindowState(state); });
}

void WindowRenderer::moveFocus(WPARAM wParam, LPARAM lParam) {
    // The dialog manager's Tab and arrow keys; a plain window has to move the focus itself.
    HWND next = nullptr;
    if (LOWORD(lParam)) {
        next = reinterpret_cast<HWND>(wParam);
    } else {
        HWND from = GetFocus();
        if (!from || !IsChild(hwnd_, from)) from = nullptr;
        next = GetNextDlgTabItem(hwnd_, from, wParam != 0);
    }
    if (!next) return;
    SetFocus(next);
    // Tabbing into a text box selects its text, as in a dialog.
    if (const RenderedControl* r = rendered(next); r && r->control->kind() == Kind::TextBox) {
        SendMessageA(next, EM_SETSEL, 0, -1);
    }
}

void WindowRenderer::mouseMoveOverWindow(LPARAM lParam) {
    // Group boxes and labels let the mouse through to the window: the report goes to the
    // innermost of them under the pointer, or to the window itself.
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    Control* target = &model_;
    for (auto it = rendered_.rbegin(); it != rendered_.rend(); ++it) {
        if (!passesMouseThrough((*it)->control->kind())) continue;
        if (!(*it)->control->visible()) continue;
        const RECT place = windowPixelRect(*(*it)->control, gdi_.dpi());
        if (PtInRect(&place, at)) {
            target = (*it)->control;
            break;
        }
    }
    guarded(options_.reportError, [&] { target->mouseMove(); });
}

LRESULT WindowRenderer::controlColour(HDC dc, HWND control) {
    const RenderedControl* r = rendered(control);
    std::uint32_t color = model_.backColor();
    if (r && paintsBackColor(r->control->kind())) color = r->control->backColor();
    SetBkColor(dc, colorRef(color));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(gdi_.brush(color));
}

bool WindowRenderer::setPointer(LPARAM lParam) {
    if (LOWORD(lParam) != HTCLIENT) return false;
    HCURSOR custom = options_.customPointer ? options_.customPointer() : nullptr;
    HCURSOR cursor = windowPointer(model_.mousePointer(), custom);
    if (!cursor) return false;
    SetCursor(cursor);
    return true;
}

void WindowRenderer::requestClose() {
    // During an empty the request waits for it, with the window still up.
    if (options_.queryUnload) runModelHandler(options_.queryUnload);
}

LRESULT CALLBACK WindowRenderer::windowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    auto* self = static_cast<WindowRenderer*>(GetPropA(window, kRendererProperty));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT WindowRenderer::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if ((trayWatch_ && trayWatch_->handle(message, wParam)) ||
        showRequests_.handle(message, wParam)) {
        return 0;
    }
    switch (message) {
        case WM_COMMAND: {
            HWND from = reinterpret_cast<HWND>(lParam);
            if (RenderedControl* r = rendered(from)) {
                controlCommand(*r, HIWORD(wParam), gdi_, options_.reportError);
            }
            // The dialog manager's Return (IDOK) and Escape (IDCANCEL) press nothing: no
            // button of this window is a default button, so a key meant for a message box
            // that arrives here early cannot start anything.
            return 0;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (RenderedControl* r = rendered(header->hwndFrom)) {
                controlNotify(*r, *header, gdi_, options_.reportError);
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return controlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(hwnd_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, gdi_.brush(model_.backColor()));
            return 1;
        }
        case WM_SETCURSOR:
            if (setPointer(lParam)) return TRUE;
            break;
        case WM_MOUSEMOVE:
            mouseMoveOverWindow(lParam);
            return 0;
        case WM_NEXTDLGCTL:
            moveFocus(wParam, lParam);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) savedFocus_ = focus;
            } else if (HWND back = savedFocus_ ? savedFocus_ : firstTabStop_;
                       back && !HIWORD(wParam)) {
                // Not while minimised: the focus returns when the window is restored.
                SetFocus(back);
            }
            return 0;
        case WM_SETFOCUS:
            // The window itself never keeps the focus: it goes on to its control.
            if (HWND back = savedFocus_ ? savedFocus_ : firstTabStop_) SetFocus(back);
            return 0;
        case WM_SIZE:
            // The model's Resize hides the window and may wait for the balloon; let the
            // system finish the minimise first.
            PostMessageA(hwnd_, kStateMessage, 0, 0);
            break;
        case WM_CLOSE:
            // The close is never refused; the model ends the program.
            requestClose();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // Logging off or shutting down is a close request like the close box.
            if (wParam) requestClose();
            return 0;
        case kShowMessage:
            showNow();
            return 0;
        case kFocusMessage:
            handlerGate().run(this, [this, wParam] { reportFocus(wParam); });
            return 0;
        case kStateMessage:
            handlerGate().run(this, [this] { forwardWindowState(); });
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK WindowRenderer::controlProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<WindowRenderer*>(data);
    RenderedControl* r = self->rendered(window);
    if (!r) return DefSubclassProc(window, message, wParam, lParam);
    return self->handleControl(*r, message, wParam, lParam);
}

void WindowRenderer::paintFrame(RenderedControl& r) {
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(r.hwnd, &paint);
    RECT client{};
    GetClientRect(r.hwnd, &client);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    // What the window's own background gives a frame without a bitmap: the frame paints only
    // its line and caption.
    FillRect(memory, &client, gdi_.brush(model_.backColor()));
    DefSubclassProc(r.hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    const RECT& dirty = paint.rcPaint;
    BitBlt(screen, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
           memory, dirty.left, dirty.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(r.hwnd, &paint);
}

LRESULT WindowRenderer::handleControl(RenderedControl& r, UINT message, WPARAM wParam,
                                      LPARAM lParam) {
    const bool frame = r.control->kind() == Kind::Frame;
    switch (message) {
        case WM_ERASEBKGND:
            // A frame's paint covers all of it (paintFrame).
            if (frame) return 1;
            break;
        case WM_PAINT:
            if (frame) {
                paintFrame(r);
                return 0;
            }
            break;
        case WM_GETOBJECT:
            if (!r.control->accessibleName().empty()) {
                if (const LRESULT object =
                        namedAccessibleObject(r.hwnd, wParam, lParam, r.control->accessibleName()))
                    return object;
            }
            break;
        case WM_MOUSEMOVE:
            guarded(options_.reportError, [&] { r.control->mouseMove(); });
            break;
        case WM_SETFOCUS: {
            // A radio button that takes the focus from the keyboard reports a click; choosing
            // a schedule is the user's click or Space, not passing by with Tab.
            r.takingFocus = true;
            const LRESULT result = DefSubclassProc(r.hwnd, message, wParam, lParam);
            r.takingFocus = false;
            const auto index =
                static_cast<WPARAM>(std::find_if(rendered_.begin(), rendered_.end(),
                                                 [&](const auto& p) { return p.get() == &r; }) -
                                    rendered_.begin());
            PostMessageA(hwnd_, kFocusMessage, index, 0);
            return result;
        }
        default:
            break;
    }
    return DefSubclassProc(r.hwnd, message, wParam, lParam);
}

}  // namespace tw::win32_platform
