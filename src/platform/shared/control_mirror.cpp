#include "platform/shared/control_mirror.h"

#include <algorithm>
#include <string>

namespace tw::controls {

bool paintsBackColor(Kind kind) {
    return kind == Kind::Frame || kind == Kind::Label || kind == Kind::OptionButton ||
           kind == Kind::CheckBox;
}

CheckMark checkMark(const CheckBox& box) {
    return box.value() == 1   ? CheckMark::Checked
           : box.value() == 2 ? CheckMark::Grey
                              : CheckMark::Clear;
}

TimeOfDay shownTime(const TimePicker& picker) {
    return picker.value().time.value_or(TimeOfDay{});
}

BarShown barShown(const ProgressBar& bar) {
    if (bar.max() <= bar.min()) return BarShown{0, 1, 1};
    return BarShown{bar.min(), bar.max(), std::clamp(bar.position(), bar.min(), bar.max())};
}

SelectionShown selectionShown(const TextBox& box,
                              const std::function<int(std::string_view utf8)>& unitsIn) {
    const std::string_view text = box.text();
    const auto unitsBefore = [&](int bytes) {
        const int cut = std::clamp(bytes, 0, static_cast<int>(text.size()));
        return unitsIn(text.substr(0, static_cast<std::size_t>(cut)));
    };
    return SelectionShown{unitsBefore(box.selStart()),
                          unitsBefore(box.selStart() + box.selLength())};
}

bool SelectionMirror::update(const TextBox& box, bool textReplaced) {
    const bool moved = box.selStart() != selStart || box.selLength() != selLength;
    selStart = box.selStart();
    selLength = box.selLength();
    return textReplaced || (moved && !userEditing);
}

}  // namespace tw::controls
