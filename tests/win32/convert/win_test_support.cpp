#include "win_test_support.h"

#include <chrono>
#include <thread>
#include <vector>

#include "dib_info_win.h"

using vistrel::TopDown32;

namespace tiffdll::test {
namespace {

bool OpenWithRetry(HWND owner) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!OpenClipboard(owner)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

HWND Owner() {
  static HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  return owner;
}

}  // namespace

bool PutBitmapOnClipboard(const Image& image) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, image.width, image.height);
  std::vector<uint8_t> bits(static_cast<size_t>(image.width) * image.height * 4);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.Pixel(x, y);
      uint8_t* q = &bits[(static_cast<size_t>(y) * image.width + x) * 4];
      q[0] = p[2];
      q[1] = p[1];
      q[2] = p[0];
    }
  BITMAPINFO info = TopDown32(image.width, image.height);
  SetDIBits(screen, bitmap, 0, static_cast<UINT>(image.height), bits.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (!OpenWithRetry(Owner())) {
    DeleteObject(bitmap);
    return false;
  }
  bool ok = EmptyClipboard() && SetClipboardData(CF_BITMAP, bitmap);
  CloseClipboard();
  if (!ok) DeleteObject(bitmap);
  return ok;
}

bool PutDibOnClipboard(const void* dib, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  memcpy(GlobalLock(memory), dib, size);
  GlobalUnlock(memory);
  if (!OpenWithRetry(Owner())) {
    GlobalFree(memory);
    return false;
  }
  bool ok = EmptyClipboard() && SetClipboardData(CF_DIB, memory);
  CloseClipboard();
  if (!ok) GlobalFree(memory);
  return ok;
}

bool EmptyTheClipboard() {
  if (!OpenWithRetry(Owner())) return false;
  bool ok = EmptyClipboard();
  CloseClipboard();
  return ok;
}

std::optional<Image> ReadBitmapFromClipboard() {
  if (!OpenWithRetry(nullptr)) return std::nullopt;
  std::optional<Image> result;
  if (auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    BITMAP facts{};
    GetObjectA(bitmap, sizeof facts, &facts);
    std::vector<uint8_t> bits(static_cast<size_t>(facts.bmWidth) * facts.bmHeight * 4);
    BITMAPINFO info = TopDown32(facts.bmWidth, facts.bmHeight);
    HDC screen = GetDC(nullptr);
    if (GetDIBits(screen, bitmap, 0, static_cast<UINT>(facts.bmHeight), bits.data(), &info,
                  DIB_RGB_COLORS) == facts.bmHeight) {
      Image image(facts.bmWidth, facts.bmHeight);
      for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
          const uint8_t* q = &bits[(static_cast<size_t>(y) * image.width + x) * 4];
          uint8_t* p = image.Pixel(x, y);
          p[0] = q[2];
          p[1] = q[1];
          p[2] = q[0];
        }
      result = std::move(image);
    }
    ReleaseDC(nullptr, screen);
  }
  CloseClipboard();
  return result;
}

Image TestPicture(int width, int height) {
  Image image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.Pixel(x, y);
      p[0] = static_cast<uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
      p[1] = static_cast<uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
      p[2] = ((x / 8 + y / 8) % 2) ? 230 : 20;
    }
  return image;
}

}  // namespace tiffdll::test
