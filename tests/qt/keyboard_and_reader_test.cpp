// Keyboard and screen readers: every box has its own name, the status line is a status bar
// named by its caption, Enter presses the focused button and the focus shows everywhere.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>

#include "form_fixture.h"

namespace tw {
namespace {

using test::RenderedForm;

QString accessibleName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

TEST(ScreenReader, BoxesAreNamedByTheirLabelsAndTheStatusLineIsAStatusBar) {
    RenderedForm r;
    r.loadAndShow();
    Form1& f = *r.form;
    EXPECT_EQ(accessibleName(r.widget(f.Text3)), "day/s");
    EXPECT_EQ(accessibleName(r.widget(f.Text11)), "hour/s");
    EXPECT_EQ(accessibleName(r.widget(f.Text2)), "minute/s");
    EXPECT_EQ(accessibleName(r.widget(f.dtpWeekly)), "Daily:");
    // The weekday list is heard by its name, with the day as its value and its list kept.
    EXPECT_EQ(accessibleName(r.widget(f.cboWeekly)), "Weekly:");
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(r.widget(f.cboWeekly));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->role(), QAccessible::ComboBox);
    EXPECT_EQ(list->text(QAccessible::Value).toStdString(), f.cboWeekly.text());
    ASSERT_EQ(list->childCount(), 1);
    EXPECT_EQ(list->child(0)->role(), QAccessible::List);
    EXPECT_NE(accessibleName(r.widget(f.ProgressBar1)), "Off.");

    QWidget* status = r.widget(f.Frame2);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(status);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->role(), QAccessible::StatusBar);
    // Qt tells assistive technology of each new caption; the status bar reads it out.
    f.Frame2.setCaption("Deleting files from Recycling Bin... ");
    EXPECT_EQ(a->text(QAccessible::Name), "Deleting files from Recycling Bin... ");
}

void press(QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers, bool autoRepeat = false) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(w, &up);
}

TEST(Keyboard, EnterAndKeypadEnterPressTheFocusedButtonOnceEach) {
    RenderedForm r;
    r.loadAndShow();
    Form1& f = *r.form;
    QWidget* button = r.widget(f.PushButton4);
    button->setFocus(Qt::TabFocusReason);
    press(button, Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(f.PushButton4.caption(), "Turn Off");
    press(button, Qt::Key_Return, Qt::NoModifier, true);  // held down: no second press
    EXPECT_EQ(f.PushButton4.caption(), "Turn Off");
    press(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(f.PushButton4.caption(), "Turn On");
}

TEST(Keyboard, TheFocusShowsOnEveryControlThatTakesIt) {
    for (const bool skinned : {false, true}) {
        SCOPED_TRACE(skinned ? "sample skin" : "no skin");
        RenderedForm r = skinned ? RenderedForm::skinned() : RenderedForm();
        r.loadAndShow();
        int focusable = 0;
        for (controls::Control* c : r.form->Form.controls()) {
            QWidget* w = r.renderer->widget(*c);
            if (!w || !w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus)) {
                continue;
            }
            ++focusable;
            r.renderer->widget(r.form->Form)->setFocus(Qt::MouseFocusReason);
            w->clearFocus();
            QApplication::processEvents();
            const QImage before = w->grab().toImage();
            // Clicked into, not reached with Tab: the focus must show all the same.
            w->setFocus(Qt::MouseFocusReason);
            QApplication::processEvents();
            ASSERT_TRUE(w->hasFocus()) << c->name();
            EXPECT_NE(w->grab().toImage(), before) << c->name() << " shows no focus";
        }
        EXPECT_GE(focusable, 10);
    }
}

}  // namespace
}  // namespace tw
