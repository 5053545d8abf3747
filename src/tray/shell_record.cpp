#include "tray/shell_record.h"

#include <algorithm>
#include <array>

#include "tray/m_sys_tray.h"

namespace tw {

namespace {

using namespace shell_record;

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined map to the C1
// control of the same number, as the Windows conversion functions do, so they round-trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t byteToCodePoint(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F) return kHighControls[b - 0x80];
    return b;
}

std::optional<unsigned char> codePointToByte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp) return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void putU32(ShellRecord& record, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t getU32(const ShellRecord& record, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(record[offset + i]) << (8 * i);
    }
    return value;
}

// Text, one NUL, then spaces to the end of the field. Text too long for the field is cut so
// that the NUL still fits: readers of the record stop at the NUL, never past the field.
void putText(ShellRecord& record, std::size_t offset, std::size_t size,
             const std::optional<std::string>& text, const NotificationArea* host) {
    if (!text) return;  // the field stays zero bytes
    const std::string bytes =
        host != nullptr ? host->systemCodePageText(*text, size) : utf8ToSystemCodePage(*text);
    const std::size_t length = std::min(bytes.size(), size - 1);
    std::copy_n(bytes.begin(), length, record.begin() + static_cast<std::ptrdiff_t>(offset));
    record[offset + length] = 0;
    std::fill(record.begin() + static_cast<std::ptrdiff_t>(offset + length + 1),
              record.begin() + static_cast<std::ptrdiff_t>(offset + size), ' ');
}

std::optional<std::string> getText(const ShellRecord& record, std::size_t offset,
                                   std::size_t size) {
    const auto begin = record.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = begin + static_cast<std::ptrdiff_t>(size);
    if (std::all_of(begin, end, [](std::uint8_t b) { return b == 0; })) return std::nullopt;
    const auto nul = std::find(begin, end, std::uint8_t{0});
    return systemCodePageToUtf8(std::string(begin, nul));
}

ShellRecordFields baseRecord(WindowHandle window, std::uint32_t iconId) {
    ShellRecordFields fields;
    fields.cbSize = kShellRecordSize;
    fields.hWnd = window;
    fields.uID = iconId;
    return fields;
}

}  // namespace

std::string utf8ToSystemCodePage(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        // Sequence length and the range of the second byte (which rules out overlong forms,
        // surrogates and values beyond U+10FFFF).
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        char32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        }
        if (length == 0) {  // stray continuation byte or invalid lead byte
            out += '?';
            ++i;
            continue;
        }
        std::size_t taken = 1;
        bool complete = true;
        for (; taken < length; ++taken) {
            if (i + taken >= utf8.size()) {
                complete = false;
                break;
            }
            const auto b = static_cast<unsigned char>(utf8[i + taken]);
            const unsigned char lo = taken == 1 ? low : 0x80;
            const unsigned char hi = taken == 1 ? high : 0xBF;
            if (b < lo || b > hi) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        i += taken;  // a broken sequence counts once, however much of it was valid
        const auto byte = complete ? codePointToByte(cp) : std::nullopt;
        out += byte ? static_cast<char>(*byte) : '?';
    }
    return out;
}

std::string systemCodePageToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) appendUtf8(out, byteToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string NotificationArea::systemCodePageText(std::string_view utf8,
                                                 std::size_t fieldSize) const {
    std::string bytes = utf8ToSystemCodePage(utf8);
    // One byte a character: any cut falls between characters.
    if (fieldSize > 0 && bytes.size() > fieldSize - 1) bytes.resize(fieldSize - 1);
    return bytes;
}

namespace {

ShellRecord encodeWith(const ShellRecordFields& fields, const NotificationArea* host) {
    ShellRecord record{};
    putU32(record, kCbSize, fields.cbSize);
    putU32(record, kHWnd, fields.hWnd);
    putU32(record, kUId, fields.uID);
    putU32(record, kUFlags, fields.uFlags);
    putU32(record, kUCallbackMessage, fields.uCallbackMessage);
    putU32(record, kHIcon, fields.hIcon);
    putText(record, kSzTip, kSzTipSize, fields.szTip, host);
    putU32(record, kDwState, fields.dwState);
    putU32(record, kDwStateMask, fields.dwStateMask);
    putText(record, kSzInfo, kSzInfoSize, fields.szInfo, host);
    putU32(record, kUTimeout, fields.uTimeout);
    putText(record, kSzInfoTitle, kSzInfoTitleSize, fields.szInfoTitle, host);
    putU32(record, kDwInfoFlags, fields.dwInfoFlags);
    return record;
}

}  // namespace

ShellRecord encodeShellRecord(const ShellRecordFields& fields) {
    return encodeWith(fields, nullptr);
}

ShellRecord encodeShellRecord(const ShellRecordFields& fields, const NotificationArea& host) {
    return encodeWith(fields, &host);
}

ShellRecordFields decodeShellRecord(const ShellRecord& record) {
    ShellRecordFields fields;
    fields.cbSize = getU32(record, kCbSize);
    fields.hWnd = getU32(record, kHWnd);
    fields.uID = getU32(record, kUId);
    fields.uFlags = getU32(record, kUFlags);
    fields.uCallbackMessage = getU32(record, kUCallbackMessage);
    fields.hIcon = getU32(record, kHIcon);
    fields.szTip = getText(record, kSzTip, kSzTipSize);
    fields.dwState = getU32(record, kDwState);
    fields.dwStateMask = getU32(record, kDwStateMask);
    fields.szInfo = getText(record, kSzInfo, kSzInfoSize);
    fields.uTimeout = getU32(record, kUTimeout);
    fields.szInfoTitle = getText(record, kSzInfoTitle, kSzInfoTitleSize);
    fields.dwInfoFlags = getU32(record, kDwInfoFlags);
    return fields;
}

ShellRecordFields addIconRecord(WindowHandle window, std::uint32_t iconId,
                                std::optional<std::uint32_t> iconHandle, const std::string& tip) {
    ShellRecordFields fields = baseRecord(window, iconId);
    if (iconHandle) {
        fields.hIcon = *iconHandle;
        fields.uFlags |= kNifIcon;
    }
    if (!tip.empty()) {
        fields.szTip = tip;
        fields.uFlags |= kNifTip;
    }
    fields.uCallbackMessage = kTrayCallbackMessage;
    fields.uFlags |= kNifMessage;
    return fields;
}

ShellRecordFields modifyIconRecord(WindowHandle window, std::uint32_t iconId,
                                   std::uint32_t iconHandle) {
    ShellRecordFields fields = baseRecord(window, iconId);
    fields.uFlags = kNifIcon;
    fields.hIcon = iconHandle;
    return fields;
}

ShellRecordFields modifyTipRecord(WindowHandle window, std::uint32_t iconId,
                                  const std::string& tip) {
    ShellRecordFields fields = baseRecord(window, iconId);
    fields.uFlags = kNifTip;
    fields.szTip = tip;
    return fields;
}

ShellRecordFields balloonRecord(WindowHandle window, std::uint32_t iconId, const std::string& text,
                                const std::string& title, std::uint32_t timeoutMs) {
    ShellRecordFields fields = baseRecord(window, iconId);
    fields.uFlags = kNifInfo;
    fields.szInfoTitle = title;
    fields.szInfo = text;
    fields.uTimeout = timeoutMs;
    return fields;
}

ShellRecordFields clearedBalloonRecord(ShellRecordFields balloon) {
    balloon.cbSize = kShellRecordSize;
    balloon.uFlags = kNifInfo;
    balloon.szInfoTitle = std::string();
    balloon.szInfo = std::string();
    return balloon;
}

ShellRecordFields deleteIconRecord(WindowHandle window, std::uint32_t iconId) {
    return baseRecord(window, iconId);
}

}  // namespace tw
