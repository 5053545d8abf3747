// A text box's selection, kept in bytes of UTF-8 by the model, must land on the same characters
// in a host that counts other units, or the user's selection cuts letters apart.

#include <gtest/gtest.h>

#include "platform/shared/control_mirror.h"

namespace tw::controls {
namespace {

// A host that counts one unit per character (as UTF-16 does for these letters).
int characters(std::string_view utf8) {
    int count = 0;
    for (const char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

TEST(ControlMirror, ASelectionInBytesCoversTheSameCharactersInTheHostsUnits) {
    TextBox box{"Text1", nullptr, {}, 0};
    box.setText("ÄbÖc");     // 6 bytes of UTF-8, 4 characters
    box.setSelection(2, 3);  // "bÖ"
    const SelectionShown shown = selectionShown(box, characters);
    EXPECT_EQ(shown.start, 1);
    EXPECT_EQ(shown.end, 3);

    box.setSelection(6, 0);  // the caret after the last letter
    EXPECT_EQ(selectionShown(box, characters).start, 4);
    EXPECT_EQ(selectionShown(box, characters).end, 4);
}

}  // namespace
}  // namespace tw::controls
