#include "clipboard_win.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "result_codes.h"

namespace tiffdll {
namespace {

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

class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
  ~GlobalLockGuard() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  void* Data() const { return data_; }
  size_t Size() const { return GlobalSize(memory_); }

 private:
  HGLOBAL memory_;
  void* data_;
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

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
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
  if (data == nullptr || size < sizeof(BITMAPINFOHEADER)) return std::nullopt;
  BITMAPINFOHEADER header;
  std::memcpy(&header, data, sizeof header);
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > size) return std::nullopt;
  const int64_t width = header.biWidth;
  const int64_t height = header.biHeight < 0 ? -int64_t{header.biHeight} : header.biHeight;
  if (!SizeAllowed(width, height) || header.biPlanes != 1) return std::nullopt;
  const unsigned bitCount = header.biBitCount;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32)
    return std::nullopt;

  // Where the pixels start: header, colour masks, colour table.
  uint64_t colours = header.biClrUsed;
  if (colours == 0 && bitCount <= 8) colours = uint64_t{1} << bitCount;
  uint64_t offset = header.biSize + colours * 4;
  if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER)) offset += 12;
  if (offset > size) return std::nullopt;
  const uint64_t stride = ((width * bitCount + 31) / 32) * 4;
  uint64_t needed = stride * static_cast<uint64_t>(height);
  if (header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4) {
    needed = header.biSizeImage;
  } else if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS) {
    return std::nullopt;  // JPEG or PNG inside a DIB: not something a clipboard bitmap holds
  }
  if (needed > size - offset) return std::nullopt;

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
  if (IsClipboardFormatAvailable(CF_BITMAP)) {
    auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    HPALETTE palette = IsClipboardFormatAvailable(CF_PALETTE)
                           ? static_cast<HPALETTE>(GetClipboardData(CF_PALETTE))
                           : nullptr;
    if (bitmap) {
      if (auto image = FromBitmapHandle(bitmap, palette)) return image;
    }
  }
  if (IsClipboardFormatAvailable(CF_DIB)) {
    if (HGLOBAL memory = GetClipboardData(CF_DIB)) {
      GlobalLockGuard lock(memory);
      if (lock.Data()) return ImageFromPackedDib(lock.Data(), lock.Size());
    }
  }
  return std::nullopt;
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
