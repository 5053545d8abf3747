#pragma once

namespace tw {

inline constexpr const char* kProductName = "Tidewell";
inline constexpr const char* kMakerName = "Quendra";
// The build label that the error-report box names as the source of an error.
inline constexpr const char* kErrorSource = "Tidewell2021/08/31";
inline constexpr const char* kSupportAddress = "support@quendra.com";
inline constexpr const char* kContactPage = "https://www.quendra.com/contact";

}  // namespace tw
