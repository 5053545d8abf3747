#include "platform/controls/controls.h"

#include <algorithm>
#include <cctype>

#include "runtime/errors.h"

namespace tw::controls {

namespace {

void raise(const Handler& handler) {
    if (handler) handler();
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

Control::Control(Kind kind, std::string name, Control* container, Geometry geometry, int tabIndex)
    : kind_(kind),
      name_(std::move(name)),
      container_(container),
      geometry_(geometry),
      tabIndex_(tabIndex) {}

void Control::changed() {
    if (observer_) observer_();
}

void Control::setCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    changed();
}

void Control::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    changed();
}

void Control::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    changed();
}

void Control::setFont(const Font& font) {
    if (font == font_) return;
    font_ = font;
    changed();
}

void Control::setBackColor(std::uint32_t color) {
    if (color == backColor_) return;
    backColor_ = color;
    changed();
}

void Control::setCentred(bool centred) {
    if (centred == centred_) return;
    centred_ = centred;
    changed();
}

void Control::setToolTip(const std::string& tip) {
    if (tip == toolTip_) return;
    toolTip_ = tip;
    changed();
}

void Control::mouseMove() {
    raise(onMouseMove);
}

void PushButton::click() {
    raise(onClick);
}

void OptionButton::setValue(bool value) {
    if (value == value_) return;
    value_ = value;
    if (value && window()) window()->clearGroup(*this);
    changed();
    if (value) raise(onClick);
}

void CheckBox::setValue(int value) {
    if (value == value_) return;
    if (value < 0 || value > 2) throw invalidPropertyValueError();
    value_ = value;
    changed();
    raise(onClick);
}

void TextBox::setText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    selStart_ = std::min<int>(selStart_, static_cast<int>(text_.size()));
    selLength_ = 0;
    changed();
    raise(onChange);
}

void TextBox::setSelection(int start, int length) {
    const int size = static_cast<int>(text_.size());
    start = std::clamp(start, 0, size);
    length = std::clamp(length, 0, size - start);
    if (start == selStart_ && length == selLength_) return;
    selStart_ = start;
    selLength_ = length;
    changed();
}

void ComboBox::addItem(const std::string& item) {
    items_.push_back(item);
    changed();
}

void ComboBox::setListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) throw invalidPropertyValueError();
    if (index == listIndex_) return;
    listIndex_ = index;
    changed();
    raise(onClick);
}

std::string ComboBox::text() const {
    return listIndex_ < 0 ? std::string() : items_[static_cast<std::size_t>(listIndex_)];
}

void ComboBox::setText(const std::string& text) {
    const auto found = std::find_if(items_.begin(), items_.end(), [&](const std::string& item) {
        return sameIgnoringCase(item, text);
    });
    if (found == items_.end()) throw invalidPropertyValueError();
    setListIndex(static_cast<int>(found - items_.begin()));
}

void TimePicker::setValue(const DateValue& value) {
    if (value == value_) return;
    value_ = value;
    changed();
    raise(onChange);
}

void TimePicker::click() {
    raise(onClick);
}

void ProgressBar::setMax(int max) {
    if (max == max_) return;
    max_ = max;
    changed();
}

void ProgressBar::setPosition(int position) {
    if (position == position_) return;
    position_ = position;
    changed();
}

void Timer::setInterval(int milliseconds) {
    if (milliseconds < 0) throw invalidPropertyValueError();
    ++serial_;
    interval_ = milliseconds;
    changed();
}

void Timer::setTimerEnabled(bool enabled) {
    ++serial_;
    if (enabled != this->enabled()) {
        setEnabled(enabled);
    } else {
        changed();
    }
}

void Timer::tick() {
    if (!running() || ticking_) return;
    ticking_ = true;
    try {
        raise(onTimer);
    } catch (...) {
        ticking_ = false;
        throw;
    }
    ticking_ = false;
}

Window::Window(std::string name, Geometry clientArea, WindowHandle handle)
    : Control(Kind::Window, std::move(name), nullptr, clientArea, -1), handle_(handle) {
    window_ = this;
}

void Window::setVisible(bool visible) {
    const bool showing = visible && !this->visible();
    Control::setVisible(visible);
    if (showing) raise(onResize);
}

void Window::add(Control& control) {
    control.window_ = this;
    controls_.push_back(&control);
}

void Window::setWindowState(WindowState state) {
    if (state == state_) return;
    state_ = state;
    changed();
    // A window that is not shown yet gets its Resize when it is shown.
    if (visible()) raise(onResize);
}

void Window::setMousePointer(int pointer) {
    if (pointer == mousePointer_) return;
    mousePointer_ = pointer;
    changed();
}

void Window::setHasCustomPointer(bool loaded) {
    if (loaded == hasCustomPointer_) return;
    hasCustomPointer_ = loaded;
    changed();
}

void Window::setHasIcon(bool hasIcon) {
    if (hasIcon == hasIcon_) return;
    hasIcon_ = hasIcon;
    changed();
}

void Window::setFocus(Control& control) {
    if (&control == focused_) return;
    Control* previous = focused_;
    focused_ = &control;
    changed();
    if (auto* box = dynamic_cast<TextBox*>(previous)) raise(box->onLostFocus);
    // A LostFocus handler may have moved the focus on; only the control that still has it
    // gets GotFocus.
    if (focused_ != &control) return;
    if (auto* box = dynamic_cast<TextBox*>(&control)) raise(box->onGotFocus);
}

void Window::activate() {
    raise(hostActivate);
}

void Window::detachHost() {
    setObserver(nullptr);
    hostActivate = nullptr;
    for (Control* c : controls_) c->setObserver(nullptr);
}

void Window::clearGroup(OptionButton& chosen) {
    for (Control* c : controls_) {
        auto* option = dynamic_cast<OptionButton*>(c);
        if (option && option != &chosen && option->container() == chosen.container() &&
            option->value_) {
            option->value_ = false;
            option->changed();
        }
    }
}

}  // namespace tw::controls
