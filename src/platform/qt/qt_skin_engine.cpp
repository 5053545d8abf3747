#include "platform/qt/qt_skin_engine.h"

#include <QFile>

#include "platform/qt/qt_units.h"
#include "runtime/errors.h"

namespace tw::qt_platform {

namespace {

// A style sheet is text of a few kilobytes; a file far larger is not a skin.
constexpr qint64 kMaxSkinBytes = 1024 * 1024;
// "Path/File access error", the classic number for a file that can't be read.
constexpr int kFileAccessError = 75;

}  // namespace

void QtSkinEngine::loadSkin(const std::string& path, const std::string&) {
    QFile file(qs(path));
    if (!file.open(QIODevice::ReadOnly)) {
        throw AppError(kFileAccessError,
                       "Can't read the skin file " + path + ": " + utf8(file.errorString()));
    }
    if (file.size() > kMaxSkinBytes) {
        throw AppError(kFileAccessError, "The skin file " + path + " is too large");
    }
    sheet_ = QString::fromUtf8(file.readAll());
    loaded_ = true;
}

std::optional<bool> QtSkinEngine::option(int id) const {
    const auto found = options_.find(id);
    if (found == options_.end()) return std::nullopt;
    return found->second;
}

void QtSkinEngine::applyWindow(WindowHandle window) {
    wanted_[window] = true;
    applyTo(window);
}

void QtSkinEngine::attach(WindowHandle handle, QWidget* widget) {
    windows_[handle] = widget;
    if (wanted_.count(handle)) applyTo(handle);
}

void QtSkinEngine::applyTo(WindowHandle handle) {
    const auto found = windows_.find(handle);
    if (!loaded_ || found == windows_.end() || !found->second) return;
    found->second->setStyleSheet(sheet_);
}

}  // namespace tw::qt_platform
