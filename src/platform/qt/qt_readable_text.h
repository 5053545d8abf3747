#pragma once

// Text that the window draws straight onto a background of its own (the white window, its
// frames, captions and labels) must stay readable whatever the desktop palette says: a dark
// palette's white text would vanish on the white window. Controls that paint their own faces
// (fields, lists, buttons) keep the desktop's colours, which belong together.

#include <QColor>
#include <QPalette>

namespace tw::qt_platform {

// The contrast ratio of two colours, 1 (none) to 21 (black on white), as the accessibility
// guidelines define it.
double contrastRatio(const QColor& a, const QColor& b);

// Gives `palette` a window-text colour readable on `background` in every colour group: the
// desktop's own where it contrasts enough, else black or white.
void keepTextReadable(QPalette& palette, const QColor& background);

}  // namespace tw::qt_platform
