#pragma once

// Form1 on fakes, rendered by the Qt host on the offscreen platform.

#include <QApplication>
#include <QFile>
#include <QWidget>
#include <memory>

#include "fakes/fakes.h"
#include "platform/qt/qt_window_renderer.h"

namespace tw::test {

inline QString sampleSkin() {
    QFile file(QStringLiteral(TIDEWELL_SOURCE_DIR "/resources/sample-skin/x/o.cjs"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

struct RenderedForm {
    explicit RenderedForm(const std::function<void(Harness&)>& arrange = {},
                          const qt_platform::QtCursorLoader* cursors = nullptr,
                          const QString& styleSheet = {}) {
        if (arrange) arrange(h);
        form = &h.make();
        renderer = std::make_unique<qt_platform::WindowRenderer>(
            form->Form, qt_platform::WindowRenderer::Options{
                            [this] { form->Form_QueryUnload(); }, cursors, nullptr, {}});
        if (!styleSheet.isEmpty()) renderer->window().setStyleSheet(styleSheet);
    }
    ~RenderedForm() { renderer.reset(); }

    template <class W = QWidget>
    W* widget(const controls::Control& control) const {
        return dynamic_cast<W*>(renderer->widget(control));
    }
    qt_platform::HostWindow& window() const { return renderer->window(); }

    // Rendered with the sample skin as shipped: the skin file is found next to the program
    // and its style sheet is on the window.
    static RenderedForm skinned() {
        return RenderedForm(
            [](Harness& h) { h.files.existing.push_back(h.files.folder + "/x/o.cjs"); }, nullptr,
            sampleSkin());
    }

    // Loaded and shown as main() does, with the window active so that focus moves.
    void loadAndShow() {
        form->Form_Load();
        form->Form.setVisible(true);
        QApplication::processEvents();  // the window shows once the handler has returned
        window().activateWindow();
        QApplication::processEvents();
    }

    Harness h;
    Form1* form = nullptr;
    std::unique_ptr<qt_platform::WindowRenderer> renderer;
};

}  // namespace tw::test
