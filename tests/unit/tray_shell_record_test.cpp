#include <gtest/gtest.h>

#include <string>

#include "tray/c_sys_tray.h"
#include "tray/shell_record.h"

namespace tw {
namespace {

using namespace shell_record;

constexpr WindowHandle kWindow = 0x00A1B2C3;

std::uint32_t u32At(const ShellRecord& r, std::size_t offset) {
    return r[offset] | r[offset + 1] << 8 | r[offset + 2] << 16 |
           static_cast<std::uint32_t>(r[offset + 3]) << 24;
}

std::string bytesAt(const ShellRecord& r, std::size_t offset, std::size_t size) {
    return std::string(r.begin() + offset, r.begin() + offset + size);
}

// Text, one NUL, spaces to the end of the field.
std::string padded(const std::string& text, std::size_t size) {
    return text + '\0' + std::string(size - text.size() - 1, ' ');
}

std::string zeros(std::size_t size) {
    return std::string(size, '\0');
}

// The bits of uFlags as the shell reads them: which of the record's fields it takes.
constexpr std::uint32_t kTakesCallback = 0x01, kTakesIcon = 0x02, kTakesTip = 0x04,
                        kTakesBalloon = 0x10;

TEST(TrayShellRecord, AddWithIconAndTipFillsEveryFieldLittleEndian) {
    const ShellRecord r = encodeShellRecord(addIconRecord(kWindow, 0, 0x01020304u, "Tidewell"));
    EXPECT_EQ(bytesAt(r, kCbSize, 4), std::string("\xE8\x01\x00\x00", 4));
    EXPECT_EQ(bytesAt(r, kHWnd, 4), std::string("\xC3\xB2\xA1\x00", 4));
    EXPECT_EQ(u32At(r, kUId), 0u);
    EXPECT_EQ(u32At(r, kUFlags), kTakesCallback | kTakesIcon | kTakesTip);
    EXPECT_EQ(bytesAt(r, kUCallbackMessage, 4), std::string("\x65\x04\x00\x00", 4));
    EXPECT_EQ(bytesAt(r, kHIcon, 4), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(bytesAt(r, kSzTip, kSzTipSize), padded("Tidewell", kSzTipSize));
    // State, balloon text, time-out, title and balloon flags: all zero bytes.
    EXPECT_EQ(bytesAt(r, kDwState, kShellRecordSize - kDwState),
              zeros(kShellRecordSize - kDwState));
}

TEST(TrayShellRecord, AddWithoutIconOrTipAsksForCallbacksOnly) {
    const ShellRecord r = encodeShellRecord(addIconRecord(kWindow, 0, std::nullopt, ""));
    EXPECT_EQ(u32At(r, kUFlags), kTakesCallback);
    EXPECT_EQ(u32At(r, kUCallbackMessage), kTrayCallbackMessage);
    EXPECT_EQ(u32At(r, kHIcon), 0u);
    EXPECT_EQ(bytesAt(r, kSzTip, kSzTipSize), zeros(kSzTipSize));
}

TEST(TrayShellRecord, ModifyRecordsCarryOnlyTheirOwnField) {
    const ShellRecord icon = encodeShellRecord(modifyIconRecord(kWindow, 0, 42));
    EXPECT_EQ(u32At(icon, kCbSize), 488u);
    EXPECT_EQ(u32At(icon, kHWnd), kWindow);
    EXPECT_EQ(u32At(icon, kUFlags), kTakesIcon);
    EXPECT_EQ(u32At(icon, kUCallbackMessage), 0u);
    EXPECT_EQ(u32At(icon, kHIcon), 42u);
    EXPECT_EQ(bytesAt(icon, kSzTip, kShellRecordSize - kSzTip), zeros(kShellRecordSize - kSzTip));

    // An empty tip is still written: NUL, then spaces.
    const ShellRecord tip = encodeShellRecord(modifyTipRecord(kWindow, 0, ""));
    EXPECT_EQ(u32At(tip, kUFlags), kTakesTip);
    EXPECT_EQ(u32At(tip, kHIcon), 0u);
    EXPECT_EQ(bytesAt(tip, kSzTip, kSzTipSize), padded("", kSzTipSize));
    EXPECT_EQ(bytesAt(tip, kDwState, kShellRecordSize - kDwState),
              zeros(kShellRecordSize - kDwState));
}

TEST(TrayShellRecord, BalloonAndItsClearingCall) {
    const ShellRecordFields balloon =
        balloonRecord(kWindow, 0, "Line 1\r\nLine 2", "Tidewell", 5000);
    const ShellRecord shown = encodeShellRecord(balloon);
    EXPECT_EQ(u32At(shown, kUFlags), kTakesBalloon);
    EXPECT_EQ(u32At(shown, kUCallbackMessage), 0u);
    EXPECT_EQ(bytesAt(shown, kSzTip, kSzTipSize), zeros(kSzTipSize));
    EXPECT_EQ(bytesAt(shown, kSzInfo, kSzInfoSize), padded("Line 1\r\nLine 2", kSzInfoSize));
    EXPECT_EQ(bytesAt(shown, kUTimeout, 4), std::string("\x88\x13\x00\x00", 4));
    EXPECT_EQ(bytesAt(shown, kSzInfoTitle, kSzInfoTitleSize), padded("Tidewell", kSzInfoTitleSize));
    EXPECT_EQ(u32At(shown, kDwInfoFlags), 0u);

    // The clearing call is the same record with both texts emptied; the time-out stays.
    const ShellRecord cleared = encodeShellRecord(clearedBalloonRecord(balloon));
    ShellRecord expected = shown;
    const std::string info = padded("", kSzInfoSize);
    const std::string title = padded("", kSzInfoTitleSize);
    std::copy(info.begin(), info.end(), expected.begin() + kSzInfo);
    std::copy(title.begin(), title.end(), expected.begin() + kSzInfoTitle);
    EXPECT_EQ(cleared, expected);
}

TEST(TrayShellRecord, DeleteNamesTheIconAndNothingElse) {
    const ShellRecord r = encodeShellRecord(deleteIconRecord(kWindow, 0));
    EXPECT_EQ(u32At(r, kCbSize), 488u);
    EXPECT_EQ(u32At(r, kHWnd), kWindow);
    EXPECT_EQ(bytesAt(r, kUId, kShellRecordSize - kUId), zeros(kShellRecordSize - kUId));
}

TEST(TrayShellRecord, OverlongTextsAreCutSoThatTheirNulFits) {
    const std::string tip127(127, 't');
    const ShellRecord fits = encodeShellRecord(modifyTipRecord(kWindow, 0, tip127));
    EXPECT_EQ(bytesAt(fits, kSzTip, kSzTipSize), tip127 + '\0');

    ShellRecordFields fields =
        balloonRecord(kWindow, 0, std::string(400, 'i'), std::string(100, 'T'), 1000);
    fields.szTip = std::string(300, 't');
    const ShellRecord r = encodeShellRecord(fields);
    EXPECT_EQ(bytesAt(r, kSzTip, kSzTipSize), std::string(127, 't') + '\0');
    EXPECT_EQ(bytesAt(r, kSzInfo, kSzInfoSize), std::string(255, 'i') + '\0');
    EXPECT_EQ(bytesAt(r, kSzInfoTitle, kSzInfoTitleSize), std::string(63, 'T') + '\0');
    // The fields around them are untouched.
    EXPECT_EQ(u32At(r, kDwState), 0u);
    EXPECT_EQ(u32At(r, kUTimeout), 1000u);
    EXPECT_EQ(u32At(r, kDwInfoFlags), 0u);

    const ShellRecordFields back = decodeShellRecord(r);
    EXPECT_EQ(back.szInfoTitle, std::string(63, 'T'));
}

TEST(TrayShellRecord, TextsTravelInTheSystemCodePage) {
    // Windows-1252: Latin-1 letters, the euro sign and typographic quotes have single bytes.
    EXPECT_EQ(utf8ToSystemCodePage("Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9CQ\xE2\x80\x9D"),
              "Caf\xE9 \x80 \x93Q\x94");
    // Whatever the code page lacks becomes '?', one per character.
    EXPECT_EQ(utf8ToSystemCodePage("\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80!"), "?? ?!");
    // So does every broken sequence: stray continuation, truncated, overlong, surrogate.
    EXPECT_EQ(utf8ToSystemCodePage("a\x80"
                                   "b\xE2\x82"
                                   "c\xC0\xAF"
                                   "d\xED\xA0\x80"),
              "a?b?c??d???");
    EXPECT_EQ(utf8ToSystemCodePage("end\xE2\x82"), "end?");

    EXPECT_EQ(systemCodePageToUtf8("Caf\xE9 \x80 \x93Q\x94"),
              "Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9CQ\xE2\x80\x9D");
    // Bytes the code page leaves undefined come back as themselves.
    EXPECT_EQ(utf8ToSystemCodePage(systemCodePageToUtf8("\x81\x8D\x8F\x90\x9D")),
              "\x81\x8D\x8F\x90\x9D");

    const ShellRecord r = encodeShellRecord(modifyTipRecord(kWindow, 0, "Z\xC3\xBCrich"));
    EXPECT_EQ(bytesAt(r, kSzTip, 7), std::string("Z\xFCrich\0", 7));
}

TEST(TrayShellRecord, ReaderGivesBackWhatTheBuilderWrote) {
    ShellRecordFields fields = addIconRecord(9, 3, 1, "Tidewell \xE2\x80\x93 tray");
    fields.dwState = 1;
    fields.dwStateMask = 1;
    fields.szInfo = "";
    fields.szInfoTitle = "Title";
    fields.uTimeout = 7000;
    fields.dwInfoFlags = 4;
    EXPECT_EQ(decodeShellRecord(encodeShellRecord(fields)), fields);

    // A zeroed text field reads as absent, an empty text as present and empty.
    const ShellRecordFields tip = decodeShellRecord(encodeShellRecord(modifyTipRecord(9, 0, "")));
    EXPECT_EQ(tip.szTip, std::string());
    EXPECT_EQ(tip.szInfo, std::nullopt);

    // A field without any NUL is read to its end, never past it.
    ShellRecord raw = encodeShellRecord(deleteIconRecord(9, 0));
    std::fill(raw.begin() + kSzInfoTitle, raw.begin() + kSzInfoTitle + kSzInfoTitleSize, 'x');
    EXPECT_EQ(decodeShellRecord(raw).szInfoTitle, std::string(64, 'x'));
}

}  // namespace
}  // namespace tw
