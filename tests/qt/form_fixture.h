#pragma once

// Form1 on fakes, rendered by the Qt host on the offscreen platform.

#include <QApplication>
#include <QWidget>
#include <memory>

#include "fakes/fakes.h"
#include "platform/qt/qt_window_renderer.h"

namespace tw::test {

struct RenderedForm {
    explicit RenderedForm(const std::function<void(Harness&)>& arrange = {},
                          const qt_platform::QtCursorLoader* cursors = nullptr) {
        if (arrange) arrange(h);
        form = &h.make();
        renderer = std::make_unique<qt_platform::WindowRenderer>(
            form->Form, qt_platform::WindowRenderer::Options{
                            [this] { form->Form_QueryUnload(); }, cursors, nullptr, {}});
    }
    ~RenderedForm() { renderer.reset(); }

    template <class W = QWidget>
    W* widget(const controls::Control& control) const {
        return dynamic_cast<W*>(renderer->widget(control));
    }
    qt_platform::HostWindow& window() const { return renderer->window(); }

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
