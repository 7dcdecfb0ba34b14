#pragma once
// Small bitmaps with known pixels for the clipboard and file tests.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace vistrel::testing {

// Pixel (x, y) of the test pattern, as 0x00RRGGBB.
inline uint32_t PatternPixel(int x, int y) {
  return static_cast<uint32_t>((x * 40) & 0xFF) << 16 | static_cast<uint32_t>((y * 60) & 0xFF) << 8 |
         static_cast<uint32_t>((x + y) * 20 & 0xFF);
}

// A device-dependent bitmap holding the pattern.
inline HBITMAP PatternBitmap(int width, int height) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t p = PatternPixel(x, y);
      SetPixel(dc, x, y, RGB(p >> 16, (p >> 8) & 0xFF, p & 0xFF));
    }
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

// The bitmap's pixels, top row first, as 0x00RRGGBB.
inline std::vector<uint32_t> Pixels(HBITMAP bitmap, int& width, int& height) {
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  width = info.bmWidth;
  height = info.bmHeight;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = width;
  header.bmiHeader.biHeight = -height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, height, pixels.data(), &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

}  // namespace vistrel::testing
