#pragma once

namespace tw {

inline constexpr const char* kProductName = "Tidewell";
inline constexpr const char* kMakerName = "Quendra";
inline constexpr const char* kContactPage = "https://www.quendra.com/contact";

}  // namespace tw
