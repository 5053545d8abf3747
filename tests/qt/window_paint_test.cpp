// The countdown repaints only what changed, and what it repaints matches a full repaint pixel
// for pixel; the style's pictures come from Tidewell's own read of them.

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <string>

#include "form_fixture.h"
#include "platform/qt/qt_builtin_pictures.h"
#include "platform/qt/qt_frame_box.h"

namespace tw {
namespace {

using test::RenderedForm;

struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// What the window shows now (its backing store) against the window painted afresh (which
// sends every widget a paint event of its own).
bool showsAsIfFullyRepainted(QWidget& window) {
    QApplication::processEvents();
    const QImage shown =
        window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage fresh = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    return !shown.isNull() && shown == fresh;
}

TEST(WindowPaint, ACountdownTickRepaintsTheCaptionAndTheBarOnlyWhereTheyChanged) {
    RenderedForm r;
    r.loadAndShow();
    Form1& f = *r.form;
    f.Frame2.setCaption("On. Next empty will occur in: 1 day(s) and 00:00:00");
    f.ProgressBar1.setMax(120);
    f.ProgressBar1.setPosition(0);
    ASSERT_TRUE(showsAsIfFullyRepainted(r.window()));

    PaintCount bar;
    r.widget(f.ProgressBar1)->installEventFilter(&bar);
    // A shorter caption must wipe out the end of the longer one.
    f.Frame2.setCaption("On. Next empty will occur in: 00:00:59");
    QApplication::processEvents();
    EXPECT_EQ(bar.paints, 0) << "a new caption repainted the bar inside the frame";
    EXPECT_TRUE(showsAsIfFullyRepainted(r.window()));

    // Each second moves the end of the bar by a few pixels, less than Fusion's chunk.
    for (int second = 1; second <= 4; ++second) {
        f.ProgressBar1.setPosition(second);
        EXPECT_TRUE(showsAsIfFullyRepainted(r.window())) << "after second " << second;
    }
    EXPECT_GE(bar.paints, 4);
}

// Captions of every sort the way the countdown sets them, one after another: shorter and
// longer than the one before, with spaces at either end, mnemonics, and letters the font
// lacks. Each must show exactly what the style shows when it paints the whole frame;
// `paintedAlone` says whether the frame is expected to draw them from the band's picture.
void expectCaptionsShowAsIfFullyRepainted(RenderedForm& r, bool paintedAlone,
                                          const std::string& state) {
    auto* frame = r.widget<qt_platform::FrameBox>(r.form->Frame2);
    ASSERT_NE(frame, nullptr);
    const char* const captions[] = {
        "On. Next empty will occur in: 1 day(s) and 00:00:00",
        "On. Next empty will occur in: 00:00:59",
        "On. Next empty will occur in: 29 day(s) and 23:59:38",
        "Deleting files from Recycling Bin... ",
        "  Weekly: Q&A && more",
        "Öffnen — 東京 ✓",
    };
    for (const char* caption : captions) {
        r.form->Frame2.setCaption(caption);
        QApplication::processEvents();
        EXPECT_EQ(frame->paintedCaptionAlone(), paintedAlone) << state << ": " << caption;
        EXPECT_TRUE(showsAsIfFullyRepainted(r.window())) << state << ": " << caption;
    }
}

TEST(WindowPaint, ACaptionDrawnAloneLooksAsIfTheStylePaintedTheWholeFrame) {
    RenderedForm r;
    r.loadAndShow();
    auto* frame = r.widget<qt_platform::FrameBox>(r.form->Frame2);
    ASSERT_NE(frame, nullptr);
    controls::Frame& model = r.form->Frame2;
    QPalette dark = r.window().palette();
    dark.setColor(QPalette::Window, QColor(0x22, 0x20, 0x20));
    dark.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xe0));
    dark.setColor(QPalette::Inactive, QPalette::WindowText, QColor(0xa0, 0xb0, 0xc0));
    QWidget elsewhere;
    // Each state on top of the ones before: the band's picture must follow every one.
    const std::pair<const char*, std::function<void()>> states[] = {
        {"as loaded", [] {}},
        {"disabled", [&] { model.setEnabled(false); }},
        {"dark",
         [&] {
             model.setEnabled(true);
             r.window().setPalette(dark);
         }},
        {"a colour of its own", [&] { model.setBackColor(0x00604020); }},
        {"another font",
         [&] {
             model.setFont({"DejaVu Serif", 13.5, false, 0});
         }},
        {"inactive",
         [&] {
             elsewhere.show();
             elsewhere.activateWindow();
             QApplication::processEvents();
             EXPECT_FALSE(r.window().isActiveWindow());
         }},
        {"wider", [&] { frame->resize(frame->width() + 31, frame->height()); }},
        {"right to left", [&] { frame->setLayoutDirection(Qt::RightToLeft); }},
    };
    for (const auto& [state, enter] : states) {
        enter();
        QApplication::processEvents();
        expectCaptionsShowAsIfFullyRepainted(r, true, state);
    }
}

TEST(WindowPaint, ACaptionOfAFrameTheStyleSheetDrawsIsPaintedByTheStyleSheet) {
    RenderedForm r = RenderedForm::skinned();
    r.loadAndShow();
    expectCaptionsShowAsIfFullyRepainted(r, false, "skinned");
}

TEST(WindowPaint, TheStyleFindsThePicturesTidewellReadForIt) {
    // Qt's own QPixmap(fileName) finds the picture read with the PNG decoder alone: had the
    // key changed, Qt would read it again and load every image format plugin to do so.
    const QList<QPixmap> preloaded = qt_platform::preloadStylePictures();
    ASSERT_FALSE(preloaded.isEmpty());
    const QPixmap viaQt(
        QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"));
    EXPECT_EQ(viaQt.cacheKey(), preloaded.front().cacheKey());
}

}  // namespace
}  // namespace tw
