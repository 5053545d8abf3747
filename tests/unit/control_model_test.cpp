// The control model raises the designer's events with the designer's semantics; every handler
// of the window relies on this.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/controls/controls.h"
#include "runtime/errors.h"

namespace tw::controls {
namespace {

struct Model : ::testing::Test {
    Window window{"Form1", {0, 0, 8040, 5265}, 1};
    Frame frame{"Frame4", &window, {}, 0};
    Frame other{"Frame3", &window, {}, 1};
    OptionButton a{"Option1", &frame, {}, 2};
    OptionButton b{"Option2", &frame, {}, 3};
    OptionButton c{"Option3", &frame, {}, 4};
    OptionButton elsewhere{"OptionX", &other, {}, 5};
    TextBox box{"Text11", &frame, {}, 6};
    TextBox box2{"Text2", &frame, {}, 7};
    std::vector<std::string> events;

    void SetUp() override {
        for (Control* ctl :
             std::initializer_list<Control*>{&frame, &other, &a, &b, &c, &elsewhere, &box, &box2}) {
            window.add(*ctl);
        }
        a.onClick = [this] { events.push_back("a"); };
        b.onClick = [this] { events.push_back("b"); };
        c.onClick = [this] { events.push_back("c"); };
        box.onChange = [this] { events.push_back("change " + box.text()); };
        box.onGotFocus = [this] { events.push_back("got box"); };
        box.onLostFocus = [this] { events.push_back("lost box"); };
        box2.onGotFocus = [this] { events.push_back("got box2"); };
        box2.onLostFocus = [this] { events.push_back("lost box2"); };
    }
};

TEST_F(Model, OptionButtonsFormOneGroupPerContainerAndClickOnlyTheOneSet) {
    elsewhere.setValue(true);
    c.setValue(true);
    events.clear();

    a.setValue(true);
    EXPECT_TRUE(a.value());
    EXPECT_FALSE(c.value());
    EXPECT_TRUE(elsewhere.value()) << "another frame's group is untouched";
    EXPECT_EQ(events, std::vector<std::string>{"a"});

    a.setValue(true);  // the same value raises nothing
    b.setValue(false);
    EXPECT_EQ(events, std::vector<std::string>{"a"});

    a.setValue(false);  // clearing raises nothing and selects nothing else
    EXPECT_FALSE(a.value() || b.value() || c.value());
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(Model, TextBoxRaisesChangeOnlyForADifferentText) {
    box.setText("1");
    box.setText("12");
    box.setText("12");
    box.setText("");
    EXPECT_EQ(events, (std::vector<std::string>{"change 1", "change 12", "change "}));
}

TEST_F(Model, FocusMovesRaiseLostThenGotAndAHandlerMayTakeTheFocusBack) {
    window.setFocus(box);
    window.setFocus(box2);
    EXPECT_EQ(events, (std::vector<std::string>{"got box", "lost box", "got box2"}));

    events.clear();
    box2.onLostFocus = [this] {
        events.push_back("lost box2");
        window.setFocus(box2);
    };
    window.setFocus(box);
    EXPECT_EQ(window.focused(), &box2);
    EXPECT_EQ(std::count(events.begin(), events.end(), "got box"), 0)
        << "the box that lost the focus took it back; the other gets no GotFocus";
}

TEST(ComboBox, PicksOnlyItsItemsAndClicksOnAChange) {
    ComboBox list{"cboWeekly", nullptr, {}, 0};
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    for (const char* d : {"Sunday", "Monday"}) list.addItem(d);
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(list.text(), "");

    list.setText("monday");
    EXPECT_EQ(list.text(), "Monday");
    list.setText("Monday");
    EXPECT_EQ(clicks, 1);
    EXPECT_THROW(list.setText("Someday"), AppError);
    EXPECT_THROW(list.setListIndex(2), AppError);
    EXPECT_EQ(list.text(), "Monday") << "a refused text leaves the selection";
}

TEST(CheckBoxAndPicker, RaiseTheirEventsOnChangeOnly) {
    CheckBox check{"Check4", nullptr, {}, 0};
    TimePicker picker{"dtpWeekly", nullptr, {}, 1};
    int clicks = 0, changes = 0;
    check.onClick = [&] { ++clicks; };
    picker.onChange = [&] { ++changes; };
    check.setValue(1);
    check.setValue(1);
    check.setValue(0);
    EXPECT_EQ(clicks, 2);
    EXPECT_THROW(check.setValue(5), AppError);

    picker.setValue({std::nullopt, TimeOfDay{22, 0, 0}});
    picker.setValue({std::nullopt, TimeOfDay{22, 0, 0}});
    EXPECT_EQ(changes, 1);
}

TEST(Timer, TicksOnlyWhileEnabledWithAnInterval) {
    Timer timer{"Timer1"};
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    timer.tick();  // enabled by design, interval 0
    timer.setInterval(1000);
    timer.tick();
    timer.setTimerEnabled(false);
    timer.tick();
    const unsigned before = timer.serial();
    timer.setTimerEnabled(true);
    EXPECT_NE(timer.serial(), before) << "re-arming is visible to the tick";
    timer.tick();
    EXPECT_EQ(ticks, 2);
}

TEST(WindowModel, ResizeIsRaisedWhenShownNotBefore) {
    Window window{"Form1", {}, 1};
    int resizes = 0;
    window.onResize = [&] { ++resizes; };
    window.setVisible(false);
    window.setWindowState(WindowState::Minimized);
    EXPECT_EQ(resizes, 0);
    window.setVisible(true);
    EXPECT_EQ(resizes, 1);
    window.setWindowState(WindowState::Normal);
    EXPECT_EQ(resizes, 2);
}

}  // namespace
}  // namespace tw::controls
