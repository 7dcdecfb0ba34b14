#include "tray_icon_win.h"

#include <algorithm>
#include <cstring>
#include <optional>
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
  MemoryDc dc;
  Bitmap bitmap;
  std::optional<SelectGuard> selected;  // the bitmap, while it is drawn into
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
    dc.reset(CreateCompatibleDC(WindowDc(nullptr).get()));
    bitmap.reset(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &raw, nullptr, 0));
    bits = static_cast<uint32_t*>(raw);
    if (bitmap) selected.emplace(dc.get(), bitmap.get());
  }

  void Fill(int l, int t, int r, int b, COLORREF color, bool ellipse, int round = 0) {
    const Brush brush(CreateSolidBrush(color));
    const Pen pen(CreatePen(PS_SOLID, 1, color));
    const SelectGuard brushSelected(dc.get(), brush.get());
    const SelectGuard penSelected(dc.get(), pen.get());
    if (ellipse) {
      Ellipse(dc.get(), l, t, r, b);
    } else if (round > 0) {
      RoundRect(dc.get(), l, t, r, b, round, round);
    } else {
      Rectangle(dc.get(), l, t, r, b);
    }
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
  const Bitmap maskBitmap(CreateBitmap(s, s, 1, 1, mask.data()));
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = c.bitmap.get();
  info.hbmMask = maskBitmap.get();
  c.selected.reset();  // the icon is made from a bitmap selected nowhere
  HICON icon = CreateIconIndirect(&info);
  return icon ? icon : LoadIcon(nullptr, IDI_APPLICATION);
}

TrayIcon::~TrayIcon() { Remove(); }

bool TrayIcon::Add(HWND hook) {
  if (!normal_) normal_.reset(DrawCameraIcon(false));
  if (!busy_) busy_.reset(DrawCameraIcon(true));
  data_ = NOTIFYICONDATAA{};
  data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data_.hWnd = hook;
  data_.uID = kTrayIconId;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kTrayCallbackMessage;
  data_.hIcon = normal_.get();
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
  data_.hIcon = busy ? busy_.get() : normal_.get();
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
