#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>

#include "shell_forms_win.h"
#include "tray_icon_win.h"

namespace vistrel {
namespace {

TEST(TrayIcon, RecordCarriesTheFirstVersionLayoutAndTheTip) {
  // Built without a tray shell around: the record is what counts.
  HWND hook = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              nullptr);
  ASSERT_NE(hook, nullptr);
  {
    TrayIcon tray;
    tray.Add(hook);
    const NOTIFYICONDATAA& record = tray.Record();
    EXPECT_EQ(record.cbSize, NOTIFYICONDATAA_V1_SIZE);
#if !defined(_WIN64)
    EXPECT_EQ(record.cbSize, 88u);
#endif
    EXPECT_EQ(record.hWnd, hook);
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 0x0200u);
    EXPECT_NE(record.hIcon, nullptr);
    EXPECT_STREQ(record.szTip, "Tarnwick Vistrel 99 -Hit PrintScreen-key!");
    EXPECT_EQ(record.szTip[sizeof "Tarnwick Vistrel 99 -Hit PrintScreen-key!"], ' ');
    EXPECT_EQ(record.szTip[63], '\0');

    // The busy icon replaces the normal one and goes back again.
    HICON normal = record.hIcon;
    tray.SetBusy(true);
    if (record.hIcon != normal) {
      tray.SetBusy(false);
      EXPECT_EQ(record.hIcon, normal);
    }
  }
  DestroyWindow(hook);
}

// Pixel (x, y) of an icon's colour image and its mask bit.
struct IconPixel {
  COLORREF color;
  bool transparent;
};

IconPixel PixelOf(HICON icon, int x, int y) {
  ICONINFO info{};
  EXPECT_TRUE(GetIconInfo(icon, &info));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, info.hbmMask);
  bool transparent = GetPixel(dc, x, y) != RGB(0, 0, 0);
  SelectObject(dc, info.hbmColor);
  COLORREF color = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(info.hbmMask);
  DeleteObject(info.hbmColor);
  return {color, transparent};
}

TEST(TrayIcon, CameraIconsAreDrawnWithTransparentCornersAndDiffer) {
  HICON normal = DrawCameraIcon(false);
  HICON busy = DrawCameraIcon(true);
  ASSERT_NE(normal, nullptr);
  ASSERT_NE(busy, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(normal, &info));
  BITMAP bitmap{};
  GetObject(info.hbmColor, sizeof bitmap, &bitmap);
  DeleteObject(info.hbmMask);
  DeleteObject(info.hbmColor);
  const int s = bitmap.bmWidth;
  EXPECT_GE(s, 16);
  // The corner below the body is background, the lens centre is painted.
  EXPECT_TRUE(PixelOf(normal, 0, s - 1).transparent);
  EXPECT_FALSE(PixelOf(normal, s / 2, s * 9 / 16).transparent);
  // The busy icon lights the flash where the normal one shows background.
  EXPECT_TRUE(PixelOf(normal, s * 5 / 16, 0).transparent);
  EXPECT_FALSE(PixelOf(busy, s * 5 / 16, 0).transparent);
  DestroyIcon(normal);
  DestroyIcon(busy);
}

TEST(ShellForms, CenterFormAndTopmost) {
  HWND window = CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 5, 7, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  CenterForm(window);
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 200);
  EXPECT_NEAR(r.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 150, 1);
  EXPECT_NEAR(r.top, GetSystemMetrics(SM_CYSCREEN) / 2 - 100, 1);

  SetTopmost(window, true);
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetTopmost(window, false);
  EXPECT_FALSE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  // Neither call moves or sizes the window.
  RECT after{};
  GetWindowRect(window, &after);
  EXPECT_TRUE(EqualRect(&r, &after));
  DestroyWindow(window);
}

}  // namespace
}  // namespace vistrel
