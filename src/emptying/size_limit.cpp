// "Trash Size": the Trash kept under a size while the schedule runs, and what the next
// scheduled empty would do, told beforehand in the status line's tooltip.

#include "app/form1.h"
#include "app/product.h"
#include "app/settings.h"
#include "emptying/mod_clean_up.h"
#include "emptying/trash_preview.h"
#include "model/trash_limit.h"
#include "runtime/size_text.h"

namespace tw {

namespace {

// How often the bins are measured while the schedule runs: a large trash takes a while.
constexpr double kMeasureEverySeconds = 600;

}  // namespace

void Form1::Text5_Change() {
    showTrashLimit();
    write(keys::kMaxTrashGB, Text5.text());
}

void Form1::showTrashLimit() {
    policy_.limit.show(ReadLimitBytes(Text5.text(), services_.locale.decimalSeparator()),
                       Form.focused() == &Text5);
}

void Form1::Text5_GotFocus() {
    Text5.setSelection(0, static_cast<int>(Text5.text().size()));
}

void Form1::Text5_LostFocus() {
    checkNumericEntry(Text5, "Enter a number of GB, 0 for no limit.");
    const auto before = policy_.limit.inForce();
    policy_.limit.commit();
    // A new limit is acted on now, not in up to 10 minutes.
    if (policy_.limit.inForce() != before) MeasureTrash(true);
}

void Form1::MeasureTrash(bool now, bool mayPurge) {
    if (sizeWatch_.measuring || Timer1.interval() == 0) return;
    const double at = services_.clock.bootSeconds();
    if (!now && sizeWatch_.askedAt && at - *sizeWatch_.askedAt < kMeasureEverySeconds) return;
    sizeWatch_.askedAt = at;
    const std::optional<std::int64_t> keep = policy_.scheduledKeepSeconds();
    // Without a floor the next empty removes nothing, and its failure will say why.
    if (!keep) {
        sizeWatch_.preview.clear();
        ShowStatusTip();
        return;
    }
    sizeWatch_.measuring = true;
    services_.recycleBin.measureBinsLater(
        *keep, [this, keep = *keep, mayPurge](const TrashMeasure& measure) {
            TrashMeasured(measure, keep, mayPurge);
        });
}

void Form1::TrashMeasured(const TrashMeasure& measure, std::int64_t keepSeconds, bool mayPurge) {
    sizeWatch_.measuring = false;
    // The schedule went off, or its floor changed, while the bins were measured: the measure
    // says nothing of the next empty, and nothing goes on its word.
    if (Timer1.interval() == 0 || policy_.scheduledKeepSeconds() != keepSeconds) return;
    sizeWatch_.preview = PreviewText(measure, keepSeconds);
    const std::uint64_t limit = policy_.limit.inForce().value_or(0);
    const std::uint64_t keptBytes = measure.recentBytes + measure.unknownBytes;
    sizeWatch_.pastLimit.clear();
    if (limit > 0 && keptBytes > limit) {
        sizeWatch_.pastLimit = "The Trash holds " + ShownSize(keptBytes) +
                               " of items too recent to remove, more than the " + ShownSize(limit) +
                               " it is to be kept under; they stay.";
        if (!sizeWatch_.pastLimitTold && cSysTray1.InTray() &&
            services_.notificationArea.isAvailable()) {
            cSysTray1.ShowBalloon(sizeWatch_.pastLimit, kProductName, 0, false);
        }
    }
    sizeWatch_.pastLimitTold = !sizeWatch_.pastLimit.empty();
    ShowStatusTip();
    if (!mayPurge || limit == 0 || measure.totalBytes() <= limit || measure.oldItems == 0) return;
    modCleanUp::PurgeOverLimit(*this, limit);
    // The preview after the purge; that measure removes nothing, so a purge that could not
    // reach the limit is not tried again until the next check.
    MeasureTrash(true, false);
}

void Form1::StopMeasuringTrash() {
    sizeWatch_.askedAt.reset();
    sizeWatch_.preview.clear();
    sizeWatch_.pastLimit.clear();
    ShowStatusTip();
}

}  // namespace tw
