#pragma once

// A small retained model of the window designer's controls. Each control holds the properties
// the program reads or writes and raises the designer's events with the designer's semantics:
// giving a control a value different from the one it holds raises its Click / Change handler
// exactly as a user's change would, and the same value raises nothing. A host renders the
// model and feeds the user's input back through the same setters.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/services/window_handle.h"
#include "runtime/date_value.h"

namespace tw::controls {

struct Geometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Geometry&) const = default;
};

struct Font {
    std::string name = "Arial";
    double points = 9.0;
    bool bold = true;
    int charset = 204;
    bool operator==(const Font&) const = default;
};

// Colours are 0x00BBGGRR; with the top bit set the low byte names a system colour.
inline constexpr std::uint32_t kWhite = 0x00FFFFFF;
inline constexpr std::uint32_t kButtonFace = 0x8000000F;

enum class Kind {
    Window,
    Frame,
    Label,
    OptionButton,
    CheckBox,
    TextBox,
    ComboBox,
    TimePicker,
    PushButton,
    ProgressBar,
    Timer,
};

using Handler = std::function<void()>;

class Window;

class Control {
  public:
    Control(Kind kind, std::string name, Control* container, Geometry geometry, int tabIndex);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    Control* container() const { return container_; }
    const Geometry& geometry() const { return geometry_; }
    int tabIndex() const { return tabIndex_; }

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& caption);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool visible() const { return visible_; }
    void setVisible(bool visible);
    const Font& font() const { return font_; }
    void setFont(const Font& font);
    std::uint32_t backColor() const { return backColor_; }
    void setBackColor(std::uint32_t color);
    bool centred() const { return centred_; }
    void setCentred(bool centred);
    // Shown when the pointer rests on the control; empty for none.
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(const std::string& tip);
    // What assistive technology calls the control, when its caption does not say it (a box
    // named by the label beside it). Set once, before a host renders the window.
    const std::string& accessibleName() const { return accessibleName_; }
    void setAccessibleName(std::string name) { accessibleName_ = std::move(name); }
    // The caption is a status line that assistive technology announces as it changes.
    bool announcesCaption() const { return announcesCaption_; }
    void setAnnouncesCaption(bool announces) { announcesCaption_ = announces; }

    // The host's mouse-move report.
    void mouseMove();
    Handler onMouseMove;

    // One observer, the host: told after any property changed so it can mirror the model.
    void setObserver(Handler observer) { observer_ = std::move(observer); }

    Window* window() const { return window_; }

  protected:
    void changed();

  private:
    friend class Window;
    Window* window_ = nullptr;
    Kind kind_;
    std::string name_;
    Control* container_;
    Geometry geometry_;
    int tabIndex_;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
    Font font_;
    std::uint32_t backColor_ = kWhite;
    bool centred_ = false;
    std::string toolTip_;
    std::string accessibleName_;
    bool announcesCaption_ = false;
    Handler observer_;
};

class Frame : public Control {
  public:
    Frame(std::string name, Control* container, Geometry g, int tabIndex)
        : Control(Kind::Frame, std::move(name), container, g, tabIndex) {}
};

class Label : public Control {
  public:
    Label(std::string name, Control* container, Geometry g, int tabIndex)
        : Control(Kind::Label, std::move(name), container, g, tabIndex) {}
};

class PushButton : public Control {
  public:
    PushButton(std::string name, Control* container, Geometry g, int tabIndex)
        : Control(Kind::PushButton, std::move(name), container, g, tabIndex) {}
    void click();
    Handler onClick;
};

// Option buttons with the same container form one group.
class OptionButton : public Control {
  public:
    OptionButton(std::string name, Control* container, Geometry g, int tabIndex)
        : Control(Kind::OptionButton, std::move(name), container, g, tabIndex) {}
    bool value() const { return value_; }
    // True clears the others of the group and raises Click on this one; false only clears.
    void setValue(bool value);
    Handler onClick;

  private:
    friend class Window;
    bool value_ = false;
};

class CheckBox : public Control {
  public:
    CheckBox(std::string name, Control* container, Geometry g, int tabIndex)
        : Control(Kind::CheckBox, std::move(name), container, g, tabIndex) {}
    int value() const { return value_; }  // 0 unchecked, 1 checked
    void setValue(int value);
    Handler onClick;

  private:
    int value_ = 0;
};

class TextBox : public Control {
  public:
    TextBox(std::string name, Control* container, Geometry g, int tabIndex)
        : Control(Kind::TextBox, std::move(name), container, g, tabIndex) {}
    const std::string& text() const { return text_; }
    void setText(const std::string& text);
    int selStart() const { return selStart_; }
    int selLength() const { return selLength_; }
    void setSelection(int start, int length);
    Handler onChange;
    Handler onGotFocus;
    Handler onLostFocus;

  private:
    std::string text_;
    int selStart_ = 0;
    int selLength_ = 0;
};

// A drop-down list: pick only, no typing.
class ComboBox : public Control {
  public:
    ComboBox(std::string name, Control* container, Geometry g, int tabIndex)
        : Control(Kind::ComboBox, std::move(name), container, g, tabIndex) {}
    const std::vector<std::string>& items() const { return items_; }
    void addItem(const std::string& item);
    int listIndex() const { return listIndex_; }  // -1 when nothing is selected
    // A different index raises Click. Throws "Invalid property value" when out of range.
    void setListIndex(int index);
    std::string text() const;
    // Selects the item with this text (letter case ignored); any other text is refused with
    // "Invalid property value", as a pick-only list takes no typed text.
    void setText(const std::string& text);
    Handler onClick;
    Handler onChange;

  private:
    std::vector<std::string> items_;
    int listIndex_ = -1;
};

class TimePicker : public Control {
  public:
    TimePicker(std::string name, Control* container, Geometry g, int tabIndex)
        : Control(Kind::TimePicker, std::move(name), container, g, tabIndex) {}
    const DateValue& value() const { return value_; }
    // A different value raises Change.
    void setValue(const DateValue& value);
    void click();
    Handler onChange;
    Handler onClick;

  private:
    DateValue value_;
};

class ProgressBar : public Control {
  public:
    ProgressBar(std::string name, Control* container, Geometry g, int tabIndex)
        : Control(Kind::ProgressBar, std::move(name), container, g, tabIndex) {}
    int min() const { return min_; }
    int max() const { return max_; }
    int position() const { return position_; }
    void setMax(int max);
    void setPosition(int position);

  private:
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};

// Ticks only while enabled with a non-zero interval; the host drives a real timer from it.
class Timer : public Control {
  public:
    explicit Timer(std::string name)
        : Control(Kind::Timer, std::move(name), nullptr, Geometry{}, -1) {}
    int interval() const { return interval_; }
    void setInterval(int milliseconds);
    bool timerEnabled() const { return enabled(); }
    bool running() const { return enabled() && interval_ > 0; }
    // Grows whenever the interval or the enabled flag is set, so that a tick can tell
    // whether the timer was stopped or re-armed since the previous tick.
    unsigned serial() const { return serial_; }
    void setTimerEnabled(bool enabled);
    // The host's tick: raises Timer only while running, and never while the handler of an
    // earlier tick still runs (a handler that pumps events lets the next expiry in). This is
    // the one guard against a tick inside a tick; hosts ask ticking() instead of keeping
    // their own.
    void tick();
    bool ticking() const { return ticking_; }
    Handler onTimer;

  private:
    int interval_ = 0;
    unsigned serial_ = 0;
    bool ticking_ = false;
};

enum class WindowState { Normal, Minimized };

// Window-wide mouse pointers.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;
inline constexpr int kPointerCustom = 99;

class Window : public Control {
  public:
    Window(std::string name, Geometry clientArea, WindowHandle handle);

    WindowHandle handle() const { return handle_; }

    // Showing the window raises Resize, as the first show and every later one do.
    void setVisible(bool visible);
    // Every control of the window in creation order (containers before their children).
    const std::vector<Control*>& controls() const { return controls_; }
    void add(Control& control);

    WindowState windowState() const { return state_; }
    // A different state raises Resize.
    void setWindowState(WindowState state);
    int mousePointer() const { return mousePointer_; }
    void setMousePointer(int pointer);
    bool hasCustomPointer() const { return hasCustomPointer_; }
    void setHasCustomPointer(bool loaded);
    bool hasIcon() const { return hasIcon_; }
    void setHasIcon(bool hasIcon);

    // Focus: moving it raises LostFocus on the box that had it, then GotFocus on the new one.
    Control* focused() const { return focused_; }
    void setFocus(Control& control);
    // Brings the window to the front with the input focus; the host supplies how.
    void activate();
    Handler hostActivate;
    // Forgets the host (every observer and hostActivate): the model may outlive the host's
    // widgets, and must not call into them any more.
    void detachHost();

    Handler onResize;

    // Clears the other option buttons of `chosen`'s group.
    void clearGroup(OptionButton& chosen);

  private:
    WindowHandle handle_;
    std::vector<Control*> controls_;
    WindowState state_ = WindowState::Normal;
    int mousePointer_ = kPointerDefault;
    bool hasCustomPointer_ = false;
    bool hasIcon_ = false;
    Control* focused_ = nullptr;
};

}  // namespace tw::controls
