// The core keeps its own copies of the shell's records and codes so that it builds without
// <windows.h>. Built for Windows only: each copy is checked here against the MinGW-w64
// headers, which are the truth the real shell calls are compiled against.

#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>  // needs <windows.h> first

#include <cstddef>
#include <cstring>

#include "platform/services/recycle_bin_shell.h"
#include "tray/c_sys_tray.h"
#include "tray/shell_record.h"

namespace tw {
namespace {

namespace r = shell_record;

static_assert(sizeof(void*) == 4, "the record layouts are those of 32-bit Windows");

// The notification-icon record, up to the fields the shell reads for our cbSize.
static_assert(kShellRecordSize == NOTIFYICONDATAA_V2_SIZE);
static_assert(r::kCbSize == offsetof(NOTIFYICONDATAA, cbSize));
static_assert(r::kHWnd == offsetof(NOTIFYICONDATAA, hWnd));
static_assert(r::kUId == offsetof(NOTIFYICONDATAA, uID));
static_assert(r::kUFlags == offsetof(NOTIFYICONDATAA, uFlags));
static_assert(r::kUCallbackMessage == offsetof(NOTIFYICONDATAA, uCallbackMessage));
static_assert(r::kHIcon == offsetof(NOTIFYICONDATAA, hIcon));
static_assert(r::kSzTip == offsetof(NOTIFYICONDATAA, szTip));
static_assert(r::kSzTipSize == sizeof(NOTIFYICONDATAA::szTip));
static_assert(r::kDwState == offsetof(NOTIFYICONDATAA, dwState));
static_assert(r::kDwStateMask == offsetof(NOTIFYICONDATAA, dwStateMask));
static_assert(r::kSzInfo == offsetof(NOTIFYICONDATAA, szInfo));
static_assert(r::kSzInfoSize == sizeof(NOTIFYICONDATAA::szInfo));
static_assert(r::kUTimeout == offsetof(NOTIFYICONDATAA, uTimeout));
static_assert(r::kSzInfoTitle == offsetof(NOTIFYICONDATAA, szInfoTitle));
static_assert(r::kSzInfoTitleSize == sizeof(NOTIFYICONDATAA::szInfoTitle));
static_assert(r::kDwInfoFlags == offsetof(NOTIFYICONDATAA, dwInfoFlags));

static_assert(kNimAdd == NIM_ADD && kNimModify == NIM_MODIFY && kNimDelete == NIM_DELETE);
static_assert(kNifMessage == NIF_MESSAGE && kNifIcon == NIF_ICON && kNifTip == NIF_TIP &&
              kNifInfo == NIF_INFO);
static_assert(kWmMouseMove == WM_MOUSEMOVE && kWmLButtonDown == WM_LBUTTONDOWN &&
              kWmLButtonUp == WM_LBUTTONUP && kWmLButtonDblClk == WM_LBUTTONDBLCLK &&
              kWmRButtonDown == WM_RBUTTONDOWN && kWmRButtonUp == WM_RBUTTONUP &&
              kWmRButtonDblClk == WM_RBUTTONDBLCLK && kWmMButtonDown == WM_MBUTTONDOWN &&
              kWmMButtonUp == WM_MBUTTONUP && kWmMButtonDblClk == WM_MBUTTONDBLCLK);
static_assert(kNinBalloonShow == NIN_BALLOONSHOW && kNinBalloonHide == NIN_BALLOONHIDE &&
              kNinBalloonTimeout == NIN_BALLOONTIMEOUT &&
              kNinBalloonUserClick == NIN_BALLOONUSERCLICK);

// The recycle-bin query record and the empty call's flags and results.
static_assert(sizeof(RecycleBinQuery) == sizeof(SHQUERYRBINFO));
static_assert(offsetof(RecycleBinQuery, sizeLow) == offsetof(SHQUERYRBINFO, i64Size));
static_assert(offsetof(RecycleBinQuery, itemsLow) == offsetof(SHQUERYRBINFO, i64NumItems));
static_assert(kEmptyNoConfirmation == SHERB_NOCONFIRMATION &&
              kEmptyNoProgressUi == SHERB_NOPROGRESSUI && kEmptyNoSound == SHERB_NOSOUND);
static_assert(kShellOk == S_OK && kShellFail == E_FAIL);
static_assert(static_cast<UINT>(DriveType::Unknown) == DRIVE_UNKNOWN &&
              static_cast<UINT>(DriveType::NoRootDir) == DRIVE_NO_ROOT_DIR &&
              static_cast<UINT>(DriveType::Fixed) == DRIVE_FIXED &&
              static_cast<UINT>(DriveType::Removable) == DRIVE_REMOVABLE &&
              static_cast<UINT>(DriveType::Remote) == DRIVE_REMOTE &&
              static_cast<UINT>(DriveType::CdRom) == DRIVE_CDROM &&
              static_cast<UINT>(DriveType::RamDisk) == DRIVE_RAMDISK);

TEST(WindowsAbi, TheShellReadsTheBalloonRecordAsTheTrayControlWroteIt) {
    const ShellRecord bytes =
        encodeShellRecord(balloonRecord(kTrayWindowHandle, 7, "Emptied", "Tidewell", 3000));
    NOTIFYICONDATAA data{};
    std::memcpy(&data, bytes.data(), bytes.size());

    EXPECT_EQ(data.cbSize, NOTIFYICONDATAA_V2_SIZE);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data.hWnd), kTrayWindowHandle);
    EXPECT_EQ(data.uID, 7u);
    EXPECT_EQ(data.uFlags & NIF_INFO, static_cast<UINT>(NIF_INFO));
    EXPECT_STREQ(data.szInfo, "Emptied");
    EXPECT_STREQ(data.szInfoTitle, "Tidewell");
    EXPECT_EQ(data.uTimeout, 3000u);
}

}  // namespace
}  // namespace tw
