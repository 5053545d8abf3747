#pragma once

namespace tw {

// What started an empty: the countdown, the user's button, or a Trash past its size limit.
enum class EmptyCause { Scheduled, Asked, SizeLimit };

}  // namespace tw
