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
#include <cmath>
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
    EXPECT_EQ(w.size(), QSize(536, 475));
    EXPECT_EQ(w.minimumSize(), QSize(536, 475));
    EXPECT_EQ(w.maximumSize(), QSize(536, 475));
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

// Each control is drawn in its container where the model places it (twips over fifteen at
// 96 DPI), whole, and over no other control of that container.
TEST(WindowLayout, EveryControlLiesWholeInItsContainerAndOverNoOther) {
    RenderedForm r;
    const auto px = [](int twips) { return static_cast<int>(std::lround(twips / 15.0)); };
    std::map<QWidget*, std::vector<std::pair<QRect, std::string>>> placed;
    for (const controls::Control* c : r.form->Form.controls()) {
        QWidget* w = r.widget(*c);
        if (!w) continue;  // the timer has none
        QWidget* container = r.renderer->widget(*c->container());
        ASSERT_EQ(w->parentWidget(), container) << c->name();
        const controls::Geometry& g = c->geometry();
        EXPECT_EQ(w->geometry().topLeft(), QPoint(px(g.left), px(g.top))) << c->name();
        EXPECT_TRUE(container->rect().contains(w->geometry())) << c->name();
        for (const auto& [other, name] : placed[container]) {
            EXPECT_FALSE(other.intersects(w->geometry())) << c->name() << " over " << name;
        }
        placed[container].push_back({w->geometry(), c->name()});
    }
    EXPECT_GT(placed.size(), 3u);
}

// Tab visits every control that takes the focus once, in the order of the tab indices.
TEST(WindowLayout, TabOrderFollowsTheTabIndicesAndTheFirstFocusIsTheStartUpBox) {
    RenderedForm r;
    Form1& f = *r.form;
    std::map<QWidget*, std::string> names;
    std::vector<std::pair<int, QWidget*>> tabStops;
    for (controls::Control* c : f.Form.controls()) {
        QWidget* w = r.widget(*c);
        if (!w) continue;
        names[w] = c->name();
        if (w->focusPolicy() & Qt::TabFocus) tabStops.push_back({c->tabIndex(), w});
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
    // Of the option buttons Tab stops at the chosen one only, as everywhere in Qt; the arrow
    // keys move between them.
    std::sort(tabStops.begin(), tabStops.end());
    std::vector<std::string> expected;
    for (const auto& [index, w] : tabStops) {
        const auto* option = qobject_cast<QRadioButton*>(w);
        if (!option || option->isChecked()) expected.push_back(names[w]);
    }
    EXPECT_EQ(chain, expected);
    EXPECT_GT(chain.size(), 10u);
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
