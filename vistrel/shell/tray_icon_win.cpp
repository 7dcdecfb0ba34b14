#include "tray_icon_win.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "shell_state.h"
#include "startup_texts.h"

namespace vistrel {

#if !defined(_WIN64)
// The record's first version, as the tray of every Windows version reads it.
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the ANSI tray record must be 88 bytes");
#endif

namespace {

// Draws into a 32-bit top-down DIB section through GDI, then builds the mask
// from the pixels that were painted.
struct IconCanvas {
  int size;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;

  explicit IconCanvas(int s) : size(s) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = s;
    info.bmiHeader.biHeight = -s;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* raw = nullptr;
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
    bits = static_cast<uint32_t*>(raw);
    if (bitmap) old = SelectObject(dc, bitmap);
  }
  ~IconCanvas() {
    if (old) SelectObject(dc, old);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
  }
  IconCanvas(const IconCanvas&) = delete;
  IconCanvas& operator=(const IconCanvas&) = delete;

  void Fill(int l, int t, int r, int b, COLORREF color, bool ellipse, int round = 0) {
    HBRUSH brush = CreateSolidBrush(color);
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    if (ellipse) {
      Ellipse(dc, l, t, r, b);
    } else if (round > 0) {
      RoundRect(dc, l, t, r, b, round, round);
    } else {
      Rectangle(dc, l, t, r, b);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
  }
};

// A colour that never appears in the drawing marks the transparent pixels.
constexpr COLORREF kKey = RGB(255, 0, 255);

}  // namespace

HICON DrawCameraIcon(bool busy) {
  const int s = std::max(16, GetSystemMetrics(SM_CXSMICON));
  IconCanvas c(s);
  if (!c.bits) return LoadIcon(nullptr, IDI_APPLICATION);
  c.Fill(0, 0, s, s, kKey, false);
  auto at = [s](double f) { return static_cast<int>(f * s / 16.0 + 0.5); };
  // Flash housing and shutter button on top, then the body and the lens.
  c.Fill(at(3), at(2), at(7), at(5), RGB(70, 78, 92), false);
  c.Fill(at(10), at(3), at(13), at(5), RGB(200, 60, 50), false);
  c.Fill(at(0.5), at(4), at(15.5), at(14), RGB(52, 60, 74), false, at(3));
  c.Fill(at(1.5), at(5), at(14.5), at(7), RGB(96, 110, 132), false);
  c.Fill(at(4), at(5.5), at(12), at(13.5), RGB(225, 230, 238), true);
  c.Fill(at(5.2), at(6.7), at(10.8), at(12.3), RGB(30, 60, 120), true);
  c.Fill(at(6.4), at(7.9), at(8.2), at(9.7), RGB(150, 200, 255), true);
  if (busy) {
    // The flash fires: a bright burst above the housing.
    c.Fill(at(2), at(0), at(8), at(5), RGB(255, 230, 40), true);
    c.Fill(at(3.5), at(1), at(6.5), at(4), RGB(255, 255, 210), true);
    c.Fill(at(5.2), at(6.7), at(10.8), at(12.3), RGB(230, 40, 40), true);
  }
  GdiFlush();

  // Colour image with the key colour black, mask with it white.
  std::vector<uint8_t> mask(static_cast<size_t>(((s + 15) / 16) * 2) * s, 0);
  const int stride = ((s + 15) / 16) * 2;
  for (int y = 0; y < s; ++y) {
    for (int x = 0; x < s; ++x) {
      uint32_t& px = c.bits[y * s + x];
      if ((px & 0xFFFFFF) == 0xFF00FF) {
        px = 0;
        mask[y * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      } else {
        px |= 0xFF000000;
      }
    }
  }
  HBITMAP maskBitmap = CreateBitmap(s, s, 1, 1, mask.data());
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = c.bitmap;
  info.hbmMask = maskBitmap;
  SelectObject(c.dc, c.old);
  c.old = nullptr;
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(maskBitmap);
  return icon ? icon : LoadIcon(nullptr, IDI_APPLICATION);
}

TrayIcon::~TrayIcon() {
  Remove();
  if (normal_) DestroyIcon(normal_);
  if (busy_) DestroyIcon(busy_);
}

bool TrayIcon::Add(HWND hook) {
  if (!normal_) normal_ = DrawCameraIcon(false);
  if (!busy_) busy_ = DrawCameraIcon(true);
  data_ = NOTIFYICONDATAA{};
  data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data_.hWnd = hook;
  data_.uID = kTrayIconId;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kTrayCallbackMessage;
  data_.hIcon = normal_;
  TrayTipField tip = TrayTip(kAppTitle, kVersionMajor);
  std::memcpy(data_.szTip, tip.data(), std::min(sizeof data_.szTip, tip.size()));
  return Readd();
}

bool TrayIcon::Readd() {
  if (!data_.hWnd) return false;
  added_ = Shell_NotifyIconA(NIM_ADD, &data_) != FALSE;
  return added_;
}

void TrayIcon::SetBusy(bool busy) {
  if (!added_) return;
  data_.hIcon = busy ? busy_ : normal_;
  data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  Shell_NotifyIconA(NIM_MODIFY, &data_);
}

void TrayIcon::SetTip(const std::string& text) {
  if (!added_) return;
  if (text.empty()) {
    TrayTipField tip = TrayTip(kAppTitle, kVersionMajor);
    std::memcpy(data_.szTip, tip.data(), std::min(sizeof data_.szTip, tip.size()));
  } else {
    std::memset(data_.szTip, 0, sizeof data_.szTip);
    std::memcpy(data_.szTip, text.data(), std::min(sizeof data_.szTip - 1, text.size()));
  }
  data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  Shell_NotifyIconA(NIM_MODIFY, &data_);
}

void TrayIcon::Remove() {
  if (!added_) return;
  data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  Shell_NotifyIconA(NIM_DELETE, &data_);
  added_ = false;
}

}  // namespace vistrel
