#pragma once

// The skin engine: a skin file is a Qt style sheet applied to the whole window.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <map>
#include <optional>

#include "platform/services/skin.h"

namespace tw::qt_platform {

class QtSkinEngine : public SkinEngine {
  public:
    // Throws tw::AppError when the file can't be read.
    void loadSkin(const std::string& path, const std::string& ini) override;
    std::int32_t applyOptions() override { return applyOptions_; }
    void setApplyOptions(std::int32_t options) override { applyOptions_ = options; }
    void setOption(int id, bool value) override { options_[id] = value; }
    // Applies the loaded skin to the window with this handle, now or as soon as it is
    // attached.
    void applyWindow(WindowHandle window) override;

    // The widget that renders the window with this handle.
    void attach(WindowHandle handle, QWidget* widget);

    std::optional<bool> option(int id) const;
    const QString& styleSheet() const { return sheet_; }

  private:
    void applyTo(WindowHandle handle);

    QString sheet_;
    bool loaded_ = false;
    std::int32_t applyOptions_ = 0;
    std::map<int, bool> options_;
    std::map<WindowHandle, QPointer<QWidget>> windows_;
    std::map<WindowHandle, bool> wanted_;
};

}  // namespace tw::qt_platform
