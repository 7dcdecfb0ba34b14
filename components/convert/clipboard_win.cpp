#include "clipboard_win.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "clipboard_dib_win.h"
#include "dib_image.h"
#include "dib_info_win.h"
#include "result_codes.h"

namespace tiffdll {
namespace {

using vistrel::GlobalLockGuard;
using vistrel::TopDown32;

// Another program may hold the clipboard open for a moment (a clipboard
// viewer reacting to a change); try again until a deadline.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!(open_ = OpenClipboard(owner) != FALSE) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool Open() const { return open_; }

 private:
  bool open_ = false;
};

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// The owner window that EmptyClipboard needs for SetClipboardData to work.
class MessageWindow {
 public:
  MessageWindow()
      : hwnd_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
  ~MessageWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;
  HWND Get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// 32-bit top-down BGRX pixels to RGB.
Image FromBgrx(const uint8_t* bits, int width, int height) {
  Image image(width, height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = bits + static_cast<size_t>(y) * width * 4;
    uint8_t* out = image.Row(y);
    for (int x = 0; x < width; ++x, in += 4, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  }
  return image;
}

std::optional<Image> FromBitmapHandle(HBITMAP bitmap, HPALETTE palette) {
  BITMAP facts{};
  if (GetObjectA(bitmap, sizeof facts, &facts) == 0) return std::nullopt;
  if (!SizeAllowed(facts.bmWidth, facts.bmHeight)) return std::nullopt;
  ScreenDc screen;
  if (!screen.Get()) return std::nullopt;
  HPALETTE oldPalette = nullptr;
  if (palette) {
    oldPalette = SelectPalette(screen.Get(), palette, FALSE);
    RealizePalette(screen.Get());
  }
  BITMAPINFO info = TopDown32(facts.bmWidth, facts.bmHeight);
  std::vector<uint8_t> bits(static_cast<size_t>(facts.bmWidth) * facts.bmHeight * 4);
  int lines = GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(facts.bmHeight), bits.data(), &info,
                        DIB_RGB_COLORS);
  if (oldPalette) SelectPalette(screen.Get(), oldPalette, FALSE);
  if (lines != facts.bmHeight) return std::nullopt;
  return FromBgrx(bits.data(), facts.bmWidth, facts.bmHeight);
}

}  // namespace

std::optional<Image> ImageFromPackedDib(const void* data, size_t size) {
  const std::optional<vistrel::PackedDibLayout> layout = vistrel::ReadPackedDibLayout(data, size);
  if (!layout || !SizeAllowed(layout->width, layout->height)) return std::nullopt;
  if (auto plain = ImageFromPlainDib(*layout, data)) return plain;
  const int64_t width = layout->width, height = layout->height;
  const size_t offset = layout->bitsOffset;

  // GDI draws every depth and layout into a plain 32-bit picture. The
  // header and colour table are copied so that a short colour table in a
  // hostile block cannot make GDI read past it.
  std::vector<uint8_t> info(static_cast<size_t>(offset));
  std::memcpy(info.data(), data, info.size());
  const uint8_t* bits = static_cast<const uint8_t*>(data) + offset;

  BITMAPINFO target = TopDown32(static_cast<int>(width), static_cast<int>(height));
  void* targetBits = nullptr;
  ScreenDc screen;
  HBITMAP section = CreateDIBSection(screen.Get(), &target, DIB_RGB_COLORS, &targetBits, nullptr, 0);
  if (!section) return std::nullopt;
  std::optional<Image> image;
  HDC memory = CreateCompatibleDC(screen.Get());
  if (memory) {
    HGDIOBJ old = SelectObject(memory, section);
    int lines = SetDIBitsToDevice(memory, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0,
                                  0, 0, static_cast<UINT>(height), bits,
                                  reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    GdiFlush();
    if (lines > 0) image = FromBgrx(static_cast<uint8_t*>(targetBits), static_cast<int>(width), static_cast<int>(height));
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  DeleteObject(section);
  return image;
}

HGLOBAL PackedDibFromImage(const Image& image) {
  const size_t stride = (static_cast<size_t>(image.width) * 3 + 3) & ~size_t{3};
  const size_t bitsSize = stride * static_cast<size_t>(image.height);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + bitsSize);
  if (!memory) return nullptr;
  auto* base = static_cast<uint8_t*>(GlobalLock(memory));
  if (!base) {
    GlobalFree(memory);
    return nullptr;
  }
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = image.width;
  header.biHeight = image.height;  // bottom-up, as most readers expect
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(bitsSize);
  header.biXPelsPerMeter = header.biYPelsPerMeter = 3780;  // 96 dpi
  std::memcpy(base, &header, sizeof header);
  uint8_t* bits = base + sizeof header;
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* in = image.Row(image.height - 1 - y);
    uint8_t* out = bits + static_cast<size_t>(y) * stride;
    for (int x = 0; x < image.width; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
    std::memset(out, 0, stride - static_cast<size_t>(image.width) * 3);
  }
  GlobalUnlock(memory);
  return memory;
}

std::optional<Image> ReadClipboardImage(int32_t* error) {
  *error = kNoBitmap;
  OpenedClipboard clipboard(nullptr);
  if (!clipboard.Open()) {
    *error = kClipboardBusy;
    return std::nullopt;
  }
  auto fromBitmap = [&]() -> std::optional<Image> {
    if (!IsClipboardFormatAvailable(CF_BITMAP)) return std::nullopt;
    auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    HPALETTE palette = IsClipboardFormatAvailable(CF_PALETTE)
                           ? static_cast<HPALETTE>(GetClipboardData(CF_PALETTE))
                           : nullptr;
    return bitmap ? FromBitmapHandle(bitmap, palette) : std::nullopt;
  };
  auto fromDib = [&]() -> std::optional<Image> {
    if (!IsClipboardFormatAvailable(CF_DIB)) return std::nullopt;
    HGLOBAL memory = GetClipboardData(CF_DIB);
    if (!memory) return std::nullopt;
    GlobalLockGuard lock(memory);
    return lock.Data() ? ImageFromPackedDib(lock.Data(), lock.Size()) : std::nullopt;
  };
  // The format the source placed is read first: the other one would be made
  // from it by Windows, a costly conversion of the whole picture.
  const bool dibFirst = vistrel::DibWasPlaced();
  std::optional<Image> image = dibFirst ? fromDib() : fromBitmap();
  if (!image) image = dibFirst ? fromBitmap() : fromDib();
  return image;
}

int32_t WriteClipboardImage(const Image& image) {
  HGLOBAL dib = PackedDibFromImage(image);
  if (!dib) return kTooLarge;
  MessageWindow owner;
  OpenedClipboard clipboard(owner.Get());
  if (!clipboard.Open() || !EmptyClipboard() || !SetClipboardData(CF_DIB, dib)) {
    GlobalFree(dib);
    return kClipboardBusy;
  }
  return kSuccess;  // the clipboard owns the memory now
}

}  // namespace tiffdll
