#pragma once

// A recycle-bin shell that passes every call on to another: a host's wrapper overrides only
// what it does differently (the empty on a worker thread: qt/qt_background_empty.h,
// win32/win32_background_empty.h).

#include "platform/services/recycle_bin_shell.h"

namespace tw {

class ForwardingRecycleBinShell : public RecycleBinShell {
  public:
    explicit ForwardingRecycleBinShell(RecycleBinShell& shell) : shell_(shell) {}

    std::uint32_t getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) override {
        return shell_.getLogicalDriveStrings(bufferLength, buffer);
    }
    DriveType getDriveType(const std::string& rootPath) override {
        return shell_.getDriveType(rootPath);
    }
    std::int32_t queryRecycleBin(const std::string& rootPath, RecycleBinQuery& query) override {
        return shell_.queryRecycleBin(rootPath, query);
    }
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath, std::uint32_t flags,
                                 const EmptyOrder& order, EmptyReport& report) override {
        return shell_.emptyRecycleBin(owner, rootPath, flags, order, report);
    }
    void updateRecycleBinIcon() override { shell_.updateRecycleBinIcon(); }
    TrashMeasure measureBins(std::int64_t keepSeconds) override {
        return shell_.measureBins(keepSeconds);
    }

  protected:
    RecycleBinShell& shell_;
};

}  // namespace tw
