// The countdown repaints only what changed, and what it repaints matches a full repaint pixel
// for pixel; the style's pictures come from Tidewell's own read of them.

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

#include "form_fixture.h"
#include "platform/qt/qt_builtin_pictures.h"

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
