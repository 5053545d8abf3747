// The user's input reaches the model through its setters, and the model's changes show in
// the widgets without raising the model's events a second time.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <algorithm>

#include <QFile>
#include <QTemporaryDir>

#include "cursor_file.h"
#include "form_fixture.h"
#include "platform/qt/qt_cursor_loader.h"

namespace tw {
namespace {

using test::RenderedForm;

int writesOf(const test::MemorySettings& settings, const std::string& key) {
    return static_cast<int>(std::count_if(settings.writes.begin(), settings.writes.end(),
                                          [&](const auto& w) { return w.first == key; }));
}

std::vector<std::string> valuesWritten(const test::MemorySettings& settings,
                                       const std::string& key) {
    std::vector<std::string> out;
    for (const auto& [k, v] : settings.writes) {
        if (k == key) out.push_back(v);
    }
    return out;
}

void key(QWidget* w, Qt::Key code, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

void type(QWidget* w, const QString& text) {
    for (QChar c : text) key(w, Qt::Key(c.toUpper().unicode()), QString(c));
}

void moveOver(QWidget* w) {
    const QPointF at(2, 2);
    QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

// Counts the times a window is shown (Qt also sends Show to a hidden window that leaves the
// minimised state; that one shows nothing), and the state changes it gets while hidden: on
// X11, taking the minimised state off a hidden window maps an empty frame behind Qt's back.
struct WindowWatch : QObject {
    int shows = 0;
    int hiddenStateChanges = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool visible = static_cast<QWidget*>(watched)->isVisible();
        if (event->type() == QEvent::Show && visible) ++shows;
        if (event->type() == QEvent::WindowStateChange && !visible) ++hiddenStateChanges;
        return false;
    }
};

struct WindowInput : ::testing::Test {
    RenderedForm r;
    Form1& f = *r.form;
    void SetUp() override {
        r.loadAndShow();
        r.h.settings.writes.clear();
    }
};

TEST_F(WindowInput, TypingIntoTheHoursBoxStoresEachChange) {
    auto* hours = r.widget<QLineEdit>(f.Text11);
    // GotFocus selects the text; typing replaces it and the caret then stays with the typing.
    hours->setFocus(Qt::TabFocusReason);
    type(hours, "12");
    EXPECT_EQ(f.Text11.text(), "12");
    key(hours, Qt::Key_Backspace);
    key(hours, Qt::Key_Backspace);
    EXPECT_EQ(valuesWritten(r.h.settings, "Text11"),
              (std::vector<std::string>{"1", "12", "1", ""}));
    EXPECT_EQ(hours->text(), "");
}

TEST_F(WindowInput, ClickingDailyUpdatesTheModelAndTheOtherControls) {
    r.widget<QRadioButton>(f.Option2)->click();
    EXPECT_TRUE(f.Option2.value());
    EXPECT_FALSE(f.Option3.value());
    EXPECT_FALSE(r.widget<QRadioButton>(f.Option3)->isChecked());
    EXPECT_FALSE(r.widget(f.cboWeekly)->isEnabled());
    EXPECT_TRUE(r.widget(f.dtpWeekly)->isEnabled());
    EXPECT_EQ(r.h.settings.get("Option2"), "True");
    EXPECT_EQ(writesOf(r.h.settings, "Option2"), 1);

    r.widget<QRadioButton>(f.Option1)->click();
    EXPECT_TRUE(r.widget(f.cboWeekly)->isEnabled());
    EXPECT_FALSE(r.widget<QRadioButton>(f.Option2)->isChecked());
}

TEST_F(WindowInput, ModelChangesShowInTheWidgetsAndRaiseTheirEventsOnce) {
    f.Option1.setValue(true);
    EXPECT_TRUE(r.widget<QRadioButton>(f.Option1)->isChecked());
    EXPECT_FALSE(r.widget<QRadioButton>(f.Option3)->isChecked());
    EXPECT_EQ(writesOf(r.h.settings, "Option1"), 1);

    f.Text3.setText("7");
    EXPECT_EQ(r.widget<QLineEdit>(f.Text3)->text(), "7");
    EXPECT_EQ(writesOf(r.h.settings, "Text3"), 1);

    f.cboWeekly.setText("Friday");
    EXPECT_EQ(r.widget<QComboBox>(f.cboWeekly)->currentText(), "Friday");
    f.Check8.setValue(1);
    EXPECT_TRUE(r.widget<QCheckBox>(f.Check8)->isChecked());
    EXPECT_EQ(writesOf(r.h.settings, "Minimized"), 1);
    f.Check8.setVisible(false);
    EXPECT_TRUE(r.widget(f.Check8)->isHidden());
    f.Frame2.setCaption("Off.");
    EXPECT_EQ(r.widget<QGroupBox>(f.Frame2)->title(), "Off.");
    f.Frame2.setToolTip("why the last empty failed");
    EXPECT_EQ(r.widget(f.Frame2)->toolTip(), "why the last empty failed");
    EXPECT_EQ(r.window().windowTitle(), "Tidewell");
    EXPECT_FALSE(r.window().windowIcon().isNull());
}

TEST_F(WindowInput, SkinColoursFollowTheModelAndContainersShowThroughTheirLikes) {
    const QColor face = QApplication::palette().color(QPalette::Button);
    f.Form.setBackColor(controls::kButtonFace);
    f.Frame4.setBackColor(controls::kButtonFace);
    f.Option1.setBackColor(controls::kButtonFace);
    EXPECT_EQ(r.window().palette().color(QPalette::Window), face);
    QWidget* option = r.widget(f.Option1);
    EXPECT_EQ(option->palette().color(option->backgroundRole()), face);
    EXPECT_FALSE(option->autoFillBackground()) << "the frame's colour shows through";
    EXPECT_FALSE(r.widget(f.Frame4)->autoFillBackground());
    // Still white on a frame that is no longer white: it paints its own background.
    QWidget* label = r.widget(f.Label3);
    EXPECT_TRUE(label->autoFillBackground());
    EXPECT_EQ(label->palette().color(label->backgroundRole()), QColor(Qt::white));
}

TEST_F(WindowInput, TheModelMayClearEveryOptionButtonOfAGroup) {
    f.Option3.setValue(false);
    for (auto* option : {&f.Option1, &f.Option2, &f.Option3}) {
        EXPECT_FALSE(r.widget<QRadioButton>(*option)->isChecked()) << option->name();
    }
    r.widget<QRadioButton>(f.Option2)->click();
    EXPECT_TRUE(f.Option2.value());
}

TEST_F(WindowInput, CheckBoxListAndPickerReachTheModel) {
    r.widget<QCheckBox>(f.Check8)->click();
    EXPECT_EQ(f.Check8.value(), 1);
    EXPECT_EQ(r.h.settings.get("Minimized"), "On");

    emit r.widget<QComboBox>(f.cboWeekly)->activated(3);
    EXPECT_EQ(f.cboWeekly.listIndex(), 3);
    EXPECT_EQ(r.h.settings.get("Weekly"), "Wednesday");

    r.widget<QTimeEdit>(f.dtpWeekly)->setTime(QTime(22, 0, 0));
    ASSERT_TRUE(f.dtpWeekly.value().time.has_value());
    EXPECT_EQ(*f.dtpWeekly.value().time, (TimeOfDay{22, 0, 0}));
    EXPECT_FALSE(f.dtpWeekly.value().date.has_value());
    EXPECT_EQ(r.h.settings.get("Weekly Time"), "22:00:00");
}

TEST_F(WindowInput, TheSwitchButtonRunsItsHandler) {
    r.widget<QPushButton>(f.PushButton4)->click();
    EXPECT_EQ(r.widget<QPushButton>(f.PushButton4)->text(), "Turn Off");
    EXPECT_EQ(r.h.settings.get("StartStopState"), "On");
    EXPECT_TRUE(f.Timer1.running());
}

TEST_F(WindowInput, ProgressBarShowsAFullBarWithoutARangeAndClampsThePosition) {
    auto* bar = r.widget<QProgressBar>(f.ProgressBar1);
    f.ProgressBar1.setMax(0);
    EXPECT_EQ(bar->maximum(), 1);
    EXPECT_EQ(bar->value(), 1);
    f.ProgressBar1.setMax(-5);
    EXPECT_EQ(bar->value(), bar->maximum());
    f.ProgressBar1.setMax(50);
    f.ProgressBar1.setPosition(80);
    EXPECT_EQ(bar->maximum(), 50);
    EXPECT_EQ(bar->value(), 50);
    f.ProgressBar1.setPosition(20);
    EXPECT_EQ(bar->value(), 20);
}

TEST_F(WindowInput, TheUsersFocusRaisesGotAndLostFocusButAReturningFocusDoesNot) {
    auto* hours = r.widget<QLineEdit>(f.Text11);
    auto* minutes = r.widget<QLineEdit>(f.Text2);
    hours->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.Form.focused(), &f.Text11);
    EXPECT_EQ(hours->selectedText(), "0") << "GotFocus selects the whole text";

    // Coming back from a message box is not a focus move of the user's.
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(minutes, &back);
    EXPECT_EQ(f.Form.focused(), &f.Text11);

    // Leaving a box that holds no number warns and hands the focus back to it.
    f.Text11.setText("x");
    minutes->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(r.h.boxes.shown.size(), 1u);
    EXPECT_EQ(r.h.boxes.shown[0].text, "Must be a numeric entry.");
    EXPECT_EQ(f.Form.focused(), &f.Text11);
    EXPECT_EQ(QApplication::focusWidget(), hours);
}

TEST_F(WindowInput, PointerFollowsTheMouseOverButtonsFramesAndBackground) {
    moveOver(r.widget(f.PushButton1));
    EXPECT_EQ(f.Form.mousePointer(), controls::kPointerCustom);
    // No custom pointer was loaded: the ordinary one shows.
    EXPECT_EQ(r.window().cursor().shape(), Qt::ArrowCursor);
    moveOver(r.widget(f.Option1));  // no handler, and the frame behind it is not told
    EXPECT_EQ(f.Form.mousePointer(), controls::kPointerCustom);
    moveOver(r.widget(f.Frame4));
    EXPECT_EQ(f.Form.mousePointer(), controls::kPointerDefault);
    moveOver(r.widget(f.PushButton2));
    moveOver(&r.window());
    EXPECT_EQ(f.Form.mousePointer(), controls::kPointerDefault);

    f.Form.setMousePointer(controls::kPointerHourglass);
    EXPECT_EQ(r.window().cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(r.widget(f.Text11)->cursor().shape(), Qt::WaitCursor);
    moveOver(r.widget(f.PushButton4));
    moveOver(r.widget(f.Text2));
    EXPECT_EQ(f.Form.mousePointer(), controls::kPointerHourglass);
    f.Form.setMousePointer(controls::kPointerDefault);
    EXPECT_EQ(r.widget(f.Text11)->cursor().shape(), Qt::IBeamCursor);
}

TEST(WindowPointer, TheCustomPointerIsTheLoadedCursor) {
    QTemporaryDir dir;
    const QString path = dir.filePath("HAND-M.CUR");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(test::cursorFile(3, 4));
    file.close();
    qt_platform::QtCursorLoader cursors;
    RenderedForm r({}, &cursors);
    cursors.loadCursor(path.toStdString());
    r.form->Form.setHasCustomPointer(true);
    r.form->Form.setMousePointer(controls::kPointerCustom);
    EXPECT_EQ(r.window().cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(r.window().cursor().hotSpot(), QPoint(3, 4));
    EXPECT_EQ(r.widget(r.form->PushButton1)->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(WindowInput, MinimisingHidesIntoTheTrayAndATrayClickBringsItBack) {
    WindowWatch watch;
    r.window().installEventFilter(&watch);
    r.window().showMinimized();
    QApplication::processEvents();
    EXPECT_EQ(watch.hiddenStateChanges, 0);
    EXPECT_TRUE(f.MinimizedToTray);
    EXPECT_FALSE(r.window().isVisible());
    EXPECT_EQ(f.Form.windowState(), controls::WindowState::Normal);

    f.cSysTray1_MouseUp(1, 0);
    QApplication::processEvents();
    EXPECT_TRUE(r.window().isVisible());
    EXPECT_FALSE(r.window().isMinimized());
    EXPECT_FALSE(f.MinimizedToTray);
}

TEST_F(WindowInput, WithoutATrayTheWindowMinimisesAndRestoresOnTheTaskBar) {
    r.h.tray.available = false;
    r.window().showMinimized();
    QApplication::processEvents();
    EXPECT_EQ(f.Form.windowState(), controls::WindowState::Minimized);
    EXPECT_TRUE(r.window().isVisible());
    r.window().showNormal();
    QApplication::processEvents();
    EXPECT_EQ(f.Form.windowState(), controls::WindowState::Normal);
}

TEST_F(WindowInput, ClosingTheWindowRunsTheCloseHandler) {
    r.widget<QPushButton>(f.PushButton4)->click();
    r.window().close();
    EXPECT_EQ(r.h.lifetime.ended, std::vector<int>{0});
    EXPECT_FALSE(f.Timer1.running());
    EXPECT_FALSE(f.cSysTray1.InTray());
}

TEST(WindowStart, StartingInTheTrayNeverShowsTheWindowUntilTheIconIsClicked) {
    RenderedForm r([](test::Harness& h) { h.settings.put("Minimized", "On"); });
    WindowWatch watch;
    r.window().installEventFilter(&watch);
    r.loadAndShow();
    EXPECT_EQ(watch.shows, 0);
    EXPECT_EQ(watch.hiddenStateChanges, 0);
    EXPECT_FALSE(r.window().isVisible());
    EXPECT_TRUE(r.form->MinimizedToTray);
    EXPECT_TRUE(r.widget<QCheckBox>(r.form->Check8)->isChecked());
    r.form->cSysTray1_MouseUp(1, 0);
    QApplication::processEvents();
    EXPECT_EQ(watch.shows, 1);
    EXPECT_TRUE(r.window().isVisible());
    EXPECT_FALSE(r.window().isMinimized());
}

}  // namespace
}  // namespace tw
