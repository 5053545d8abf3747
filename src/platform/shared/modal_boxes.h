#pragma once

// While one of the program's message boxes is open, the window behind it takes no input,
// whatever the program does meanwhile: a scheduled empty under the Help box changes the busy
// pointer and the status line, and each change mirrors the window's look again. Were the window
// enabled by that, a second box could open over the first. What the model asks for shows again
// once the last box has closed. The host's message box counts its boxes here; its window
// mirror asks takesInput(). User-interface thread only.

namespace tw {

class ModalBoxes {
  public:
    bool anyOpen() const { return open_ > 0; }
    // Whether the window takes the user's input: as the model says, and never under a box.
    bool takesInput(bool modelEnabled) const { return modelEnabled && !anyOpen(); }

  private:
    friend class ModalBoxOpen;
    int open_ = 0;
};

// Counts one box as open for its lifetime.
class ModalBoxOpen {
  public:
    explicit ModalBoxOpen(ModalBoxes& boxes) : boxes_(boxes) { ++boxes_.open_; }
    ~ModalBoxOpen() { --boxes_.open_; }
    ModalBoxOpen(const ModalBoxOpen&) = delete;
    ModalBoxOpen& operator=(const ModalBoxOpen&) = delete;

  private:
    ModalBoxes& boxes_;
};

}  // namespace tw
