#include "platform/qt/qt_window_renderer.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QTimer>
#include <algorithm>

#include "platform/qt/qt_accessibility.h"
#include "platform/qt/qt_builtin_pictures.h"
#include "platform/qt/qt_control_input.h"
#include "platform/qt/qt_control_widgets.h"
#include "platform/qt/qt_lifetime.h"
#include "platform/qt/qt_units.h"

namespace tw::qt_platform {

using namespace tw::controls;

WindowRenderer::WindowRenderer(Window& model, Options options)
    : model_(model), options_(std::move(options)), window_(std::make_unique<HostWindow>()) {
    preloadStylePictures();
    window_->setObjectName(qs(model_.name()));
    window_->setFixedSize(pixelRect(model_.geometry()).size());
    window_->setMouseTracking(true);
    events_ = std::make_unique<ControlEventFilter>(model_, options_.reportError);
    events_->watch(window_.get(), model_);
    // The controls are made with the window's font, which most of them keep: none lays its
    // text out in the toolkit's default font first, a font nothing on the window shows.
    window_->setFont(qtFont(model_.font()));

    buildControls();
    setTabOrder();
    built_ = true;

    window_->onCloseRequest = [this] {
        if (ended() || !options_.queryUnload) return;
        guarded(options_.reportError, options_.queryUnload);
    };
    window_->onStateChange = [this] { forwardWindowState(); };
    window_->onShowing = [this] { syncStale(); };
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
    model_.detachHost();
    window_->onCloseRequest = nullptr;
    window_->onStateChange = nullptr;
    window_->onShowing = nullptr;
    timers_.clear();
    window_.reset();
}

QWidget* WindowRenderer::widget(const Control& control) {
    if (&control == &model_) return window_.get();
    const auto found = byControl_.find(&control);
    if (found == byControl_.end()) return nullptr;
    syncStale();  // whoever looks at a widget sees what the model holds
    return found->second->widget;
}

bool WindowRenderer::ended() const {
    return options_.lifetime && options_.lifetime->ended();
}

void WindowRenderer::buildControls() {
    for (Control* c : model_.controls()) {
        if (c->kind() == Kind::Timer) {
            auto& timer = static_cast<Timer&>(*c);
            timers_.push_back(std::make_unique<TimerDriver>(timer, options_.reportError));
            TimerDriver* driver = timers_.back().get();
            timer.setObserver([driver] { driver->sync(); });
            continue;
        }
        QWidget* parent = c->container() ? widget(*c->container()) : window_.get();
        QWidget* w = createControlWidget(*c, parent ? parent : window_.get());
        if (!w) continue;
        describeForAssistiveTechnology(*w, *c);
        auto r = std::make_unique<RenderedControl>();
        r->control = c;
        r->widget = w;
        if (c->kind() == Kind::OptionButton) {
            QButtonGroup*& group = groups_[c->container()];
            if (!group) group = new QButtonGroup(parent);
            group->addButton(static_cast<QAbstractButton*>(w));
            r->group = group;
        }
        RenderedControl* raw = r.get();
        rendered_.push_back(std::move(r));
        byControl_[c] = raw;
        sync(*raw);
        forwardControlInput(*raw, options_.reportError);
        events_->watch(w, *c);
        c->setObserver([this, raw] { sync(*raw); });
    }
}

void WindowRenderer::setTabOrder() {
    std::vector<RenderedControl*> order;
    for (const auto& r : rendered_) {
        if (r->widget->focusPolicy() & Qt::TabFocus) order.push_back(r.get());
    }
    std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
        return a->control->tabIndex() < b->control->tabIndex();
    });
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1]->widget, order[i]->widget);
    }
    // The lowest tab index has the focus when the window first opens.
    if (!order.empty()) order.front()->widget->setFocus(Qt::OtherFocusReason);
}

// A hidden window's widgets are brought up to date as it is shown: the countdown changes two
// of them every second, and keeping a window nobody sees in step was most of what the program
// did in the tray (style and accessibility work for each new caption and position).
void WindowRenderer::sync(RenderedControl& r) {
    if (built_ && window_->isHidden()) {
        r.stale = true;
        stale_ = true;
        return;
    }
    syncNow(r);
}

void WindowRenderer::syncStale() {
    if (!stale_) return;
    stale_ = false;
    for (const auto& r : rendered_) {
        if (r->stale) syncNow(*r);
    }
}

void WindowRenderer::syncNow(RenderedControl& r) {
    r.stale = false;
    syncControlWidget(r);
    if (r.backColor != r.control->backColor()) {
        r.backColor = r.control->backColor();
        syncChildrenOf(*r.control);
    }
}

void WindowRenderer::syncChildrenOf(const Control& container) {
    for (const auto& r : rendered_) {
        if (r->control->container() == &container) syncControlWidget(*r);
    }
}

void WindowRenderer::syncWindow() {
    syncWindowLook(model_, *window_, mirror_, options_.cursors);
    if (mirror_.backColor != model_.backColor()) {
        mirror_.backColor = model_.backColor();
        syncChildrenOf(model_);
    }
    if (!ended()) {
        if (model_.visible() && !window_->isVisible()) {
            scheduleShow();
        } else {
            showPending_ = false;
            syncWindowShown(model_, *window_, mirror_);
        }
    }
    syncFocus();
}

void WindowRenderer::scheduleShow() {
    // Showing waits for the running handler to finish: the model's Resize, raised on the
    // show, may hide the window into the tray at once, and then it must never appear.
    if (showPending_) return;
    showPending_ = true;
    QTimer::singleShot(0, window_.get(), [this] {
        if (!showPending_) return;
        showPending_ = false;
        if (ended() || !model_.visible()) return;
        syncWindowShown(model_, *window_, mirror_);
        if (activatePending_) activate();
    });
}

void WindowRenderer::activate() {
    activatePending_ = false;
    if (ended() || !window_->isVisible()) return;
    window_->raise();
    window_->activateWindow();
}

void WindowRenderer::syncFocus() {
    const Control* focused = model_.focused();
    if (focused == focusMirrored_) return;
    focusMirrored_ = focused;
    if (!focused) return;
    QWidget* w = widget(*focused);
    if (w && w != window_.get() && !w->hasFocus()) w->setFocus(Qt::OtherFocusReason);
}

void WindowRenderer::forwardWindowState() {
    if (ended()) return;
    const bool minimised = window_->isMinimized();
    const WindowState state = minimised ? WindowState::Minimized : WindowState::Normal;
    // Only a visible window is minimised or restored by the user; a hidden one only carries
    // the state the model gave it.
    if (!window_->isVisible() || state == model_.windowState()) return;
    guarded(options_.reportError, [&] { model_.setWindowState(state); });
}

}  // namespace tw::qt_platform
