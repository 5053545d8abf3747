// The rendered window as designed: size, border, places and tab order; every widget shows
// its control's caption in its font.

#include <gtest/gtest.h>

#include <qpa/qwindowsysteminterface.h>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <algorithm>
#include <map>

#include "form_fixture.h"

namespace tw {
namespace {

using test::RenderedForm;

QString textOf(QWidget* w) {
    if (auto* frame = qobject_cast<QGroupBox*>(w)) return frame->title();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    return {};
}

// Arial, or a face with its metrics where Arial itself is not installed.
bool showsFamily(const QFont& font, const std::string& name) {
    const QString family = QFontInfo(font).family();
    if (name == "Arial")
        return family == "Arial" || family == "Liberation Sans" || family == "Arimo";
    return family == QString::fromStdString(name);
}

TEST(WindowLayout, ClientAreaIsFixedWithMinimiseAndCloseButNoMaximise) {
    RenderedForm r;
    QWidget& w = r.window();
    EXPECT_EQ(w.size(), QSize(536, 413));
    EXPECT_EQ(w.minimumSize(), QSize(536, 413));
    EXPECT_EQ(w.maximumSize(), QSize(536, 413));
    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(w.windowTitle(), "Form1");
}

TEST(WindowLayout, EveryWidgetShowsItsControlsCaptionInItsFont) {
    RenderedForm r;
    int shown = 0;
    for (const controls::Control* c : r.form->Form.controls()) {
        QWidget* w = r.widget(*c);
        if (!w) continue;  // the timer has none
        ++shown;
        switch (c->kind()) {
            case controls::Kind::Frame:
            case controls::Kind::Label:
            case controls::Kind::OptionButton:
            case controls::Kind::CheckBox:
            case controls::Kind::PushButton:
                EXPECT_EQ(textOf(w), QString::fromStdString(c->caption())) << c->name();
                break;
            default:
                break;
        }
        const QFont font = w->font();
        EXPECT_TRUE(showsFamily(font, c->font().name))
            << c->name() << " " << qPrintable(QFontInfo(font).family());
        EXPECT_DOUBLE_EQ(font.pointSizeF(), c->font().points) << c->name();
        EXPECT_EQ(QFontInfo(font).bold(), c->font().bold) << c->name();
    }
    EXPECT_GT(shown, 10);
}

TEST(WindowLayout, ControlsSitInTheirContainersAtTwipsOverFifteen) {
    RenderedForm r;
    Form1& f = *r.form;
    struct Place {
        const controls::Control* control;
        const controls::Control* container;
        QRect pixels;
    };
    for (const Place& p : std::initializer_list<Place>{
             {&f.PushButton1, &f.Form, {8, 8, 520, 27}},
             {&f.Frame2, &f.Form, {8, 40, 520, 58}},
             {&f.ProgressBar1, &f.Frame2, {16, 20, 487, 27}},
             {&f.Frame4, &f.Form, {8, 102, 520, 118}},
             {&f.Option1, &f.Frame4, {16, 85, 79, 17}},
             {&f.dtpWeekly, &f.Frame4, {120, 50, 289, 25}},
             {&f.Label3, &f.Frame4, {160, 23, 30, 15}},
             {&f.Check8, &f.Frame3, {280, 20, 140, 19}},
             {&f.PushButton2, &f.Form, {8, 316, 520, 27}},
             // Below the last button, a margin under it and one under the window's edge.
             {&f.Frame5, &f.Form, {8, 351, 520, 54}},
             {&f.Label6, &f.Frame5, {16, 23, 289, 17}},
             {&f.Text4, &f.Frame5, {312, 20, 33, 23}},
             {&f.Label7, &f.Frame5, {352, 23, 36, 17}},
             {&f.PushButton5, &f.Frame5, {396, 17, 107, 27}},
         }) {
        QWidget* w = r.widget(*p.control);
        ASSERT_NE(w, nullptr) << p.control->name();
        EXPECT_EQ(w->geometry(), p.pixels) << p.control->name();
        EXPECT_EQ(w->parentWidget(), r.renderer->widget(*p.container)) << p.control->name();
    }
    EXPECT_EQ(r.renderer->widget(f.Timer1), nullptr);
}

TEST(WindowLayout, TabOrderFollowsTheTabIndicesAndTheFirstFocusIsTheStartUpBox) {
    RenderedForm r;
    Form1& f = *r.form;
    std::map<QWidget*, std::string> names;
    for (controls::Control* c : f.Form.controls()) {
        if (QWidget* w = r.widget(*c)) names[w] = c->name();
    }
    r.loadAndShow();
    QWidget* start = r.widget(f.Check4);
    ASSERT_EQ(QApplication::focusWidget(), start);
    // The Tab key as the window system delivers it, once around the window (the time picker
    // takes a few presses to step through its fields).
    std::vector<std::string> chain{names[start]};
    for (int presses = 0; presses < 60; ++presses) {
        for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
                r.window().windowHandle(), type, Qt::Key_Tab, Qt::NoModifier);
        }
        QWidget* now = QApplication::focusWidget();
        if (now == start) break;
        if (names[now] != chain.back()) chain.push_back(names[now]);
    }
    const std::vector<std::string> designOrder{
        "Check4",    "Check8",    "PushButton4", "PushButton2", "PushButton1",
        "Text3",     "Text2",     "Text11",      "Option3",     "Option2",
        "cboWeekly", "dtpWeekly", "Option1",     "Text4",       "PushButton5"};
    // Of the option buttons Tab stops at the chosen one only, as everywhere in Qt; the arrow
    // keys move between them.
    std::vector<std::string> expected;
    for (const std::string& name : designOrder) {
        const auto named = std::find_if(names.begin(), names.end(),
                                        [&](const auto& entry) { return entry.second == name; });
        ASSERT_NE(named, names.end()) << name;
        const auto* option = qobject_cast<QRadioButton*>(named->first);
        if (!option || option->isChecked()) expected.push_back(name);
    }
    EXPECT_EQ(chain, expected);
}

TEST(WindowLayout, DesignStateBeforeTheLoad) {
    RenderedForm r;
    Form1& f = *r.form;
    auto* weekly = r.widget<QComboBox>(f.cboWeekly);
    ASSERT_NE(weekly, nullptr);
    EXPECT_FALSE(weekly->isEditable());
    EXPECT_EQ(weekly->count(), 7);
    EXPECT_EQ(weekly->itemText(0), "Sunday");
    EXPECT_EQ(weekly->itemText(6), "Saturday");
    EXPECT_EQ(weekly->currentIndex(), -1);
    EXPECT_TRUE(r.widget<QRadioButton>(f.Option3)->isChecked());
    EXPECT_FALSE(r.widget<QRadioButton>(f.Option1)->isChecked());
    EXPECT_EQ(r.widget<QLineEdit>(f.Text2)->alignment(), Qt::AlignCenter);
    EXPECT_EQ(r.widget<QLineEdit>(f.Text4)->alignment(), Qt::AlignCenter);
    const QString format = r.widget<QTimeEdit>(f.dtpWeekly)->displayFormat();
    EXPECT_TRUE(format.contains('h', Qt::CaseInsensitive) && format.contains("mm") &&
                format.contains("ss"))
        << qPrintable(format);
    auto* bar = r.widget<QProgressBar>(f.ProgressBar1);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(r.window().isVisible()) << "not shown before the load";
}

}  // namespace
}  // namespace tw
