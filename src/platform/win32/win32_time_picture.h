#pragma once

// Reading text back that the system wrote with a date or time picture of the user's locale
// ("h:mm:ss tt", "HH:mm:ss", "dd.MM.yyyy", "M/d/yyyy"). The system writes such text
// (GetTimeFormatA, GetDateFormatA) but has no call that reads it.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tw::win32_platform {

// The locale's words that a picture may stand for (UTF-8).
struct PictureNames {
    std::string am = "AM";
    std::string pm = "PM";
    std::array<std::string, 12> months;
    std::array<std::string, 12> abbreviatedMonths;
    std::array<std::string, 7> days;
    std::array<std::string, 7> abbreviatedDays;
};

// What a picture read: each part only when the picture has it.
struct PictureFields {
    std::optional<int> year;
    std::optional<int> month;
    std::optional<int> day;
    std::optional<int> hour;  // 0..23, the designator already applied
    std::optional<int> minute;
    std::optional<int> second;
};

// Reads all of `text` (blanks at its end allowed) with `picture`; nothing when the text does
// not have that form or names an impossible date or time. A two-digit year falls in 1930..2029.
std::optional<PictureFields> readPicture(std::string_view text, std::string_view picture,
                                         const PictureNames& names);

// Whether a time picture shows seconds.
bool pictureHasSeconds(std::string_view picture);

}  // namespace tw::win32_platform
