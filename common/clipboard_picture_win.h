#pragma once
// Pictures to and from the clipboard, and the device-dependent copy every room
// makes of a bitmap it keeps.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>

#include "clipboard_dib_win.h"
#include "dib_info_win.h"
#include "gdi_handles_win.h"
#include "opened_clipboard_win.h"
#include "packed_dib.h"

namespace vistrel {

namespace clipboard_picture_detail {

// The bitmap as a packed 24-bit DIB in movable memory, as the clipboard takes
// it: a quarter smaller than the screen's 32-bit pixels, and read by the
// conversion component without a conversion.
inline HGLOBAL PackedDib24(HBITMAP bitmap) {
  BITMAP facts{};
  if (!bitmap || !GetObjectA(bitmap, sizeof facts, &facts) || facts.bmWidth <= 0 ||
      facts.bmHeight <= 0) {
    return nullptr;
  }
  BITMAPINFO info = BottomUp24(facts.bmWidth, facts.bmHeight);
  const uint64_t stride = (uint64_t{static_cast<uint32_t>(facts.bmWidth)} * 3 + 3) & ~uint64_t{3};
  const uint64_t bitsSize = stride * static_cast<uint32_t>(facts.bmHeight);
  if (bitsSize > 0x7FFFFFFF - sizeof info.bmiHeader) return nullptr;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(bitsSize);

  HGLOBAL memory =
      GlobalAlloc(GMEM_MOVEABLE, sizeof info.bmiHeader + static_cast<size_t>(bitsSize));
  if (!memory) return nullptr;
  int lines = 0;
  {
    GlobalLockGuard lock(memory);
    if (auto* base = static_cast<uint8_t*>(lock.Data())) {
      std::memcpy(base, &info.bmiHeader, sizeof info.bmiHeader);
      WindowDc screen(nullptr);
      lines = GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(facts.bmHeight),
                        base + sizeof info.bmiHeader, &info, DIB_RGB_COLORS);
    }
  }
  if (lines != facts.bmHeight) {
    GlobalFree(memory);
    return nullptr;
  }
  return memory;
}

// A device-dependent bitmap made from a packed DIB, or nullptr for a damaged block.
inline HBITMAP BitmapFromPackedDib(HGLOBAL memory) {
  GlobalLockGuard lock(memory);
  const std::optional<PackedDibLayout> layout = ReadPackedDibLayout(lock.Data(), lock.Size());
  if (!layout) return nullptr;
  const auto* base = static_cast<const uint8_t*>(lock.Data());
  WindowDc screen(nullptr);
  return CreateDIBitmap(screen.get(), reinterpret_cast<const BITMAPINFOHEADER*>(base), CBM_INIT,
                        base + layout->bitsOffset, reinterpret_cast<const BITMAPINFO*>(base),
                        DIB_RGB_COLORS);
}

}  // namespace clipboard_picture_detail

// A device-dependent copy of a bitmap (the caller owns it), or nullptr.
inline HBITMAP CopyBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 ||
      info.bmHeight <= 0) {
    return nullptr;
  }
  WindowDc screen(nullptr);
  Bitmap copy(CreateCompatibleBitmap(screen.get(), info.bmWidth, info.bmHeight));
  MemoryDc source(CreateCompatibleDC(screen.get()));
  MemoryDc target(CreateCompatibleDC(screen.get()));
  if (!copy || !source || !target) return nullptr;
  SelectGuard selectSource(source.get(), bitmap);
  SelectGuard selectTarget(target.get(), copy.get());
  if (!selectSource.ok() || !selectTarget.ok() ||
      !BitBlt(target.get(), 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY)) {
    return nullptr;
  }
  return copy.release();  // the guards deselect it before the caller can use it
}

// Puts a copy of the bitmap on the clipboard as a 24-bit CF_DIB (readers that ask for
// CF_BITMAP get one made by Windows); empties it first when asked.
inline bool PutBitmapOnClipboard(HWND owner, HBITMAP bitmap, bool emptyFirst) {
  HGLOBAL dib = clipboard_picture_detail::PackedDib24(bitmap);
  if (!dib) return false;
  OpenedClipboard clipboard(owner);
  if (!clipboard) {
    GlobalFree(dib);
    return false;
  }
  if (emptyFirst) EmptyClipboard();
  const bool placed = SetClipboardData(CF_DIB, dib) != nullptr;  // the clipboard owns it now
  if (!placed) GlobalFree(dib);
  return placed;
}

// A copy of the clipboard's picture as a device-dependent bitmap (the caller owns it),
// from the format that was placed, or nullptr when there is none.
inline HBITMAP CopyBitmapFromClipboard(HWND owner) {
  OpenedClipboard clipboard(owner);
  if (!clipboard) return nullptr;
  HBITMAP copy = nullptr;
  if (DibWasPlaced()) {
    copy = clipboard_picture_detail::BitmapFromPackedDib(GetClipboardData(CF_DIB));
  }
  if (!copy) copy = CopyBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
  return copy;
}

}  // namespace vistrel
