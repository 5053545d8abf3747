#pragma once

// The in-memory cursor file of fakes/cursor_file.h, as Qt takes it.

#include <QByteArray>

#include "fakes/cursor_file.h"

namespace tw::test {

inline QByteArray cursorFile(int hotX, int hotY) {
    return QByteArray::fromStdString(cursorFileBytes(hotX, hotY));
}

}  // namespace tw::test
