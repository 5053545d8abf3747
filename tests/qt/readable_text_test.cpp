// Captions drawn on the window's own background stay readable under a dark desktop palette,
// with and without the sample skin.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <map>

#include "form_fixture.h"
#include "platform/qt/qt_readable_text.h"

namespace tw {
namespace {

using test::RenderedForm;

// The desktop's dark palette (qt6ct's "darker"): white text on dark faces.
struct DarkDesktop {
    QPalette saved = QApplication::palette();
    DarkDesktop() {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x22, 0x20, 0x20));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(0x3d, 0x3d, 0x3d));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::Button, QColor(0x42, 0x42, 0x45));
        dark.setColor(QPalette::ButtonText, Qt::white);
        dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
        QApplication::setPalette(dark);
    }
    ~DarkDesktop() { QApplication::setPalette(saved); }
};

// Where a control draws its caption, in its own coordinates.
QRect captionArea(QWidget* w) {
    if (auto* frame = qobject_cast<QGroupBox*>(w)) {
        return QRect(0, 0, w->width(), frame->fontMetrics().height() + 4);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(w);
        option.text = button->text();
        const bool radio = qobject_cast<QRadioButton*>(w) != nullptr;
        return w->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, w);
    }
    return w->rect();
}

// The strongest contrast of any pixel of `area` against its most common colour, the
// background: text that can't be told from its background stays near 1.
double inkContrast(const QImage& shot, const QRect& area) {
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) ++counts[shot.pixel(x, y)];
    }
    QRgb background = 0;
    int most = 0;
    for (const auto& [rgb, n] : counts) {
        if (n > most) std::tie(background, most) = std::tie(rgb, n);
    }
    double strongest = 1;
    for (const auto& [rgb, n] : counts) {
        strongest =
            std::max(strongest, qt_platform::contrastRatio(QColor(rgb), QColor(background)));
    }
    return strongest;
}

TEST(ReadableText, CaptionsOnTheWindowStandOutFromTheirBackgroundUnderADarkPalette) {
    for (const bool skinned : {false, true}) {
        SCOPED_TRACE(skinned ? "sample skin" : "no skin");
        const DarkDesktop dark;
        RenderedForm r = skinned ? RenderedForm::skinned() : RenderedForm();
        r.loadAndShow();
        Form1& f = *r.form;
        const QImage shot = r.window().grab().toImage();
        for (const controls::Control* c : std::initializer_list<const controls::Control*>{
                 &f.Frame2, &f.Frame3, &f.Frame4, &f.Option1, &f.Option2, &f.Option3, &f.Check4,
                 &f.Check8, &f.Label3, &f.Label4, &f.Label5}) {
            QWidget* w = r.widget(*c);
            const QRect area = captionArea(w).translated(w->mapTo(&r.window(), QPoint(0, 0)));
            EXPECT_GE(inkContrast(shot, area), 4.5) << c->name();
        }
    }
}

}  // namespace
}  // namespace tw
