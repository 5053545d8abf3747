// The Qt host's services: instance lock, cursor file, skin, message box, event pump, end.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QWidget>

#include "cursor_file.h"
#include "fork_child.h"
#include "platform/qt/qt_cursor_loader.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_instance_lock.h"
#include "platform/qt/qt_lifetime.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_skin_engine.h"
#include "runtime/errors.h"

namespace tw::qt_platform {
namespace {

QString saved(const QTemporaryDir& dir, const QString& name, const QByteArray& data) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(data);
    return path;
}

TEST(InstanceLock, ASecondCopyIsRefusedWhileTheFirstLives) {
    QTemporaryDir dir;
    int toChild[2];
    int fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        QtInstanceLock first(dir.path());
        const char ready = first.anotherCopyRunning() ? 'n' : 'y';
        (void)!write(fromChild[1], &ready, 1);
        char done;
        (void)!read(toChild[0], &done, 1);
        _exit(0);
    }
    char ready = 0;
    ASSERT_EQ(read(fromChild[0], &ready, 1), 1);
    EXPECT_EQ(ready, 'y');
    EXPECT_TRUE(QtInstanceLock(dir.path()).anotherCopyRunning());
    const char done = 'x';
    EXPECT_EQ(write(toChild[1], &done, 1), 1);
    int status = 0;
    waitpid(pid, &status, 0);
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);

    // The child ended without unlocking: its lock is stale and taken over.
    QtInstanceLock next(dir.path());
    EXPECT_TRUE(QFile::exists(next.lockPath()));
    EXPECT_FALSE(next.anotherCopyRunning());
    EXPECT_FALSE(next.anotherCopyRunning()) << "asking again while holding it";
    EXPECT_TRUE(QtInstanceLock(dir.path()).anotherCopyRunning());
}

TEST(InstanceLock, ALockThatCantBeMadeDoesNotStopTheProgram) {
    QtInstanceLock lock(QStringLiteral("/nonexistent/folder"));
    EXPECT_FALSE(lock.anotherCopyRunning());
}

TEST(CursorLoader, ReadsTheImageAndTheHotSpotOfACursorFile) {
    QTemporaryDir dir;
    QtCursorLoader loader;
    EXPECT_FALSE(loader.cursor().has_value());
    loader.loadCursor(saved(dir, "HAND-M.CUR", test::cursorFile(5, 7)).toStdString());
    ASSERT_TRUE(loader.cursor().has_value());
    EXPECT_EQ(loader.cursor()->shape(), Qt::BitmapCursor);
    EXPECT_EQ(loader.cursor()->hotSpot(), QPoint(5, 7));
    EXPECT_EQ(loader.cursor()->pixmap().size(), QSize(32, 32));
}

TEST(CursorLoader, AFileThatIsNoCursorIsAnInvalidPicture) {
    QTemporaryDir dir;
    QByteArray icon = test::cursorFile(0, 0);
    icon[2] = 1;  // an icon, not a cursor
    QByteArray truncated = test::cursorFile(1, 1).left(60);
    for (const auto& [name, data] : std::initializer_list<std::pair<QString, QByteArray>>{
             {"text.cur", "not a cursor at all, just some text"},
             {"icon.cur", icon},
             {"truncated.cur", truncated},
             {"empty.cur", QByteArray()},
         }) {
        QtCursorLoader loader;
        try {
            loader.loadCursor(saved(dir, name, data).toStdString());
            ADD_FAILURE() << qPrintable(name) << " was accepted";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), 481) << qPrintable(name);
        }
        EXPECT_FALSE(loader.cursor().has_value());
    }
    QtCursorLoader loader;
    EXPECT_THROW(loader.loadCursor(dir.filePath("missing.cur").toStdString()), AppError);
}

TEST(SkinEngine, AppliesTheStyleSheetToTheWindowOnceBothAreThere) {
    QTemporaryDir dir;
    const QByteArray sheet = "QWidget { background: #d4d0c8; }";
    QtSkinEngine skin;
    skin.loadSkin(saved(dir, "o.cjs", sheet).toStdString(), "");
    skin.setApplyOptions(skin.applyOptions() | 1);
    skin.setOption(5, true);
    skin.applyWindow(1);
    QWidget window;
    skin.attach(1, &window);
    EXPECT_EQ(window.styleSheet(), QString::fromUtf8(sheet));
    EXPECT_EQ(skin.applyOptions(), 1);
    EXPECT_EQ(skin.option(5), true);
    EXPECT_EQ(skin.option(10), std::nullopt);

    const std::string missing = dir.filePath("x/o.cjs").toStdString();
    try {
        skin.loadSkin(missing, "");
        ADD_FAILURE() << "an unreadable skin was accepted";
    } catch (const AppError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
}

// Answers the next modal box by pressing one of its buttons, after checking it.
void answerNextBox(std::function<QAbstractButton*(QMessageBox&)> press) {
    QTimer::singleShot(0, [press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no message box";
            return;
        }
        press(*box)->click();
    });
}

TEST(MessageBox, ShowsTheTextWithNewlinesAndDefaultsToYes) {
    EXPECT_EQ(messageBoxText("a\r\nb\r\rc\nd"), "a\nb\n\nc\nd");
    QtMessageBox boxes;
    answerNextBox([](QMessageBox& box) {
        EXPECT_EQ(box.text(), "Error\nin here\n\nPlease");
        EXPECT_EQ(box.windowTitle(), "Application Error");
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        return box.button(QMessageBox::Ok);
    });
    EXPECT_EQ(boxes.show("Error\r\nin here\r\rPlease", "Application Error", MsgButtons::Ok,
                         MsgIcon::Warning),
              MsgAnswer::Ok);

    answerNextBox([](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Yes));
        return box.defaultButton();
    });
    EXPECT_EQ(boxes.show("Empty now?", "Tidewell", MsgButtons::YesNo, MsgIcon::None),
              MsgAnswer::Yes);
    answerNextBox([](QMessageBox& box) { return box.button(QMessageBox::No); });
    EXPECT_EQ(boxes.show("Empty now?", "Tidewell", MsgButtons::YesNo, MsgIcon::None),
              MsgAnswer::No);
}

TEST(MessageBox, IsWideEnoughForItsTitleAndOffersTheAddressOfItsTextAsALink) {
    QtMessageBox boxes;
    answerNextBox([](QMessageBox& box) {
        EXPECT_GE(box.width(), QFontMetrics(box.font()).horizontalAdvance("Tidewell") + 100);
        return box.button(QMessageBox::Ok);
    });
    boxes.show("Done.", "Tidewell", MsgButtons::Ok, MsgIcon::None);

    const QString text =
        "Questions? Please contact Team Quendra at https://www.quendra.com/contact";
    answerNextBox([&](QMessageBox& box) {
        auto* label = box.findChild<QLabel*>("qt_msgbox_label");
        EXPECT_TRUE(label->textInteractionFlags() & Qt::TextSelectableByMouse);
        EXPECT_TRUE(label->textInteractionFlags() & Qt::LinksAccessibleByMouse);
        EXPECT_TRUE(label->openExternalLinks());
        EXPECT_TRUE(label->text().contains("href=\"https://www.quendra.com/contact\""));
        // The same text, on one line wide enough that the address is never broken.
        QTextDocument shown;
        shown.setHtml(label->text());
        EXPECT_EQ(shown.toPlainText(), text);
        EXPECT_GE(label->contentsRect().width(),
                  QFontMetrics(label->font()).horizontalAdvance(text));
        return box.button(QMessageBox::Ok);
    });
    boxes.show(text.toStdString(), "Tidewell", MsgButtons::Ok, MsgIcon::None);
}

TEST(EventPump, RunsWaitingEventsAndStopsOnceTheProgramHasEnded) {
    QtLifetime lifetime;
    QtEventPump pump(&lifetime);
    int ran = 0;
    QTimer::singleShot(0, [&] { ++ran; });
    pump.processEvents();
    EXPECT_EQ(ran, 1);
    QTimer::singleShot(5, [&] { ++ran; });
    pump.waitForEvents(0.2);
    EXPECT_EQ(ran, 2);

    // Ending is run in a child: Qt's "quit now" flag would stay set for the other tests.
    const int result = test::runInChild([&] {
        QWidget window;
        window.show();
        QTimer::singleShot(0, [&] { ++ran; });
        lifetime.endProgram(3);
        if (window.isVisible()) return 1;
        if (!lifetime.ended() || lifetime.exitCode() != 3) return 2;
        lifetime.endProgram(5);
        if (lifetime.exitCode() != 3) return 3;
        pump.processEvents();
        pump.waitForEvents(30);  // returns at once
        if (ran != 2) return 4;
        return 0;
    });
    EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace tw::qt_platform
