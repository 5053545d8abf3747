#pragma once

// What a host's widget shows for a model control, where that takes a decision of its own:
// both hosts mirror the model through these, so their windows agree.

#include <functional>
#include <string_view>

#include "platform/controls/controls.h"

namespace tw::controls {

// The kinds whose back colour is their background; the others keep the system's face.
bool paintsBackColor(Kind kind);

enum class CheckMark { Clear, Checked, Grey };
CheckMark checkMark(const CheckBox& box);

// A value without a time of day shows midnight, as a date alone does.
TimeOfDay shownTime(const TimePicker& picker);

// The range and position a progress bar shows. With nothing to count down (a due moment
// already reached) the bar is full.
struct BarShown {
    int min = 0;
    int max = 1;
    int position = 0;
};
BarShown barShown(const ProgressBar& bar);

// A text box's selection in the host's units of text: the model counts bytes of UTF-8,
// a host UTF-16 units or characters of a code page. `unitsIn` counts the host's units in a
// prefix of the model's text.
struct SelectionShown {
    int start = 0;
    int end = 0;
};
SelectionShown selectionShown(const TextBox& box,
                              const std::function<int(std::string_view utf8)>& unitsIn);

// What a text box's mirror remembers between its updates.
struct SelectionMirror {
    int selStart = 0;
    int selLength = 0;
    // Set while the user's typing is handed to the model: the caret must then stay where the
    // user put it.
    bool userEditing = false;

    // Whether the host sets its selection now: its text was replaced, or the program moved
    // the selection. Remembers the model's selection either way.
    bool update(const TextBox& box, bool textReplaced);
};

}  // namespace tw::controls
